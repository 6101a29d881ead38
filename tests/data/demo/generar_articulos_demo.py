#!/usr/bin/env python3
"""Writes articulos_demo.xlsx: a sample article workbook for the demo database (50 rows).

Rows 1-20 are demo articles that exist (codes 10001-10020): their names, prices and stock change.
Rows 21-50 are new articles (codes 20001-20030), with families and brands of the demo data, one
new family (HOGAR, created by the import) and VAT codes 21, 10 and 4.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "articulos"))
from xlsx_min import write_xlsx  # noqa: E402

HEADERS = ["CODIGO", "NOMBRE", "CODIGOEAN", "FAMILIA", "MARCA", "IVA", "PRECIOMEDIOCOSTE",
           "PRECIOULTIMACOMPRA", "PVP", "PVPCONIVA", "STOCK", "OBSERVACIONES"]

EXISTENTES = [
    ("Aceite de oliva virgen extra 250 g Turia", "ALIM", "TUR", 10),
    ("Agua mineral 33 cl Mediterránea", "BEBI", "MED", 10),
    ("Lejía perfumada 1 l Brillolar", "LIMP", "BRI", 21),
    ("Batidora de vaso 600 W Voltia", "ELEC", "VOL", 21),
    ("Atún claro en aceite de oliva Atlántico", "CONS", "ATL", 10),
]

NUEVOS = [
    ("Pimentón de la Vera dulce 75 g", "ALIM", "TUR", 10),
    ("Azafrán en hebra 1 g", "ALIM", "TUR", 10),
    ("Turrón de Jijona 300 g", "ALIM", "TUR", 10),
    ("Café molido natural 250 g", "ALIM", "TUR", 10),
    ("Miel de azahar 500 g", "ALIM", "TUR", 10),
    ("Sidra natural asturiana 70 cl", "BEBI", "MED", 21),
    ("Gaseosa limón 1,5 l", "BEBI", "MED", 10),
    ("Té verde con menta, 20 bolsitas", "BEBI", "MED", 10),
    ("Leche de almendras 1 l", "BEBI", "MED", 10),
    ("Cava brut nature 75 cl", "BEBI", "MED", 21),
    ("Friegasuelos aroma limón 1,5 l", "LIMP", "BRI", 21),
    ("Jabón de Marsella 300 g", "LIMP", "BRI", 21),
    ("Estropajo doble cara, pack 3", "LIMP", "BRI", 21),
    ("Limpiacristales pulverizador 750 ml", "LIMP", "BRI", 21),
    ("Detergente lavavajillas máquina 40 dosis", "LIMP", "BRI", 21),
    ("Cafetera de goteo 10 tazas", "ELEC", "VOL", 21),
    ("Plancha de vapor cerámica 2400 W", "ELEC", "VOL", 21),
    ("Exprimidor eléctrico 40 W", "ELEC", "VOL", 21),
    ("Hervidor de agua 1,7 l", "ELEC", "VOL", 21),
    ("Báscula de cocina digital", "ELEC", "VOL", 21),
    ("Mejillones en escabeche 115 g", "CONS", "ATL", 10),
    ("Sardinas en aceite picante 120 g", "CONS", "ATL", 10),
    ("Pimientos del piquillo 220 g", "CONS", "ATL", 10),
    ("Espárragos blancos gruesos 330 g", "CONS", "ATL", 4),
    ("Garbanzos cocidos 400 g", "CONS", "ATL", 4),
    ("Paño de cocina algodón, pack 2", "HOGAR", "", 21),
    ("Pinzas de madera para tender, 24 u.", "HOGAR", "", 21),
    ("Cesta de mimbre mediana", "HOGAR", "", 21),
    ("Vela aromática de lavanda", "HOGAR", "", 21),
    ("Cubo con escurridor 12 l", "HOGAR", "", 21),
]


def ean13(base12):
    s = sum(int(d) * (3 if i % 2 else 1) for i, d in enumerate(base12))
    return base12 + str((10 - s % 10) % 10)


def fila(codigo, nombre, familia, marca, iva, i, existente):
    coste = round(0.85 + (i * 37 % 90) / 10.0, 2)
    pvp = round(coste * 1.45, 2)
    return [codigo, nombre, ean13(f"84{i + 7000000000:010d}"), familia, marca or None, iva, coste,
            round(coste * 1.02, 2), pvp, round(pvp * (1 + iva / 100.0), 2), float((i * 13) % 120 + 5),
            "Actualizado desde Excel" if existente else "Alta desde Excel: revisar ubicación"]


def main():
    rows = [HEADERS]
    for i in range(20):
        nombre, familia, marca, iva = EXISTENTES[i % len(EXISTENTES)]
        rows.append(fila(f"1{i + 1:04d}", nombre, familia, marca, iva, i + 1, True))
    for i, (nombre, familia, marca, iva) in enumerate(NUEVOS):
        rows.append(fila(f"2{i + 1:04d}", nombre, familia, marca, iva, i + 101, False))
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "articulos_demo.xlsx")
    write_xlsx(out, rows, "Artículos")
    print(out, len(rows) - 1, "rows")


if __name__ == "__main__":
    main()
