// TkvRxMemoryData, the staging table.
#include <QSignalSpy>
#include <cmath>
#include <gtest/gtest.h>

#include "TkvRxMemoryData.h"

using FT = TkvRxMemoryData::FieldType;

namespace {

void defineStaging(TkvRxMemoryData& t) {
    t.addField({"CODIGO", FT::String, 5, "Código", {}, true});
    t.addField({"UNIDADES", FT::Integer});
    t.addField({"DECIMALES", FT::SmallInt});
    t.addField({"PRECIO", FT::Float});
    t.addField({"COSTE", FT::Currency});
    t.addField({"FECHA", FT::DateTime});
    t.addField({"ACTIVO", FT::Boolean});
}

} // namespace

TEST(MemoryData, NewRecordZeroesFloatAndSmallIntAfterTheHandler) {
    TkvRxMemoryData t;
    defineStaging(t);
    t.onNewRecord = [](TkvRxMemoryData& d) {
        d.setValue("UNIDADES", 1);
        d.setValue("DECIMALES", 1);
        d.setValue("PRECIO", 1.0);
        d.setValue("CODIGO", "X");
    };
    t.open();
    t.append();
    EXPECT_EQ(t.EstadoAnterior, 1);
    EXPECT_EQ(t.value("UNIDADES").toInt(), 1);
    EXPECT_EQ(t.value("DECIMALES").toInt(), 0);
    EXPECT_EQ(t.value("PRECIO").toDouble(), 0.0);
    EXPECT_TRUE(t.value("COSTE").isNull()); // currency and dates keep what the handler set
    EXPECT_TRUE(t.value("FECHA").isNull());
    t.post();
    EXPECT_EQ(t.recordCount(), 1);
    t.edit();
    EXPECT_EQ(t.EstadoAnterior, 2);
    t.setValue("PRECIO", 2.5);
    t.post();
    EXPECT_EQ(t.value("PRECIO").toDouble(), 2.5);
}

TEST(MemoryData, CloseEmptiesAndFieldsAreFoundWithoutCase) {
    TkvRxMemoryData t;
    defineStaging(t);
    QSignalSpy resets(&t, &TkvRxMemoryData::reset);
    t.open();
    for (int i = 0; i < 3; ++i) {
        t.append();
        t.setValue("codigo", QString("C%1").arg(i));
        t.post();
    }
    EXPECT_EQ(t.recordCount(), 3);
    t.close();
    t.open();
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.fieldCount(), 7);
    EXPECT_TRUE(t.EsCampoValido("codigo"));
    EXPECT_TRUE(t.EsCampoValido("Precio"));
    EXPECT_FALSE(t.EsCampoValido("CODIGO2"));
    EXPECT_EQ(t.fieldIndex("fecha"), 5);
    EXPECT_EQ(resets.count(), 3);
    EXPECT_EQ(t.FListaCampos.count(), 7);
}

TEST(MemoryData, ValuesAreConvertedToTheFieldType) {
    TkvRxMemoryData t;
    defineStaging(t);
    t.open();
    t.append();
    struct Case {
        const char* field;
        QVariant in;
        QVariant expected; // invalid: ConversionError expected
    };
    const Case cases[] = {
        {"CODIGO", "ABCDEFG", "ABCDE"}, // cut to the size
        {"CODIGO", 12.5, "12.5"},
        {"UNIDADES", "12", 12},
        {"UNIDADES", " 7.0 ", 7},
        {"UNIDADES", 12.6, 13},
        {"UNIDADES", "", QVariant()}, // an empty text is null, not 0
        {"UNIDADES", "abc", {}},
        {"UNIDADES", "12.5", {}},
        {"DECIMALES", 40000, {}},
        {"PRECIO", "3,25", 3.25},
        {"PRECIO", "1e3", 1000.0},
        {"PRECIO", "abc", {}},
        {"COSTE", 1.23456, 1.2346},
        {"FECHA", "31/12/2023", QDateTime(QDate(2023, 12, 31), QTime(0, 0))},
        {"FECHA", 45291.5, QDateTime(QDate(2023, 12, 31), QTime(12, 0))},
        {"FECHA", "ayer", {}},
        {"ACTIVO", "S", true},
        {"ACTIVO", 0, false},
        {"ACTIVO", "quizá", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.field) + " <- " + c.in.toString().toStdString());
        if (!c.expected.isValid() && !(c.in.typeId() == QMetaType::QString && c.in.toString().isEmpty())) {
            EXPECT_THROW(t.setValue(c.field, c.in), qd::ConversionError);
            continue;
        }
        t.setValue(c.field, c.in);
        EXPECT_EQ(t.value(c.field), c.expected);
    }
}

TEST(MemoryData, RequiredFieldAndStateErrors) {
    TkvRxMemoryData t;
    defineStaging(t);
    EXPECT_THROW(t.append(), qd::DataSetError); // closed
    t.open();
    EXPECT_THROW(t.setValue("CODIGO", "A"), qd::DataSetError); // not editing
    EXPECT_THROW(t.addField({"OTRO", FT::String, 3}), qd::DataSetError);
    t.append();
    try {
        t.post();
        FAIL();
    } catch (const qd::DataSetError& e) {
        EXPECT_EQ(e.text(), "Field 'Código' must have a value");
    }
    t.cancel();
    EXPECT_EQ(t.recordCount(), 0);
    EXPECT_THROW(t.value("NO_EXISTE"), qd::DataSetError);
}

