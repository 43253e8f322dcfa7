#include "Schema.h"
namespace ledra {

int TableSchema::fieldIndex(const QString &fieldName) const {
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

const FieldDef *TableSchema::field(const QString &fieldName) const {
    int i = fieldIndex(fieldName);
    return i < 0 ? nullptr : &fields[size_t(i)];
}

const IndexDef *TableSchema::index(const QString &indexName) const {
    for (const auto &ix : indexes)
        if (ix.name.compare(indexName, Qt::CaseInsensitive) == 0)
            return &ix;
    return nullptr;
}

QString sqlColumnType(FieldType t) {
    switch (t) {
    case FieldType::Integer:
    case FieldType::SmallInt:
    case FieldType::Currency:
    case FieldType::Boolean:
        return QStringLiteral("INTEGER");
    case FieldType::Float:
        return QStringLiteral("REAL");
    default:
        return QStringLiteral("TEXT");
    }
}

QString TableSchema::createSql() const {
    QStringList cols;
    for (const auto &f : fields)
        cols << QStringLiteral("\"%1\" %2%3")
                    .arg(f.name, sqlColumnType(f.type),
                         f.required ? QStringLiteral(" NOT NULL") : QString());
    QString sql =
        QStringLiteral("CREATE TABLE \"%1\" (%2);\n").arg(name, cols.join(QStringLiteral(", ")));
    for (const auto &ix : indexes) {
        QStringList parts;
        for (const auto &f : ix.fields) {
            const FieldDef *fd = field(f);
            bool text = fd && (fd->type == FieldType::String || fd->type == FieldType::Memo);
            parts << QStringLiteral("\"%1\"%2")
                         .arg(f, (ix.caseInsensitive && text) ? QStringLiteral(" COLLATE NOCASE")
                                                              : QString());
        }
        QString ixName = ix.name.isEmpty() ? QStringLiteral("pk_%1").arg(name)
                                           : QStringLiteral("ix_%1").arg(ix.name);
        sql += QStringLiteral("CREATE %1INDEX \"%2\" ON \"%3\" (%4);\n")
                   .arg(ix.unique ? QStringLiteral("UNIQUE ") : QString(), ixName, name,
                        parts.join(QStringLiteral(", ")));
    }
    return sql;
}

namespace {
using FT = FieldType;
FieldDef I(const char *n, bool req = false) {
    return {QString::fromUtf8(n), FT::Integer, 0, req};
}
FieldDef S(const char *n, int size, bool req = false) {
    return {QString::fromUtf8(n), FT::String, size, req};
}
FieldDef C(const char *n) {
    return {QString::fromUtf8(n), FT::Currency, 0, false};
}
FieldDef F(const char *n) {
    return {QString::fromUtf8(n), FT::Float, 0, false};
}
FieldDef D(const char *n) {
    return {QString::fromUtf8(n), FT::Date, 0, false};
}
FieldDef B(const char *n) {
    return {QString::fromUtf8(n), FT::Boolean, 0, false};
}
FieldDef SI(const char *n, bool req = false) {
    return {QString::fromUtf8(n), FT::SmallInt, 0, req};
}
FieldDef M(const char *n) {
    return {QString::fromUtf8(n), FT::Memo, 0, false};
}
IndexDef PK(QStringList f) {
    return {QString(), std::move(f), true, false};
}
IndexDef IX(const char *n, QStringList f) {
    return {QString::fromUtf8(n), std::move(f), false, true};
}

// The thirteen fields that the batch and the journal share, in their fixed order.
std::vector<FieldDef> bookingRow() {
    return {I("Autonummer", true),
            D("Belegdatum"),
            S("Buchungstext", 30),
            I("Soll"),
            I("Haben"),
            C("Netto"),
            C("Brutto"),
            C("Steuer"),
            F("Steuersatz"),
            I("Belegnummer"),
            S("IDNr", 12),
            B("Euro"),
            C("Stfaellig")};
}
} // namespace

namespace Schemas {

const TableSchema &konten() {
    static const TableSchema s{
        QStringLiteral("Konten"),
        QStringLiteral("Konten.DB"),
        {I("KtoNr", true), S("Name", 30, true), SI("Art", true), F("Mwst"), C("Saldo"), C("Soll"),
         C("Haben"), C("DruckSaldo"), C("VorSaldo"), I("BWA"), C("BewSoll"), C("BewHaben"),
         C("JVZSoll"), C("JVZHaben"), D("Datum1"), I("Bilanz")},
        {PK({QStringLiteral("KtoNr")}),
         IX("iBWA", {QStringLiteral("BWA"), QStringLiteral("KtoNr")}),
         IX("KArt", {QStringLiteral("Art")}), IX("KName", {QStringLiteral("Name")}),
         IX("iBilanz", {QStringLiteral("Bilanz"), QStringLiteral("KtoNr")})}};
    return s;
}

TableSchema kontenAs(const QString &fileName) {
    TableSchema s = konten();
    s.fileName = fileName;
    return s;
}

QStringList tableFileNames() {
    QStringList names{QStringLiteral("Datev03.db"), QStringLiteral("Datev04.db")};
    for (const TableSchema *s :
         {&konten(), &journal(), &buchung(), &kontoArt(), &favoriten(), &bwa(), &bilanz(), &op(),
          &stapel(), &rechbuch(), &beleg(), &protokoll(), &kunden(), &liefer()})
        names << s->fileName;
    return names;
}

const TableSchema &journal() {
    static const TableSchema s{
        QStringLiteral("Journal"),
        QStringLiteral("Journal.DB"),
        bookingRow(),
        {PK({QStringLiteral("Autonummer")}), IX("BelNr", {QStringLiteral("Belegnummer")})}};
    return s;
}

const TableSchema &buchung() {
    static const TableSchema s = [] {
        TableSchema t{
            QStringLiteral("Buchung"),
            QStringLiteral("Buchung.DB"),
            bookingRow(),
            {PK({QStringLiteral("Autonummer")}), IX("BelNr", {QStringLiteral("Belegnummer")})}};
        t.fields.push_back(F("Satzfaellig"));
        return t;
    }();
    return s;
}

const TableSchema &kontoArt() {
    static const TableSchema s{QStringLiteral("KontoArt"),
                               QStringLiteral("KontoArt.DB"),
                               {I("Autonummer", true), S("Kontenart", 20)},
                               {PK({QStringLiteral("Autonummer")})}};
    return s;
}

const TableSchema &favoriten() {
    static const TableSchema s{QStringLiteral("Favoriten"),
                               QStringLiteral("Favoriten.db"),
                               {S("Text", 30, true), I("Soll"), I("Haben"), C("Betrag")},
                               {PK({QStringLiteral("Text")})}};
    return s;
}

const TableSchema &bwa() {
    static const TableSchema s{QStringLiteral("BWA"),
                               QStringLiteral("BWA.db"),
                               {I("Reihenfolge", true), S("Sektion", 40)},
                               {PK({QStringLiteral("Reihenfolge")})}};
    return s;
}

const TableSchema &bilanz() {
    static const TableSchema s{QStringLiteral("Bilanz"),
                               QStringLiteral("Bilanz.DB"),
                               {I("Reihenfolge", true), S("Sektion", 50)},
                               {PK({QStringLiteral("Reihenfolge")})}};
    return s;
}

const TableSchema &op() {
    static const TableSchema s{QStringLiteral("OP"),
                               QStringLiteral("OP.db"),
                               {I("Nr", true), C("Betrag"), I("KNr"), D("Datum")},
                               {PK({QStringLiteral("Nr")})}};
    return s;
}

const TableSchema &stapel() {
    static const TableSchema s{QStringLiteral("Stapel"),
                               QStringLiteral("Stapel.db"),
                               {I("Nr"), D("Datum"), B("OP"), I("KNr")},
                               {}};
    return s;
}

const TableSchema &rechbuch() {
    static const TableSchema s{QStringLiteral("RechBuch"),
                               QStringLiteral("RechBuch.DB"),
                               {S("Typ", 1, true), I("BelNr", true), C("Zahlung"), C("Skonto"),
                                C("Einbehalt"), SI("Mahnstufe"), D("Gemahnt"), D("Bezahlt"),
                                I("Baustelle"), M("Info"), B("Gebucht")},
                               {PK({QStringLiteral("Typ"), QStringLiteral("BelNr")})}};
    return s;
}

const TableSchema &beleg() {
    static const TableSchema s{
        QStringLiteral("Beleg"),
        QStringLiteral("Beleg.DB"),
        {S("Typ", 1, true), I("BelNr", true), S("Bezeichnung", 60), I("KNr"),
         D("Datum"),        M("Kopf1"),       M("Fußzeile"),        C("Netto"),
         C("Netto0"),       C("Netto1"),      C("Netto2"),          C("Brutto"),
         C("Steuer1"),      C("Steuer2"),     F("Steuersatz1"),     F("Steuersatz2"),
         F("Rabatt"),       F("ZuAbschlag"),  SI("Waehrung"),       B("Markiert")},
        {PK({QStringLiteral("Typ"), QStringLiteral("BelNr")})}};
    return s;
}

const TableSchema &protokoll() {
    static const TableSchema s{
        QStringLiteral("Protokoll"),
        QStringLiteral("Protokoll.DB"),
        {S("Tabelle", 10),
         S("Feld", 255),
         {QStringLiteral("Datum"), FT::DateTime, 0, false},
         B("Geloescht"),
         S("User", 40)},
        {IX("TabFeld", {QStringLiteral("Tabelle"), QStringLiteral("Feld")})}};
    return s;
}

const TableSchema &kunden() {
    static const TableSchema s{QStringLiteral("Kunden"),
                               QStringLiteral("Kunden.DB"),
                               {I("KNr", true), S("Name", 40), S("Ort", 40)},
                               {PK({QStringLiteral("KNr")})}};
    return s;
}

const TableSchema &liefer() {
    static const TableSchema s{QStringLiteral("Liefer"),
                               QStringLiteral("Liefer.DB"),
                               {I("LNr", true), S("Name", 40), S("Ort", 40)},
                               {PK({QStringLiteral("LNr")})}};
    return s;
}

} // namespace Schemas

} // namespace ledra
