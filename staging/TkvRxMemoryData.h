#pragma once
// The in-memory staging table of the imports: typed fields declared before open, rows kept in
// memory, closing discards every row.
//
// Record numbers run from 1 (recNo() is 0 on an empty table); while a new record is being
// appended recNo() is recordCount() + 1. Like the table it replaces, next() on the last row
// stays there and sets eof(), so after a walk recNo() is the number of the last row.
//
// Values are converted to the field's type on setValue(): text is cut to the field size, an
// empty text into a numeric or date field stores null, and a value the field cannot take
// ("abc" into an integer) throws qd::ConversionError. Navigating while editing posts first.

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "StringPool.h"
#include "TkvListaCampos.h"

namespace qd {

// A dataset used in the wrong state, or a record that cannot be posted.
class DataSetError : public std::runtime_error {
public:
    explicit DataSetError(const QString& text) : std::runtime_error(text.toStdString()), text_(text) {}
    QString text() const { return text_; }

private:
    QString text_;
};

// A value the field's type cannot take (e.g. "abc" into an integer field).
class ConversionError : public DataSetError {
public:
    using DataSetError::DataSetError;
};

} // namespace qd

class TkvRxMemoryData : public QObject {
    Q_OBJECT
public:
    enum class FieldType { String, Integer, SmallInt, Float, Currency, DateTime, Boolean };
    enum class State { Inactive, Browse, Edit, Insert };
    struct FieldDef {
        QString name{};
        FieldType type = FieldType::String;
        int size = 0; // text length limit; 0 = unlimited
        QString label{};
        QString displayFormat{};
        bool required = false;
        bool visible = true;
    };

    explicit TkvRxMemoryData(QObject* parent = nullptr);
    ~TkvRxMemoryData() override;

    void addField(const FieldDef& def); // before open; fields keep their order
    void clearFields();                 // closed table only
    const QList<FieldDef>& fieldDefs() const { return defs_; }
    int fieldCount() const { return int(defs_.size()); }
    int fieldIndex(const QString& name) const; // -1 when absent; case-insensitive
    bool EsCampoValido(const QString& NombreCampo) const { return fieldIndex(NombreCampo) >= 0; }

    void open();
    void close(); // discards every row
    bool active() const { return state_ != State::Inactive; }
    State state() const { return state_; }
    void emptyTable(); // discards every row, stays open

    void append();
    void edit();
    void post();
    void cancel();
    void del(); // deletes the current row
    void first();
    void last();
    void next();
    void prior();
    bool eof() const { return eof_; }
    bool bof() const { return bof_; }
    bool isEmpty() const { return rows_.empty(); }
    void setRecNo(int recNo);
    int recNo() const;
    int recordCount() const { return int(rows_.size()); }

    QVariant value(const QString& field) const; // throws DataSetError for an unknown field
    void setValue(const QString& field, const QVariant& v);
    QVariant value(int col) const;
    void setValue(int col, const QVariant& v);
    bool isNull(const QString& field) const { return value(field).isNull(); }

    // Why a field of a record holds no value the user gave: its cell was empty, its cell held
    // something the field cannot take (a code that matches nothing, a number that is not one), or
    // the workbook has no column for it. The field's value is then its default (empty text, 0 or
    // null), which a new record takes; an update leaves the stored value as it is. Setting a value
    // clears the mark; marking needs the record in edit or insert mode.
    enum class SinValor : quint8 { No = 0, Vacia = 1, NoValida = 2, Ausente = 3 };
    void marcar(int col, SinValor marca);
    SinValor sinValor(int col) const; // the current record
    SinValor sinValor(const QString& field) const;
    SinValor sinValorAt(int row, int col) const; // 0-based row, as valueAt
    // Marks Ausente every field of the record being appended (or edited) that was not set since
    // append() (or edit()): the defaults of a new record are not values the user gave.
    void marcarAusentes();

