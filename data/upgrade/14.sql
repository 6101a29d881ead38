CREATE TABLE QD_LINEAS_IMPORTADAS (
    LADO                        CHAR(1) NOT NULL,
    ALBARAN                     INTEGER NOT NULL,
    LIBRO                       CHAR(64) NOT NULL,
    FILA                        INTEGER NOT NULL,
    LINEA                       INTEGER NOT NULL,
    INICIO                      TIMESTAMP NOT NULL,
CONSTRAINT PKQD_LINEAS_IMPORTADAS PRIMARY KEY (LADO, ALBARAN, LIBRO, FILA, LINEA));
