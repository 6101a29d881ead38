CREATE OR ALTER PROCEDURE PRCALCULOALBARANVENTA_EXCEL (
  PARALBARANVENTA INTEGER)
AS
DECLARE VARIABLE AuxImporteDescuentoLineas DOUBLE PRECISION;
DECLARE VARIABLE AuxImporteBruto DOUBLE PRECISION;
DECLARE VARIABLE AuxImporteGastos DOUBLE PRECISION;
DECLARE VARIABLE AuxBaseImponible DOUBLE PRECISION;
DECLARE VARIABLE AuxImporteIva DOUBLE PRECISION;
DECLARE VARIABLE AuxImporteRecargo DOUBLE PRECISION;
DECLARE VARIABLE AuxImporteDescuentoPP DOUBLE PRECISION;
DECLARE VARIABLE AuxPorcentajeDescuentoPP DOUBLE PRECISION;
DECLARE VARIABLE AuxImporteFinanciacion DOUBLE PRECISION;
DECLARE VARIABLE AuxPorcentajeFinanciacion DOUBLE PRECISION;
DECLARE VARIABLE AuxImporteDescuentoComercial DOUBLE PRECISION;
DECLARE VARIABLE AuxPorcentajeDescuentoComercial DOUBLE PRECISION;
DECLARE VARIABLE AuxImporteDescuentos DOUBLE PRECISION;
DECLARE VARIABLE AuxImporteAlbaran DOUBLE PRECISION;
DECLARE VARIABLE AuxImporteComisiones DOUBLE PRECISION;
DECLARE VARIABLE AuxImpEntregaInicial INTEGER;
DECLARE VARIABLE AuxPorEntregaInicial INTEGER;
DECLARE VARIABLE AuxImporteIvaFinanciacion DOUBLE PRECISION;
DECLARE VARIABLE AuxImporteRecargoFinanciacion DOUBLE PRECISION;
DECLARE VARIABLE AuxTipoDescuentoPP CHAR(1);
DECLARE VARIABLE AuxTipoDescuentoComercial CHAR(1);
DECLARE VARIABLE AuxPorcentajeDescuentoPIE DOUBLE PRECISION;
DECLARE VARIABLE AuxAplicarIvaSN SMALLINT;
DECLARE VARIABLE AuxAplicarRecargoSN SMALLINT;
DECLARE VARIABLE AuxAplicarDtoSobreIva SMALLINT;
DECLARE VARIABLE AuxAplicarFincSobreIva SMALLINT;
DECLARE VARIABLE AuxPorcentajeIvaPortes DOUBLE PRECISION;
DECLARE VARIABLE AuxPorcentajeRecargoPortes DOUBLE PRECISION;
DECLARE VARIABLE AuxCliente INTEGER;
DECLARE VARIABLE AuxRegimenIva INTEGER;
DECLARE VARIABLE AuxEmpresa INTEGER;
DECLARE VARIABLE AuxTipoIvaFinanciacion INTEGER;
DECLARE VARIABLE AuxAplicarIvaFinanciacion SMALLINT;
DECLARE VARIABLE AuxPorIvaFinanciacion DOUBLE PRECISION;
DECLARE VARIABLE AuxPorRecargoFinanciacion DOUBLE PRECISION;
DECLARE VARIABLE AuxRegimenAplicarRecargo SMALLINT;
DECLARE VARIABLE AuxTipoIvaFijo INTEGER;
DECLARE VARIABLE AuxPorIvaFijo DOUBLE PRECISION;
DECLARE VARIABLE AuxPorRecargoFijo DOUBLE PRECISION;
DECLARE VARIABLE AuxIvaPortes INTEGER;
DECLARE VARIABLE AuxPorIvaTipoPortes DOUBLE PRECISION;
DECLARE VARIABLE AuxPorRecargoTipoPortes DOUBLE PRECISION;
DECLARE VARIABLE AuxImporteIvaPortes DOUBLE PRECISION;
DECLARE VARIABLE AuxImporteRecargoPortes DOUBLE PRECISION;
DECLARE VARIABLE AuxGrupoPorIva DOUBLE PRECISION;
DECLARE VARIABLE AuxGrupoPorRecargo DOUBLE PRECISION;
DECLARE VARIABLE AuxGrupoIva INTEGER;
DECLARE VARIABLE AuxGrupoBase DOUBLE PRECISION;
DECLARE VARIABLE AuxDescuentoGrupo DOUBLE PRECISION;
DECLARE VARIABLE AuxBaseLineas DOUBLE PRECISION;
DECLARE VARIABLE AuxImporteFijoComercial DOUBLE PRECISION;
DECLARE VARIABLE AuxImporteFijoPP DOUBLE PRECISION;
DECLARE VARIABLE AuxBasePuntoVerde DOUBLE PRECISION;
DECLARE VARIABLE AuxIvaPuntoVerde DOUBLE PRECISION;
DECLARE VARIABLE AuxRecargoPuntoVerde DOUBLE PRECISION;
DECLARE VARIABLE AuxExiste INTEGER;
BEGIN
  /* Recalculo de la cabecera de un albaran de venta a partir de sus lineas.
     Un porcentaje se aplica como valor x porcentaje x 0.01. */

  /* 1. Todos los importes y porcentajes empiezan en 0. */
  AuxImporteDescuentoLineas = 0;
  AuxImporteBruto = 0;
  AuxImporteGastos = 0;
  AuxBaseImponible = 0;
  AuxImporteIva = 0;
  AuxImporteRecargo = 0;
  AuxImporteDescuentoPP = 0;
  AuxPorcentajeDescuentoPP = 0;
  AuxImporteFinanciacion = 0;
  AuxPorcentajeFinanciacion = 0;
  AuxImporteDescuentoComercial = 0;
  AuxPorcentajeDescuentoComercial = 0;
  AuxImporteDescuentos = 0;
  AuxImporteAlbaran = 0;
  AuxImporteComisiones = 0;
  AuxImpEntregaInicial = 0;
  AuxPorEntregaInicial = 0;
  AuxImporteIvaFinanciacion = 0;
  AuxImporteRecargoFinanciacion = 0;
  AuxImporteIvaPortes = 0;
  AuxImporteRecargoPortes = 0;
  AuxPorcentajeDescuentoPIE = 0;
  AuxTipoIvaFijo = 0;
  AuxPorIvaFijo = 0;
  AuxPorRecargoFijo = 0;
  AuxBasePuntoVerde = 0;
  AuxIvaPuntoVerde = 0;
  AuxRecargoPuntoVerde = 0;

  /* 2. Totales de las lineas. */
  SELECT COALESCE(SUM(ImporteDescuentos), 0), COALESCE(SUM(ImporteBruto), 0),
         COALESCE(SUM(ImporteLinea), 0)
  FROM LineasAlbaranVenta
  WHERE (AlbaranVenta = :PARALBARANVENTA)
  INTO :AuxImporteDescuentoLineas, :AuxImporteBruto, :AuxBaseLineas;

  /* 3. Datos de la cabecera. Un importe de portes o de gastos vacio cuenta
     como 0, sin anular el otro. */
  SELECT COALESCE(Portes, 0) + COALESCE(Gastos, 0),
         TipoDescuentoPP, COALESCE(PorcentajeDescuentoPP, 0),
         TipoDescuentoComercial, COALESCE(PORCENTAJEDESCUENTOCOMER, 0),
         COALESCE(AplicarIvaSN, 0), COALESCE(AplicarRecargoSN, 0),
         COALESCE(AplicarDtoSobreIva, 0), COALESCE(APLICARFINCSOBREIVA, 0),
         COALESCE(PorcentajeIvaPortesGastos, 0), COALESCE(PORCENTAJERECARGOPORTESGA, 0),
         CLIENTE, COALESCE(PORCENTAJEFINANCIACION, 0), REGIMENIVA,
         COALESCE(EMPRESA, 0),
         COALESCE(ImporteDescuentoComercial, 0), COALESCE(ImporteDescuentoPP, 0)
  FROM AlbaranesVenta
  WHERE (IdAlbaranesVenta = :PARALBARANVENTA)
  INTO :AuxImporteGastos,
       :AuxTipoDescuentoPP, :AuxPorcentajeDescuentoPP,
       :AuxTipoDescuentoComercial, :AuxPorcentajeDescuentoPIE,
       :AuxAplicarIvaSN, :AuxAplicarRecargoSN,
       :AuxAplicarDtoSobreIva, :AuxAplicarFincSobreIva,
       :AuxPorcentajeIvaPortes, :AuxPorcentajeRecargoPortes,
       :AuxCliente, :AuxPorcentajeFinanciacion, :AuxRegimenIva,
       :AuxEmpresa,
       :AuxImporteFijoComercial, :AuxImporteFijoPP;
  AuxImporteGastos = COALESCE(AuxImporteGastos, 0);
  AuxEmpresa = COALESCE(AuxEmpresa, 0);

  /* 4. IVA de financiacion de la empresa. */
  AuxTipoIvaFinanciacion = 0;
  AuxAplicarIvaFinanciacion = 0;
  AuxPorIvaFinanciacion = 0;
  AuxPorRecargoFinanciacion = 0;
  SELECT E.IVAFINANCIACION, E.APLICARIVAFINANCIACION, T.PORCENTAJEIVA, T.PORCENTAJERECARGO
  FROM EMPRESAS E
  LEFT JOIN TABLAIVA T ON (T.IDTABLAIVA = E.IVAFINANCIACION)
  WHERE (E.IDEMPRESAS = :AuxEmpresa)
  INTO :AuxTipoIvaFinanciacion, :AuxAplicarIvaFinanciacion,
       :AuxPorIvaFinanciacion, :AuxPorRecargoFinanciacion;
  AuxTipoIvaFinanciacion = COALESCE(AuxTipoIvaFinanciacion, 0);
  AuxAplicarIvaFinanciacion = COALESCE(AuxAplicarIvaFinanciacion, 0);
  AuxPorIvaFinanciacion = COALESCE(AuxPorIvaFinanciacion, 0);
  AuxPorRecargoFinanciacion = COALESCE(AuxPorRecargoFinanciacion, 0);

  /* 5. Descuento comercial en importe ("I"): el importe que guarda la cabecera
     se convierte en el porcentaje que supone sobre el total de las lineas y
     se reparte despues entre los grupos de IVA como un porcentaje. */
  IF (AuxTipoDescuentoComercial = 'I') THEN
  BEGIN
    IF (AuxBaseLineas <> 0) THEN
      AuxPorcentajeDescuentoComercial = AuxImporteFijoComercial * 100 / AuxBaseLineas;
    ELSE
      AuxPorcentajeDescuentoComercial = 0;
  END

  /* 6. Regimen de IVA: su recargo manda sobre el de la cabecera; el tipo de
     IVA fijo, si lo hay, se lee con sus porcentajes. */
  AuxExiste = 0;
  SELECT 1, R.APLICARRECARGOSN, COALESCE(R.TIPOIVAFIJO, 0),
         COALESCE(T.PORCENTAJEIVA, 0), COALESCE(T.PORCENTAJERECARGO, 0)
  FROM REGIMENESIVA R
  LEFT JOIN TABLAIVA T ON (T.IDTABLAIVA = R.TIPOIVAFIJO)
  WHERE (R.IDREGIMENESIVA = :AuxRegimenIva)
  INTO :AuxExiste, :AuxRegimenAplicarRecargo, :AuxTipoIvaFijo,
       :AuxPorIvaFijo, :AuxPorRecargoFijo;
  IF (AuxExiste = 1) THEN
    AuxAplicarRecargoSN = COALESCE(AuxRegimenAplicarRecargo, 0);
  ELSE
  BEGIN
    AuxTipoIvaFijo = 0;
    AuxPorIvaFijo = 0;
    AuxPorRecargoFijo = 0;
  END

  /* Porcentaje del pie que se guardara si no hay lineas: el de la cabecera. */
  IF (AuxTipoDescuentoComercial = 'P') THEN
    AuxPorcentajeDescuentoComercial = AuxPorcentajeDescuentoPIE;

  /* Descuento de pronto pago en importe, aplicado antes del IVA: el importe de
     la cabecera se convierte en el porcentaje que supone sobre las lineas ya
     descontado el descuento comercial. */
  IF ((AuxAplicarDtoSobreIva = 0) AND (AuxTipoDescuentoPP = 'I')) THEN
  BEGIN
    AuxGrupoBase = AuxBaseLineas * (1 - AuxPorcentajeDescuentoComercial * 0.01);
    IF ((AuxTipoDescuentoComercial = 'P') AND (AuxPorcentajeDescuentoPIE = 0)) THEN
      SELECT :AuxBaseLineas * (1 - COALESCE(DTOTOTALPIEFACTURA, 0) * 0.01)
      FROM CLIENTES WHERE (IDCLIENTES = :AuxCliente)
      INTO :AuxGrupoBase;
    IF (AuxGrupoBase <> 0) THEN
      AuxPorcentajeDescuentoPP = AuxImporteFijoPP * 100 / AuxGrupoBase;
    ELSE
      AuxPorcentajeDescuentoPP = 0;
  END

  /* 7. Grupos de lineas con el mismo IVA. */
  FOR SELECT COALESCE(PorcentajeIva, 0), COALESCE(PorcentajeRecargo, 0), Iva,
             COALESCE(SUM(ImporteLinea), 0)
      FROM LineasAlbaranVenta
      WHERE (AlbaranVenta = :PARALBARANVENTA)
      GROUP BY 1, 2, 3
      INTO :AuxGrupoPorIva, :AuxGrupoPorRecargo, :AuxGrupoIva, :AuxGrupoBase
  DO
  BEGIN
    /* 7a. Sin porcentaje en el pie, el del cliente. */
    IF (COALESCE(AuxPorcentajeDescuentoPIE, 0) = 0) THEN
    BEGIN
      AuxPorcentajeDescuentoPIE = 0;
      SELECT COALESCE(DTOTOTALPIEFACTURA, 0) FROM CLIENTES
      WHERE (IDCLIENTES = :AuxCliente)
      INTO :AuxPorcentajeDescuentoPIE;
      AuxPorcentajeDescuentoPIE = COALESCE(AuxPorcentajeDescuentoPIE, 0);
    END

    /* 7b. Descuento comercial del grupo. */
    IF (AuxTipoDescuentoComercial = 'P') THEN
    BEGIN
      AuxDescuentoGrupo = AuxGrupoBase * AuxPorcentajeDescuentoPIE * 0.01;
      AuxImporteDescuentoComercial = AuxImporteDescuentoComercial + AuxDescuentoGrupo;
      AuxPorcentajeDescuentoComercial = AuxPorcentajeDescuentoPIE;
      AuxGrupoBase = AuxGrupoBase - AuxDescuentoGrupo;
    END
    ELSE IF (AuxTipoDescuentoComercial = 'I') THEN
    BEGIN
      AuxDescuentoGrupo = AuxGrupoBase * AuxPorcentajeDescuentoComercial * 0.01;
      AuxImporteDescuentoComercial = AuxImporteDescuentoComercial + AuxDescuentoGrupo;
      AuxGrupoBase = AuxGrupoBase - AuxDescuentoGrupo;
    END

    /* 7c. Pronto pago antes del IVA. */
    IF ((AuxAplicarDtoSobreIva = 0) AND ((AuxTipoDescuentoPP = 'P') OR (AuxTipoDescuentoPP = 'I'))) THEN
    BEGIN
      AuxDescuentoGrupo = AuxGrupoBase * AuxPorcentajeDescuentoPP * 0.01;
      AuxImporteDescuentoPP = AuxImporteDescuentoPP + AuxDescuentoGrupo;
      AuxGrupoBase = AuxGrupoBase - AuxDescuentoGrupo;
    END

    /* 7d. IVA y recargo del grupo. */
    IF (AuxAplicarIvaSN = 1) THEN
    BEGIN
      AuxImporteIva = AuxImporteIva + AuxGrupoBase * AuxGrupoPorIva * 0.01;
      IF (AuxAplicarRecargoSN = 1) THEN
        AuxImporteRecargo = AuxImporteRecargo + AuxGrupoBase * AuxGrupoPorRecargo * 0.01;
      ELSE
        AuxImporteRecargo = 0;
    END
    ELSE
    BEGIN
      AuxImporteIva = 0;
      AuxImporteRecargo = 0;
    END

    /* 7e. Base imponible. */
    AuxBaseImponible = AuxBaseImponible + AuxGrupoBase;
  END

  /* 8. Porcentajes de IVA de portes y gastos: los del tipo fijo del regimen o
     los del tipo de portes de la empresa. */
  IF (AuxTipoIvaFijo <> 0) THEN
  BEGIN
    AuxPorcentajeIvaPortes = AuxPorIvaFijo;
    AuxPorcentajeRecargoPortes = AuxPorRecargoFijo;
  END
  ELSE
  BEGIN
    AuxIvaPortes = NULL;
    SELECT IVAPORTES FROM EMPRESAS WHERE (IDEMPRESAS = :AuxEmpresa) INTO :AuxIvaPortes;
    AuxExiste = 0;
    SELECT 1, COALESCE(PORCENTAJEIVA, 0), COALESCE(PORCENTAJERECARGO, 0)
    FROM TABLAIVA WHERE (IDTABLAIVA = :AuxIvaPortes)
    INTO :AuxExiste, :AuxPorIvaTipoPortes, :AuxPorRecargoTipoPortes;
    IF (AuxExiste = 1) THEN
    BEGIN
      AuxPorcentajeIvaPortes = AuxPorIvaTipoPortes;
      AuxPorcentajeRecargoPortes = AuxPorRecargoTipoPortes;
    END
  END
  IF (AuxAplicarIvaSN = 0) THEN
  BEGIN
    AuxPorcentajeIvaPortes = 0;
    AuxPorcentajeRecargoPortes = 0;
    AuxAplicarRecargoSN = 0;
  END
  ELSE IF ((AuxAplicarIvaSN = 1) AND (AuxAplicarRecargoSN = 0)) THEN
    AuxPorcentajeRecargoPortes = 0;

  /* 9. IVA y recargo de portes y gastos. */
  IF (AuxAplicarIvaSN = 1) THEN
  BEGIN
    AuxImporteIvaPortes = COALESCE(AuxImporteGastos * AuxPorcentajeIvaPortes * 0.01, 0);
    IF (AuxAplicarRecargoSN = 1) THEN
      AuxImporteRecargoPortes = COALESCE(AuxImporteGastos * AuxPorcentajeRecargoPortes * 0.01, 0);
    ELSE
      AuxImporteRecargoPortes = 0;
    AuxImporteIva = AuxImporteIva + AuxImporteIvaPortes;
    AuxImporteRecargo = AuxImporteRecargo + AuxImporteRecargoPortes;
  END

  /* 10. Vacios a 0; los portes y gastos entran en la base. */
  AuxImporteGastos = COALESCE(AuxImporteGastos, 0);
  AuxBaseImponible = COALESCE(AuxBaseImponible, 0);
  AuxImporteRecargo = COALESCE(AuxImporteRecargo, 0);
  AuxImporteFinanciacion = COALESCE(AuxImporteFinanciacion, 0);
  AuxBaseImponible = AuxBaseImponible + AuxImporteGastos;

  /* 11. Financiacion, solo sin descuento de pronto pago. Un pronto pago en
     importe sobre el total con IVA toma su porcentaje en el paso 14. */
  IF ((AuxAplicarDtoSobreIva = 1) AND (AuxTipoDescuentoPP = 'I')) THEN
    AuxPorcentajeDescuentoPP = 0;
  IF ((AuxPorcentajeDescuentoPP = 0)
      AND NOT ((AuxTipoDescuentoPP = 'I') AND (AuxImporteFijoPP <> 0))) THEN
  BEGIN
    IF (AuxAplicarFincSobreIva = 0) THEN
      AuxImporteFinanciacion = AuxBaseImponible * AuxPorcentajeFinanciacion * 0.01;
    ELSE IF (AuxAplicarFincSobreIva = 1) THEN
      AuxImporteFinanciacion = (AuxBaseImponible + AuxImporteIva + AuxImporteRecargo)
                               * AuxPorcentajeFinanciacion * 0.01;
  END

  /* 12. IVA de la financiacion. */
  IF ((AuxAplicarIvaSN = 1) AND (AuxAplicarIvaFinanciacion = 1)) THEN
  BEGIN
    AuxImporteIvaFinanciacion = COALESCE(AuxImporteFinanciacion * AuxPorIvaFinanciacion * 0.01, 0);
    IF (AuxAplicarRecargoSN = 1) THEN
      AuxImporteRecargoFinanciacion = COALESCE(AuxImporteFinanciacion * AuxPorRecargoFinanciacion * 0.01, 0);
    ELSE
      AuxImporteRecargoFinanciacion = 0;
    AuxImporteIva = AuxImporteIva + AuxImporteIvaFinanciacion;
    AuxImporteRecargo = AuxImporteRecargo + AuxImporteRecargoFinanciacion;
  END
  IF (AuxAplicarIvaFinanciacion = 1) THEN
    AuxBaseImponible = AuxBaseImponible + AuxImporteFinanciacion;

  /* 13. Importe del albaran. */
  AuxImporteAlbaran = AuxBaseImponible + AuxImporteIva + AuxImporteRecargo;

  /* 14. Pronto pago sobre el total con IVA. */
  IF ((AuxAplicarDtoSobreIva = 1) AND (AuxPorcentajeFinanciacion = 0)) THEN
  BEGIN
    IF (AuxTipoDescuentoPP = 'P') THEN
    BEGIN
      AuxDescuentoGrupo = AuxImporteAlbaran * AuxPorcentajeDescuentoPP * 0.01;
      AuxImporteDescuentoPP = AuxImporteDescuentoPP + AuxDescuentoGrupo;
      AuxImporteAlbaran = AuxImporteAlbaran - AuxDescuentoGrupo;
    END
    ELSE IF (AuxTipoDescuentoPP = 'I') THEN
    BEGIN
      IF (AuxImporteAlbaran <> 0) THEN
        AuxPorcentajeDescuentoPP = AuxImporteFijoPP * 100 / AuxImporteAlbaran;
      ELSE
        AuxPorcentajeDescuentoPP = 0;
      AuxDescuentoGrupo = AuxImporteAlbaran * AuxPorcentajeDescuentoPP * 0.01;
      AuxImporteDescuentoPP = AuxImporteDescuentoPP + AuxDescuentoGrupo;
      AuxImporteAlbaran = AuxImporteAlbaran - AuxDescuentoGrupo;
    END
  END

  /* 15. Financiacion sin IVA fuera de la base; total de descuentos. */
  IF (AuxAplicarIvaFinanciacion = 0) THEN
    AuxImporteAlbaran = AuxImporteAlbaran + AuxImporteFinanciacion;
  AuxImporteDescuentos = AuxImporteDescuentoLineas + AuxImporteDescuentoComercial
                         + AuxImporteDescuentoPP;

  /* 16. Comisiones de los agentes, entrega inicial y punto verde. */
  SELECT COALESCE(SUM(ImporteComision), 0) FROM AgentesLineasAlbaranVenta
  WHERE (AlbaranVenta = :PARALBARANVENTA)
  INTO :AuxImporteComisiones;

  SELECT COALESCE(FP.PORCENTAJEENTREGAINICIAL, 0)
  FROM ALBARANESVENTA AV
  INNER JOIN FORMASPAGO FP ON (FP.IDFORMASPAGO = AV.FORMAPAGO)
  WHERE (AV.IDALBARANESVENTA = :PARALBARANVENTA)
  INTO :AuxPorEntregaInicial;
  AuxPorEntregaInicial = COALESCE(AuxPorEntregaInicial, 0);
  IF (AuxPorEntregaInicial <> 0) THEN
    AuxImpEntregaInicial = AuxImporteAlbaran * AuxPorEntregaInicial * 0.01;

  SELECT COALESCE(SUM(CantidadStock1 * PrecioPuntoVerde), 0),
         COALESCE(SUM(CantidadStock1 * PrecioPuntoVerde * PorcentajeIVA * 0.01), 0),
         COALESCE(SUM(CantidadStock1 * PrecioPuntoVerde * PorcentajeRecargo * 0.01), 0)
  FROM LineasAlbaranVenta
  WHERE (AlbaranVenta = :PARALBARANVENTA)
  INTO :AuxBasePuntoVerde, :AuxIvaPuntoVerde, :AuxRecargoPuntoVerde;

  /* 17. Cabecera. */
  UPDATE AlbaranesVenta SET
    ImporteDescuentoLineas = :AuxImporteDescuentoLineas,
    ImporteBruto = :AuxImporteBruto,
    ImporteGastos = :AuxImporteGastos,
    BaseImponible = :AuxBaseImponible,
    ImporteIva = :AuxImporteIva,
    ImporteRecargo = :AuxImporteRecargo,
    ImporteDescuentoPP = :AuxImporteDescuentoPP,
    PorcentajeDescuentoPP = :AuxPorcentajeDescuentoPP,
    ImporteFinanciacion = :AuxImporteFinanciacion,
    PorcentajeFinanciacion = :AuxPorcentajeFinanciacion,
    ImporteDescuentoComercial = :AuxImporteDescuentoComercial,
    PORCENTAJEDESCUENTOCOMER = :AuxPorcentajeDescuentoComercial,
    ImporteDescuentos = :AuxImporteDescuentos,
    ImporteAlbaran = :AuxImporteAlbaran,
    ImporteComisiones = :AuxImporteComisiones,
    ImporteEntregadoInicial = :AuxImpEntregaInicial,
    BasePuntoVerde = :AuxBasePuntoVerde,
    IvaPuntoVerde = :AuxIvaPuntoVerde,
    RecargoPuntoVerde = :AuxRecargoPuntoVerde,
    PORCENTAJERECARGOPORTESGA = :AuxPorcentajeRecargoPortes
  WHERE (IdAlbaranesVenta = :PARALBARANVENTA);
END