TEST(MemoryData, WalkSortAndGridAccess) {
    TkvRxMemoryData t;
    defineStaging(t);
    t.open();
    QSignalSpy inserted(&t, &TkvRxMemoryData::rowInserted);
    for (const char* c : {"beta", "Alfa", "gamma", "alfa"}) {
        t.append();
        t.setValue("CODIGO", c);
        t.setValue("UNIDADES", int(inserted.count()));
        // navigating while appending posts the record
        if (inserted.count() == 3) break;
        t.post();
    }
    t.first();
    EXPECT_EQ(inserted.count(), 4);
    int walked = 0;
    for (t.first(); !t.eof(); t.next())
        ++walked;
    EXPECT_EQ(walked, 4);
    EXPECT_EQ(t.recNo(), 4); // stays on the last row
    t.sort({"codigo", "UNIDADES"});
    QStringList order;
    for (t.first(); !t.eof(); t.next())
        order << t.value("CODIGO").toString();
    EXPECT_EQ(order, QStringList({"Alfa", "alfa", "beta", "gamma"}));
    t.setValueAt(0, t.fieldIndex("PRECIO"), "2,5");
    EXPECT_EQ(t.valueAt(0, t.fieldIndex("PRECIO")).toDouble(), 2.5);
    EXPECT_THROW(t.setValueAt(0, t.fieldIndex("UNIDADES"), "x"), qd::ConversionError);
    t.setRecNo(2);
    t.del();
    EXPECT_EQ(t.recordCount(), 3);
    EXPECT_EQ(t.value("CODIGO").toString(), "beta");
}

TEST(MemoryData, AMillionRecordsKeepEveryTypeAndNull) {
    constexpr int kRows = 1000000;
    TkvRxMemoryData t;
    t.addField({"CODIGO", FT::String, 12});
    t.addField({"UNIDADES", FT::Integer});
    t.addField({"PRECIO", FT::Currency});
    t.addField({"FECHA", FT::DateTime});
    t.addField({"ACTIVO", FT::Boolean});
    t.open();
    const QDateTime base(QDate(2024, 1, 1), QTime(8, 30));
    for (int r = 0; r < kRows; ++r) {
        t.append();
        t.setValue(0, QStringLiteral("A%1").arg(r, 7, 10, QLatin1Char('0')));
        t.setValue(1, r % 5 ? QVariant(r - 500000) : QVariant());
        t.setValue(2, r * 0.01);
        if (r % 7) t.setValue(3, base.addSecs(r));
        t.setValue(4, r % 2 == 0);
        t.post();
    }
    ASSERT_EQ(t.recordCount(), kRows);
    for (const int r : {0, 1, 6, 7, 499999, 999999}) {
        SCOPED_TRACE(r);
        EXPECT_EQ(t.valueAt(r, 0), QVariant(QStringLiteral("A%1").arg(r, 7, 10, QLatin1Char('0'))));
        EXPECT_EQ(t.valueAt(r, 1), r % 5 ? QVariant(r - 500000) : QVariant());
        EXPECT_EQ(t.valueAt(r, 1).typeId(), r % 5 ? QMetaType::Int : QMetaType::UnknownType);
        EXPECT_EQ(t.valueAt(r, 2).toDouble(), std::round(r * 0.01 * 10000.0) / 10000.0);
        EXPECT_EQ(t.valueAt(r, 3), r % 7 ? QVariant(base.addSecs(r)) : QVariant());
        EXPECT_EQ(t.valueAt(r, 4), QVariant(r % 2 == 0));
    }
    // an edit stores what was set and keeps the other fields
    t.setRecNo(8);
    t.edit();
    t.setValue("UNIDADES", 42);
    t.post();
    EXPECT_EQ(t.valueAt(7, 1), QVariant(42));
    EXPECT_EQ(t.valueAt(7, 0), QVariant(QStringLiteral("A0000007")));
    // sorting by a date puts the nulls first
    t.sort({"FECHA", "CODIGO"});
    EXPECT_EQ(t.valueAt(0, 0), QVariant(QStringLiteral("A0000000")));
    EXPECT_EQ(t.valueAt(1, 0), QVariant(QStringLiteral("A0000007")));
    EXPECT_EQ(t.valueAt(kRows / 7 + 1, 3), QVariant(base.addSecs(1)));
    EXPECT_EQ(t.valueAt(kRows - 1, 0), QVariant(QStringLiteral("A0999998"))); // 999999 has no date
    // deleting a row moves every later one up, across the blocks the rows are kept in
    const QVariant siguiente = t.valueAt(5000, 0), ultima = t.valueAt(kRows - 1, 0);
    t.setRecNo(5000);
    t.del();
    EXPECT_EQ(t.recordCount(), kRows - 1);
    EXPECT_EQ(t.valueAt(4999, 0), siguiente);
    EXPECT_EQ(t.valueAt(kRows - 2, 0), ultima);
}