    // Direct access for grids (0-based rows and columns, no edit state).
    QVariant valueAt(int row, int col) const;
    void setValueAt(int row, int col, const QVariant& v);

    // Sorts the rows by the fields, ascending, texts compared without regard to case.
    void sort(const QStringList& fields);
    // The last sort's order: row i took what row ultimoOrden()[i] held (0-based).
    const std::vector<std::size_t>& ultimoOrden() const { return ultimoOrden_; }

    // Converts a value to a field type as setValue() does (throws qd::ConversionError).
    static QVariant convert(const FieldDef& def, const QVariant& v);

    // The table's own new-record handler (defaults of the staging tables). After it runs the
    // float and small-integer fields are set to 0.
    std::function<void(TkvRxMemoryData&)> onNewRecord;
    // Called before a record is posted (after the required-field check).
    std::function<void(TkvRxMemoryData&)> beforePost;

    int EstadoAnterior = 0; // 1 after an insert, 2 after an edit
    bool PrimeraVez = true; // the descriptor list is still to be built
    TkvListaCampos FListaCampos;
    QString name; // dataset name (key prefix of the access list)

signals:
    void reset();             // opened, closed, sorted, emptied
    void rowChanged(int row); // a row was posted or edited in place
    void rowInserted(int row);
    void rowRemoved(int row);

private:
    // A stored row: one eight-byte slot per field, by the field's type: integers and booleans as
    // themselves, numbers as their double, texts as an index into strings_, dates as an index into
    // dates_, null as kNull (numbers: a NaN no number is stored as). No object per field.
    // The rows' slots, a fixed number a row, in blocks of many rows: no allocation per row, and a
    // filled block never moves.
    class SlotRows {
    public:
        void reset(std::size_t width);
        std::size_t size() const { return count_; }
        bool empty() const { return count_ == 0; }
        quint64* operator[](std::size_t r) {
            return blocks_[r / kBlockRows].get() + (r % kBlockRows) * width_;
        }
        const quint64* operator[](std::size_t r) const {
            return blocks_[r / kBlockRows].get() + (r % kBlockRows) * width_;
        }
        quint64* push(); // room for one more row at the end
        void erase(std::size_t r);
        void reorder(const std::vector<std::size_t>& order); // row i takes what row order[i] held

    private:
        static constexpr std::size_t kBlockRows = 4096;
        std::size_t width_ = 0;
        std::size_t count_ = 0;
        std::vector<std::unique_ptr<quint64[]>> blocks_;
    };
    using Values = std::vector<QVariant>;
    static constexpr quint64 kNull = 0x7FF4000000000001ull;
    void requireActive() const;
    void checkBrowse(); // posts a pending edit or insert
    void requireField(int col, const QString& name) const;
    quint64 pack(int col, const QVariant& converted);
    QVariant unpack(int col, quint64 slot) const;
    void packRow(const Values& values, quint64* row);
    Values unpackRow(const quint64* row) const;
    int compareSlots(int col, quint64 a, quint64 b) const;
    void clearRows();

    QList<FieldDef> defs_;
    QHash<QString, int> byName_; // field index by the name as defined
    SlotRows rows_;
    std::vector<quint64> packed_;        // a row being appended, packed before it is stored
    qd::wb::StringPool strings_;         // texts of the rows; an edit adds, never reuses
    std::vector<QDateTime> dates_;       // dates of the rows
    Values buffer_;                      // record being edited or appended
    std::vector<SinValor> marcasBuffer_; // the marks of the record being edited or appended
    std::vector<std::size_t> ultimoOrden_;
    // Each stored row carries its marks after its fields: two bits a field.
    std::size_t palabrasMarcas() const { return (std::size_t(defs_.size()) * 2 + 63) / 64; }
    void guardarMarcas(quint64* row) const;
    SinValor marcaDe(const quint64* row, int col) const;
    std::vector<bool> touched_; // fields set while editing
    State state_ = State::Inactive;
    int cur_ = -1;
    bool eof_ = true;
    bool bof_ = true;
};
