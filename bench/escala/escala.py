#!/usr/bin/env python3
"""Every import kind against a catalogue of a realistic size, at growing workbook sizes.

    python3 escala.py [--build DIR] [--filas 2000,10000,40000] [--tipos a,b,...]
                      [--escritura async,sync] [--limite S] [--trabajo DIR] [--cien-mil]

Builds once (kept in --trabajo, rebuilt when missing) a copy of the template database bulk-filled
with 50,000 articles (two warehouses of stock, a PVP and a MAY price-list row with its first
interval each), 20,000 clients, 5,000 suppliers with 50,000 supplier records (40,000 of them of the
supplier V00001, the usual supplier of those articles), 40,000 lots, 400 delivery notes of 100
lines for the DLR reports and an empty sales and purchase note for the line transfer. The module's
own upgrade is run on it once (a dry run of one client), so no kind pays for it.

Then, for every kind, size and forced-writes mode: a fresh copy of that database, the write mode
set with gfix, the kind's workbook of that many rows, and qdimport with --lote 1000 and --tiempos
under /usr/bin/time -v (peak memory). A run longer than --limite seconds is stopped and shown as
such. At the end, per kind and mode: rows/s of load + write at each size, the peak memory and the
growth exponent log(t40k / t10k) / log(4) (of the two largest sizes given).

--cien-mil adds the article write of 100,000 rows with forced writes on and --lote 1000.
Only python3's standard library, isql-fb, gfix and /usr/bin/time are used.
"""
import argparse
import math
import os
import re
import shutil
import signal
import subprocess
import sys
import time

AQUI = os.path.dirname(os.path.abspath(__file__))
RAIZ = os.path.normpath(os.path.join(AQUI, "..", ".."))
USUARIO = ["-user", "SYSDBA", "-password", "masterkey"]

ARTICULOS = 50_000
CLIENTES = 20_000
PROVEEDORES = 5_000
DEL_PROVEEDOR = 40_000  # supplier records (and usual supplier) of V00001
NOTAS_DLR, LINEAS_NOTA = 400, 100
ALBARAN = 1000  # the empty sales and purchase notes the lines go into

TIPOS = ["articulos", "clientes", "direcciones", "contactos", "proveedores", "bancos", "tarifas", "dlr",
         "lineas-lav", "lineas-lac", "tarifa-proveedor", "verificar-referencias"]

# --- the database -----------------------------------------------------------------------------

