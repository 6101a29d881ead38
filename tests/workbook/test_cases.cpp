// Small workbooks written by fixtures/casos/make_casos.py, each showing one thing the readers once got
// wrong: a value read wrong without a word, or a file refused that the spreadsheet program opens.

#include "SheetDump.h"
#include "Workbook.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <vector>

using namespace qd::wb;

namespace {

QString casePath(const char* name) {
    return QStringLiteral(QD_WB_FIXTURES "/casos/") + QLatin1String(name);
}

struct ReadCase {
    const char* file;
    std::vector<const char*> lines; // lines of the active sheet's dump, in order
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << c.file;
}

class Cases : public testing::TestWithParam<ReadCase> {};

TEST_P(Cases, GiveTheirValues) {
    const ReadCase& c = GetParam();
    std::unique_ptr<Workbook> wb;
    try {
        wb = Workbook::open(casePath(c.file));
    } catch (const Error& e) {
        FAIL() << e.message().toStdString();
    }
    const QStringList dump = SheetDump::dump(wb->activeSheet()).split(u'\n');
    qsizetype at = 0;
    for (const char* line : c.lines) {
        const qsizetype found = dump.indexOf(QString::fromUtf8(line), at);
        EXPECT_GE(found, 0) << "missing: " << line << "\n" << dump.join(u'\n').left(2000).toStdString();
        if (found >= 0) at = found + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Readers, Cases,
    testing::Values(
        // a namespaced workbookPr of an extension does not undo the 1904 date system
        ReadCase{"fechas1904_ext.xlsx", {"1\t1\tdate\t1904-01-01", "1\t2\tdate\t1905-01-01"}},
        ReadCase{"espacio_propio.xlsx", {"1\t1\tdate\t1904-01-01", "1\t2\ttext\tpropio"}},
        // formula text results with escaped characters; line ends read as XML reads them, an escaped
        // carriage return (or one written as a reference) kept
        ReadCase{"textos.xlsx",
                 {"1\t1\ttext\tTom & Jerry", "1\t2\ttext\t'<>&", "1\t3\ttext\t&&",
                  "1\t4\ttext\tLinea 1\\nLinea 2", "2\t1\ttext\tuno\\ndos\\ntres",
                  "2\t2\ttext\tcompartido\\nsegunda", "2\t3\ttext\tCR\\rescapado",
                  "2\t4\ttext\tref\\r\\ncar"}},
        // strict: ISO dates, date-times, times and durations; 31 December 1899 stays the 31st
        ReadCase{"estricto.xlsx",
                 {"1\t1\tdate\t1899-12-31", "1\t2\tdate\t2021-01-01T10:10:10",
                  "1\t3\tdate\t1899-12-31T11:00:00", "1\t4\tdate\t1899-12-31T00:11:00",
                  "1\t5\tdate\t1900-03-01", "1\t6\tdate\t1900-01-02"}},
        ReadCase{"texto_compartido_vacio.xlsx", {"1\t1\ttext\ta", "1\t3\ttext\tc"}},
        ReadCase{"barras_invertidas.xlsx", {"1\t1\tnumber\t7"}},
        ReadCase{"parte_repetida.xlsx", {"1\t1\tnumber\t1"}},
        ReadCase{"formula_0406.xls", {"1\t1\tnumber\t3", "1\t2\tnumber\t2"}},
        ReadCase{"flujo_book.xls", {"1\t1\tnumber\t5"}},
        ReadCase{"sst_cuentas.xls", {"1\t1\ttext\tuno", "1\t2\ttext\tdos"}},
        ReadCase{"sst_cuenta_corta.xls", {"1\t1\ttext\tdos"}},
        ReadCase{"texto_vacio.xls", {"1\t1\ttext\t", "1\t2\tnumber\t4"}},
        // encrypted with Excel's default password only
        ReadCase{"cifrado_rc4.xls",
                 {"1\t1\ttext\tcifrado", "1\t2\ttext\tcon la clave de Excel", "2\t1\tnumber\t42"}},
        ReadCase{"cifrado_cryptoapi.xls",
                 {"1\t1\ttext\tcifrado", "1\t2\ttext\tcon la clave de Excel", "2\t1\tnumber\t42"}},
        ReadCase{"cifrado_estandar.xlsx", {"1\t1\ttext\tpaquete cifrado", "1\t2\tnumber\t42"}},
        ReadCase{"cifrado_agil.xlsx", {"1\t1\ttext\tpaquete cifrado", "1\t2\tnumber\t42"}},
        ReadCase{"utf16le.csv", {"1\t1\ttext\tcódigo", "2\t2\ttext\tÑandú €"}},
        ReadCase{"utf16be.csv", {"1\t1\ttext\tcódigo", "2\t2\ttext\tÑandú €"}},
        // white space in .ods paragraphs: runs collapsed, leading ones dropped, elements honoured
        ReadCase{
            "espacios.ods",
            {"1\t1\ttext\tuno dos ", "1\t2\ttext\ta   b\\tc\\n d e f", "1\t3\ttext\tprimera\\nsegunda"}}));

TEST(Cases, TextsLongerThanExcelsLimitAreReadWhole) {
    for (const char* file : {"texto_largo.xlsx", "sst_cuentas.xls"}) {
        const auto wb = Workbook::open(casePath(file));
        const Sheet& s = wb->activeSheet();
        const Cell c = s.cell(1, QLatin1String(file).endsWith(QLatin1String(".xls")) ? 3 : 1);
        EXPECT_EQ(c.text.size(), 32770) << file;
    }
}

TEST(Cases, RealPasswordsAndOlderVersionsAreRefusedSayingSo) {
    const struct {
        const char* file;
        Error::Kind kind;
        const char* says;
    } cases[] = {
        {"clave_rc4.xls", Error::Kind::Protected, "protegido con contraseña"},
        {"clave_cryptoapi.xls", Error::Kind::Protected, "protegido con contraseña"},
        {"clave_estandar.xlsx", Error::Kind::Protected, "protegido con contraseña"},
        {"clave_agil.xlsx", Error::Kind::Protected, "protegido con contraseña"},
        {"excel2.xls", Error::Kind::Unsupported, "versión anterior a Excel 97"},
        {"excel3.xls", Error::Kind::Unsupported, "versión anterior a Excel 97"},
        {"excel4.xls", Error::Kind::Unsupported, "versión anterior a Excel 97"},
        {"excel5.xls", Error::Kind::Unsupported, "versión anterior a Excel 97"},
    };
    for (const auto& c : cases) {
        try {
            Workbook::open(casePath(c.file));
            ADD_FAILURE() << "read: " << c.file;
        } catch (const Error& e) {
            EXPECT_EQ(e.kind(), c.kind) << c.file << ": " << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.says))) << e.message().toStdString();
        }
    }
}

} // namespace
