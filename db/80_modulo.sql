-- The module's own table of running imports (also installed by its start-up upgrade for SYSDBA):
-- an import holds its kind's row locked while it runs, so a second one of the same kind is refused.
CREATE TABLE QD_IMPORTACIONES (
    TIPO                        VARCHAR(30) NOT NULL,
    INICIO                      DATE,
    USUARIO                     VARCHAR(31),
CONSTRAINT PKQD_IMPORTACIONES PRIMARY KEY (TIPO));
GRANT ALL ON QD_IMPORTACIONES TO PUBLIC;