# Dialect 1: arithmetic is double precision, so a number written into a text goes through CAST.
RELLENO = f"""
SET TERM ^;
EXECUTE BLOCK AS
DECLARE I INTEGER = 1;
BEGIN
  WHILE (I <= {PROVEEDORES}) DO BEGIN
    INSERT INTO PROVEEDORES (CODIGO, NOMBRE, RAZONSOCIAL, GRUPOEMPRESAS, FORMAPAGO, REGIMENIVA, MONEDA)
    VALUES ('V' || LPAD(:I, 5, '0'), 'Proveedor ' || :I, 'Proveedor ' || :I || ' S.L.', 1, 2, 1, 1);
    I = I + 1;
  END
END^
EXECUTE BLOCK AS
DECLARE I INTEGER = 1;
DECLARE HABITUAL INTEGER;
DECLARE A INTEGER;
DECLARE TA INTEGER;
BEGIN
  SELECT IDPROVEEDORES FROM PROVEEDORES WHERE CODIGO = 'V00001' INTO :HABITUAL;
  WHILE (I <= {ARTICULOS}) DO BEGIN
    INSERT INTO ARTICULOS (GRUPOEMPRESAS, CODIGO, NOMBRE, CODIGOEAN, REFERENCIAPROVEEDOR, IVA, FAMILIA,
      PROVEEDORHABITUAL, PRECIOMEDIOCOSTE, PRECIOULTIMACOMPRA, AFECTASTOCK, USOCOMPRA, USOVENTA)
    VALUES (1, 'E' || LPAD(:I, 6, '0'), 'Artículo de catálogo ' || :I, '84' || LPAD(:I, 11, '0'),
      IIF(:I <= {DEL_PROVEEDOR}, 'R' || LPAD(:I, 6, '0'), 'Q' || LPAD(:I, 6, '0')), 1 + MOD(:I, 3),
      1 + MOD(:I, 5), IIF(:I <= {DEL_PROVEEDOR}, :HABITUAL, NULL), 2 + MOD(:I, 50), 2 + MOD(:I, 50), 1, 1, 1)
    RETURNING IDARTICULOS INTO :A;
    /* the schema's triggers give the article its stock rows and each price-list row its intervals */
    UPDATE ARTICULOSALMACEN SET STOCKACTUAL1 = IIF(ALMACEN = 1, MOD(:I, 40), MOD(:I, 7))
    WHERE ARTICULOCARACTERISTICA = :A AND ALMACEN IN (1, 2);
    INSERT INTO TARIFASARTICULOS (TARIFA, ARTICULO, FECHAALTA) VALUES (1, :A, 'NOW') RETURNING IDTARIFASARTICULOS INTO :TA;
    UPDATE INTERVALOSTARIFASARTICULOS SET IMPORTEVENTA = 5 + MOD(:I, 90) WHERE TARIFAARTICULO = :TA;
    INSERT INTO TARIFASARTICULOS (TARIFA, ARTICULO, FECHAALTA) VALUES (2, :A, 'NOW') RETURNING IDTARIFASARTICULOS INTO :TA;
    UPDATE INTERVALOSTARIFASARTICULOS SET IMPORTEVENTA = 4 + MOD(:I, 80) WHERE TARIFAARTICULO = :TA;
    IF (I <= {DEL_PROVEEDOR}) THEN
      INSERT INTO ARTICULOSPROVEEDORES (ARTICULO, PROVEEDOR, EMPRESA, REFERENCIA_PROVEEDOR, PRECIO, COSTOREAL)
      VALUES (:A, :HABITUAL, 1, 'R' || LPAD(:I, 6, '0'), 2 + MOD(:I, 50), 2 + MOD(:I, 50));
    ELSE BEGIN
      /* the other suppliers: two records for each of the last articles */
      INSERT INTO ARTICULOSPROVEEDORES (ARTICULO, PROVEEDOR, EMPRESA, REFERENCIA_PROVEEDOR, PRECIO)
      VALUES (:A, :HABITUAL + 1 + MOD(:I, {PROVEEDORES - 1}), 1, 'Q' || LPAD(:I, 6, '0'), 3);
    END
    I = I + 1;
  END
END^
EXECUTE BLOCK AS
DECLARE I INTEGER = {DEL_PROVEEDOR + 1};
DECLARE A INTEGER;
BEGIN
  /* the second record of each of the last articles: 50,000 supplier records in all */
  WHILE (I <= {ARTICULOS}) DO BEGIN
    SELECT IDARTICULOS FROM ARTICULOS WHERE CODIGO = 'E' || LPAD(:I, 6, '0') INTO :A;
    INSERT INTO ARTICULOSPROVEEDORES (ARTICULO, PROVEEDOR, EMPRESA, REFERENCIA_PROVEEDOR, PRECIO)
    SELECT :A, IDPROVEEDORES, 1, 'S' || LPAD(:I, 6, '0'), 3 FROM PROVEEDORES
    WHERE CODIGO = 'V' || LPAD(CAST(2 + MOD(:I + 2500, {PROVEEDORES - 1}) AS INTEGER), 5, '0');
    I = I + 1;
  END
END^
EXECUTE BLOCK AS
DECLARE I INTEGER = 1;
BEGIN
  WHILE (I <= {CLIENTES}) DO BEGIN
    INSERT INTO CLIENTES (GRUPOEMPRESAS, CODIGO, NOMBRE, RAZONSOCIAL, NIF, TARIFA, FORMAPAGO, CARTERA,
      REGIMENIVA, MONEDA)
    VALUES (1, 'C' || LPAD(:I, 5, '0'), 'Cliente ' || :I, 'Cliente ' || :I || ' S.A.', 'A' || LPAD(:I, 8, '0'),
      1, 2, 2, 1, 1);
    I = I + 1;
  END
END^
EXECUTE BLOCK AS
DECLARE N INTEGER = 0;
DECLARE J INTEGER;
DECLARE NOTA INTEGER;
DECLARE A INTEGER;
DECLARE L INTEGER;
BEGIN
  INSERT INTO ALBARANESVENTA (IDALBARANESVENTA, EMPRESA, SERIEDOCUMENTO, NUMERO, FECHAALBARAN, CLIENTE,
    ALMACEN, FORMAPAGO, REGIMENIVA, TARIFA, MONEDA, PORTES, GASTOS, TIPODESCUENTOPP, PORCENTAJEDESCUENTOPP,
    TIPODESCUENTOCOMERCIAL, PORCENTAJEDESCUENTOCOMER, APLICARIVASN, APLICARRECARGOSN, APLICARDTOSOBREIVA,
    APLICARFINCSOBREIVA, PORCENTAJEIVAPORTESGASTOS, PORCENTAJERECARGOPORTESGA, PORCENTAJEFINANCIACION)
  VALUES ({ALBARAN}, 1, 1, {ALBARAN}, '2026-01-15 10:00', 1, 1, 2, 1, 1, 1, 0, 0, 'P', 0, 'P', 0, 1, 0, 0, 0, 21, 0, 0);
  INSERT INTO ALBARANESCOMPRA (IDALBARANESCOMPRA, EMPRESA, SERIEDOCUMENTO, NUMERO, FECHAALBARAN, PROVEEDOR,
    ALMACEN, FORMAPAGO, REGIMENIVA, MONEDA, PORTES, GASTOS, APLICARIVASN, APLICARRECARGOSN, PORCENTAJEIVAPORTESGASTOS)
  VALUES ({ALBARAN}, 1, 4, {ALBARAN}, '2026-01-15 10:00', 1, 1, 2, 1, 1, 0, 0, 1, 0, 21);
  /* the notes the DLR reports confirm: ALB5001 ... with one line per article and a lot for it */
  WHILE (N < {NOTAS_DLR}) DO BEGIN
    NOTA = GEN_ID(GENIDALBARANESVENTA, 1) + 10000;
    INSERT INTO ALBARANESVENTA (IDALBARANESVENTA, EMPRESA, SERIEDOCUMENTO, NUMERO, FECHAALBARAN, CLIENTE,
      ALMACEN, FORMAPAGO, REGIMENIVA, TARIFA, MONEDA, APLICARIVASN)
    VALUES (:NOTA, 1, 2, 5001 + :N, '2026-01-20 09:00', 1 + MOD(:N, 10), 1, 2, 1, 1, 1, 1);
    J = 1;
    WHILE (J <= {LINEAS_NOTA}) DO BEGIN
      SELECT IDARTICULOS FROM ARTICULOS
      WHERE CODIGO = 'E' || LPAD(CAST(1 + MOD(:N * {LINEAS_NOTA} + :J, {ARTICULOS}) AS INTEGER), 6, '0')
      INTO :A;
      L = GEN_ID(GENIDLINEASALBARANVENTA, 1);
      INSERT INTO LINEASALBARANVENTA (IDLINEASALBARANVENTA, ALBARANVENTA, NUMEROLINEA, ARTICULO, ALMACEN, IVA,
        CANTIDADSTOCK1, PRECIO)
      VALUES (:L, :NOTA, :J, :A, 1, 1, 5, 3);
      INSERT INTO LOTES (NUMEROLOTE, DISPONIBLE, ARTICULO) VALUES ('L' || CAST(5001 + :N AS INTEGER) || '-' || :J, 1, :A);
      J = J + 1;
    END
    N = N + 1;
  END
END^
SET TERM ;^
COMMIT;
/* The index statistics of a database of this size (as a restore leaves them), not those of the
   empty tables the indexes were created on: the plans are those a real catalogue gets. */
SET TERM ^;
EXECUTE BLOCK AS
DECLARE INDICE VARCHAR(31);
BEGIN
  FOR SELECT TRIM(RDB$INDEX_NAME) FROM RDB$INDICES WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 INTO :INDICE DO
    EXECUTE STATEMENT 'SET STATISTICS INDEX ' || INDICE;
END^
SET TERM ;^
COMMIT;
"""


