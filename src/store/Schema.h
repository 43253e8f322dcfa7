#pragma once
// The tables of the data folders: field names, types and sizes in their physical order,
// and their named indexes. A table file is built from exactly this description, and a file
// whose fields differ is brought up to it by the upgrade of the data folder routines.

#include <QString>
#include <QStringList>
#include <vector>
namespace ledra {

enum class FieldType { Integer, SmallInt, Float, Currency, String, Date, Boolean, Memo, DateTime };

struct FieldDef {
    QString name;
    FieldType type = FieldType::Integer;
    int size = 0; // characters, for strings
    bool required = false;
};

struct IndexDef {
    QString name; // empty: the primary index
    QStringList fields;
    bool unique = false;
    bool caseInsensitive = false;
};

// The column type a field of this type has in a table file.
QString sqlColumnType(FieldType type);

struct TableSchema {
    QString name;     // logical name and name of the table inside the file
    QString fileName; // canonical file name in a data folder
    std::vector<FieldDef> fields;
    std::vector<IndexDef> indexes; // the first one with an empty name is the primary index

    int fieldIndex(const QString &fieldName) const; // case-insensitive, -1 when absent
    const FieldDef *field(const QString &fieldName) const;
    const IndexDef *index(const QString &indexName) const; // "" gives the primary index
    QString createSql() const;                             // table and its indexes
};

namespace Schemas {
const TableSchema &konten();    // Konten.DB (also the layout of Datev03.db and Datev04.db)
const TableSchema &journal();   // Journal.DB
const TableSchema &buchung();   // Buchung.DB, the entry batch
const TableSchema &kontoArt();  // KontoArt.DB
const TableSchema &favoriten(); // Favoriten.db
const TableSchema &bwa();       // BWA.db
const TableSchema &bilanz();    // Bilanz.DB
const TableSchema &op();        // OP.db
const TableSchema &stapel();    // Stapel.db
const TableSchema &rechbuch();  // RechBuch.DB of the invoicing program
const TableSchema &beleg();     // Beleg.DB of the invoicing program
const TableSchema &protokoll(); // Protokoll.DB of the invoicing program
const TableSchema &kunden();    // Kunden of the invoicing program
const TableSchema &liefer();    // Liefer of the invoicing program
// A copy of konten() stored under another file name (the standard charts).
TableSchema kontenAs(const QString &fileName);
// The file name of every table a data folder can hold (the standard charts included).
QStringList tableFileNames();
} // namespace Schemas

} // namespace ledra