def isql(db, sql):
    subprocess.run(["isql-fb", "-q", "-b", "-ch", "UTF8"] + USUARIO + [db], input=sql.encode(), check=True,
                   stdout=subprocess.DEVNULL)


def gfix(db, modo):
    subprocess.run(["gfix", "-write", modo] + USUARIO + [db], check=True)


def base_datos(build, trabajo):
    base = os.path.join(trabajo, "escala.fdb")
    if os.path.exists(base):
        return base
    plantilla = os.path.join(build, "db", "plantilla.fdb")
    tmp = base + ".tmp"
    shutil.copyfile(plantilla, tmp)
    gfix(tmp, "async")
    t0 = time.time()
    isql(tmp, RELLENO)
    # The module's upgrade once, by a dry run of one client.
    uno = os.path.join(trabajo, "uno.csv")
    with open(uno, "w", encoding="utf-8") as f:
        f.write("CODIGO;NOMBRE\nZ000001;Uno\n")
    subprocess.run([os.path.join(build, "bin", "qdimport"), "--database", tmp, "--kind", "clientes", "--simular",
                    uno], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.replace(tmp, base)
    print(f"database filled in {time.time() - t0:.1f} s: {base}", flush=True)
    return base


# --- the workbooks ----------------------------------------------------------------------------

def escribir(ruta, filas):
    with open(ruta, "w", encoding="utf-8", newline="") as f:
        for fila in filas:
            f.write(";".join(str(v) for v in fila) + "\n")


def texto(v):
    """A value kept as text by the reader (quoted)."""
    return '"' + v + '"'


def libro(tipo, n, ruta):
    e = lambda i: f"E{1 + i % ARTICULOS:06d}"  # noqa: E731 (an article of the catalogue)
    c = lambda i: f"C{1 + i % CLIENTES:05d}"  # noqa: E731 (a client of the catalogue)
    if tipo == "articulos":
        # Odd rows update an article of the catalogue, even rows create one.
        filas = [["CODIGO", "NOMBRE", "CODIGOEAN", "FAMILIA", "IVA", "PRECIOMEDIOCOSTE", "PRECIOULTIMACOMPRA",
                  "PVP", "PVPCONIVA", "STOCK"]]
        for i in range(n):
            codigo = e(i) if i % 2 else f"N{i:06d}"
            coste = round(0.5 + (i * 37 % 900) / 10.0, 2)
            filas.append([codigo, f"Artículo {i}", f"85{i:011d}", ["ALIM", "BEBI", "LIMP"][i % 3],
                          [21, 10, 4][i % 3], coste, round(coste * 1.03, 2), round(coste * 1.4, 2),
                          round(coste * 1.4 * 1.21, 2), float(i % 250)])
    elif tipo in ("clientes", "proveedores"):
        letra = "K" if tipo == "clientes" else "W"
        filas = [["CODIGO", "GRUPOEMPRESAS", "NOMBRE", "RAZONSOCIAL", "NIF", "DIRECCION", "LOCALIDAD", "PROVINCIA",
                  "CODIGOPOSTAL", "COD_FPAGO", "COD_REGIMENIVA", "COD_MONEDA"]]
        for i in range(n):
            filas.append([f"{letra}{i:06d}", 1, f"Tercero {i}", f"Tercero {i} S.L.", f"B{i:08d}",
                          f"Calle {i % 500}, {i % 97}", "Valencia", "Valencia", f"46{i % 1000:03d}",
                          ["CON", "R30", "TRA"][i % 3], "GEN", "EUR"])
    elif tipo == "direcciones":
        filas = [["COD_CLIENTE", "NOMBRE_ENVIO", "DIRECCION", "LOCALIDAD", "PROVINCIA", "CODIGOPOSTAL"]]
        for i in range(n):
            filas.append([c(i), f"Envío {i // CLIENTES}", f"Polígono {i % 50}, nave {i}", "Paterna", "Valencia",
                          "46980"])
    elif tipo == "contactos":
        filas = [["COD_CLIENTE", "GRUPOEMPRESAS", "NOMBRE", "CARGO", "TELEFONO", "EMAIL1"]]
        for i in range(n):
            filas.append([c(i), 1, f"Contacto {i // CLIENTES}", "Compras", texto(f"{100 + i % 900}"),
                          f"c{i}@example.com"])
    elif tipo == "bancos":
        filas = [["Codigo", "CuentaBancoCCC", "NombreBanco"]]
        for i in range(n):
            filas.append([c(i), texto(f"2100{i % 9000 + 1000:04d}00{i:010d}"), "Banco de pruebas"])
    elif tipo == "tarifas":
        filas = [["CODIGO", "NOMBRE", "PVP", "", "MAY", ""], ["", "", "PVP", "", "MAYORISTAS", ""]]
        for i in range(n):
            filas.append([e(i), f"Artículo {i}", round(5 + i % 90 + 0.25, 2), "", round(4 + i % 80 + 0.5, 2), ""])
    elif tipo == "dlr":
        filas = [["Pedido", "Línea", "Código", "Und. Preps", "Lote", "Fecha de caducidad"]]
        for i in range(n):
            nota, j = divmod(i, LINEAS_NOTA)
            filas.append([f"ALB{5001 + nota}", j + 1, f"E{1 + (nota * LINEAS_NOTA + j + 1) % ARTICULOS:06d}", 5,
                          f"L{5001 + nota}-{j + 1}", "2027-01-31"])
    elif tipo in ("lineas-lav", "lineas-lac"):
        filas = [["CODIGO", "CANTIDAD1", "PRECIO", "DESCUENTO"]]
        for i in range(n):
            filas.append([e(i * 7), 1 + i % 5, round(1 + (i % 300) / 7.0, 2), [0, 5, 10][i % 3]])
    elif tipo == "tarifa-proveedor":
        filas = [["REF", "PRECIO", "DTO1", "DTO2", "EAN"]]
        for i in range(n):
            r = f"R{1 + (i * 13) % DEL_PROVEEDOR:06d}"
            filas.append([r.lower() if i % 4 == 0 else r, round(2 + (i % 400) / 9.0, 2), [0, 5, 10][i % 3],
                          [0, 2][i % 2], f"86{i:011d}" if i % 2 else ""])
    elif tipo == "verificar-referencias":
        filas = [["REF", "EAN", "NOMBRE"]]
        for i in range(n):
            k = 1 + (i * 13) % DEL_PROVEEDOR
            filas.append([f"R{k:06d}" if i % 3 else f"R{k:06d}X", f"86{i:011d}", f"Artículo proveedor {k}"])
    else:
        raise SystemExit(f"unknown kind {tipo}")
    escribir(ruta, filas)


def opciones(tipo, trabajo):
    if tipo == "articulos":
        return ["--kind", "articulos", "--create", "--update", "--pvp", "--stock", "--tarifa", "PVP", "--almacen",
                "CEN", "--fields", "CODIGO,NOMBRE,CODIGOEAN,FAMILIA,IVA,PRECIOMEDIOCOSTE,PRECIOULTIMACOMPRA",
                "--excel-ini", os.path.join(trabajo, "no-hay.ini"), "--yes"]
    if tipo == "tarifas":
        return ["--kind", "tarifas", "--tarifa1", "PVP", "--tarifa2", "MAY"]
    if tipo == "lineas-lav":
        return ["--kind", "lineas", "--opcion", "LAV", "--albaran", str(ALBARAN), "--almacen-lav", "1",
                "--solo-validas", "--carpeta-incidencias", trabajo]
    if tipo == "lineas-lac":
        return ["--kind", "lineas", "--opcion", "LAC", "--albaran", str(ALBARAN), "--almacen-lav", "1",
                "--solo-validas", "--carpeta-incidencias", trabajo]
    if tipo == "tarifa-proveedor":
        return ["--kind", "tarifa-proveedor", "--proveedor", "V00001", "--enlace",
                "REF=REFERENCIA_PROVEEDOR,PRECIO=PRECIO,DTO1=DESCUENTO,DTO2=DESCUENTO2,EAN=CODIGOEAN",
                "--dtos-en-costo-real", "--tarifa1", "PVP", "--tarifa2", "MAY", "--costes-ficha", "--formato-ean",
                "--actualizar-tarifas", "--catalogo-web"]
    if tipo == "verificar-referencias":
        return ["--kind", "verificar-referencias", "--proveedor", "V00001", "--enlace",
                "REF=REFERENCIA_PROVEEDOR,EAN=CODIGOEAN,NOMBRE=NOMBRE_ARTICULO", "--actualizar",
                "--referencia-proveedor", "--referencia-habitual", "--formato-ean", "--catalogo-web"]
    return ["--kind", tipo]


# --- the runs ---------------------------------------------------------------------------------

def ejecutar(build, base, trabajo, tipo, n, modo, limite, lote="1000"):
    ruta = os.path.join(trabajo, f"{tipo}_{n}.csv")
    if not os.path.exists(ruta):
        libro(tipo, n, ruta)
    db = os.path.join(trabajo, "run.fdb")
    shutil.copyfile(base, db)
    gfix(db, modo)
    orden = ["/usr/bin/time", "-v", os.path.join(build, "bin", "qdimport"), "--database", db, "--tiempos",
             "--lote", lote] + opciones(tipo, trabajo) + [ruta]
    t0 = time.time()
    # Its own process group, so that a run stopped at the limit takes qdimport with it.
    p = subprocess.Popen(orden, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, start_new_session=True)
    try:
        _, err = p.communicate(timeout=limite)
    except subprocess.TimeoutExpired:
        os.killpg(p.pid, signal.SIGKILL)
        p.communicate()
        return {"limite": True, "pared": time.time() - t0}
    err = err.decode(errors="replace")
    t = re.search(r"tiempos: filas (\d+) carga ([\d.]+) s escritura ([\d.]+) s", err)
    rss = re.search(r"Maximum resident set size \(kbytes\): (\d+)", err)
    if not t:
        sys.stderr.write(f"{tipo} {n} {modo}: no timing (exit {p.returncode})\n{err[-2000:]}\n")
        return {"fallo": True}
    return {"filas": int(t.group(1)), "carga": float(t.group(2)), "escritura": float(t.group(3)),
            "rss": int(rss.group(1)) // 1024 if rss else 0, "salida": p.returncode}


def main():
    a = argparse.ArgumentParser()
    a.add_argument("--build", default=os.path.join(RAIZ, "build"))
    a.add_argument("--filas", default="2000,10000,40000")
    a.add_argument("--tipos", default=",".join(TIPOS))
    a.add_argument("--escritura", default="async,sync")
    a.add_argument("--limite", type=float, default=600)
    a.add_argument("--trabajo", default=os.path.join(RAIZ, "build", "bench_escala"))
    a.add_argument("--cien-mil", action="store_true")
    o = a.parse_args()
    build = os.path.abspath(o.build)
    os.makedirs(o.trabajo, exist_ok=True)
    base = base_datos(build, o.trabajo)
    tamanos = [int(x) for x in o.filas.split(",")]
    resultados = {}
    print(f"{'kind':24}{'fw':>6}{'rows':>8}{'load s':>9}{'write s':>9}{'rows/s':>10}{'peak MiB':>10}", flush=True)
    for modo in o.escritura.split(","):
        for tipo in o.tipos.split(","):
            for n in tamanos:
                r = ejecutar(build, base, o.trabajo, tipo, n, modo, o.limite)
                resultados[(tipo, modo, n)] = r
                fw = "off" if modo == "async" else "on"
                if r.get("limite"):
                    print(f"{tipo:24}{fw:>6}{n:>8}   stopped after {o.limite:.0f} s", flush=True)
                    break  # a larger size would take longer still
                if r.get("fallo"):
                    print(f"{tipo:24}{fw:>6}{n:>8}   failed", flush=True)
                    continue
                total = r["carga"] + r["escritura"]
                print(f"{tipo:24}{fw:>6}{n:>8}{r['carga']:>9.2f}{r['escritura']:>9.2f}"
                      f"{n / total:>10.0f}{r['rss']:>10}" + (f"  (exit {r['salida']})" if r["salida"] else ""),
                      flush=True)
    if o.cien_mil:
        r = ejecutar(build, base, o.trabajo, "articulos", 100_000, "sync", o.limite)
        if "escritura" in r:
            print(f"articulos 100000 rows, forced writes on, --lote 1000: load {r['carga']:.2f} s, "
                  f"write {r['escritura']:.2f} s ({100_000 / r['escritura']:.0f} rows/s), peak {r['rss']} MiB")
        else:
            print("articulos 100000 rows, forced writes on: stopped or failed")
    # The growth exponent between the two largest sizes.
    if len(tamanos) >= 2:
        n1, n2 = sorted(tamanos)[-2:]
        print(f"\ngrowth exponent log(t{n2}/t{n1}) / log({n2 / n1:g}) of load + write:")
        for modo in o.escritura.split(","):
            for tipo in o.tipos.split(","):
                r1, r2 = resultados.get((tipo, modo, n1), {}), resultados.get((tipo, modo, n2), {})
                fw = "off" if modo == "async" else "on"
                if "carga" in r1 and "carga" in r2:
                    t1, t2 = r1["carga"] + r1["escritura"], r2["carga"] + r2["escritura"]
                    e = math.log(t2 / t1) / math.log(n2 / n1)
                    print(f"  {tipo:24} fw {fw:>3}: {e:5.2f}" + ("" if e <= 1.15 else "   (> 1.15)"))
                else:
                    print(f"  {tipo:24} fw {fw:>3}:   -- (not measured at both sizes)")


if __name__ == "__main__":
    main()
