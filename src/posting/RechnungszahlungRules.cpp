#include "RechnungszahlungRules.h"

#include "books/BooksSession.h"
#include "store/Dates.h"
#include "store/Sql.h"
#include "store/SqlTransaction.h"
#include "ui/Ui.h"

#include <algorithm>
#include <exception>
#include <map>
#include <utility>
namespace ledra {

namespace {

// The official rate, 1.95583 marks per euro, as a fraction.
constexpr qint64 kDmPerEuroNum = 195583, kDmPerEuroDen = 100000;
constexpr qint64 kUnitsPerCent = 100;

// An amount taken from the row's currency into the invoice's. `toCents` rounds to the cent
// (the payment); otherwise the four decimals of the currency fields are kept (the discount).
Money intoInvoiceCurrency(Money m, bool rowEuro, bool invoiceDm, bool toCents) {
    const qint64 step = toCents ? kUnitsPerCent : 1;
    if (rowEuro && invoiceDm)
        return Money::fromUnits(
            divRoundHalfAway(__int128(m.units()) * kDmPerEuroNum, __int128(kDmPerEuroDen) * step) *
            step);
    if (!rowEuro && !invoiceDm)
        return Money::fromUnits(
            divRoundHalfAway(__int128(m.units()) * kDmPerEuroDen, __int128(kDmPerEuroNum) * step) *
            step);
    return m;
}

// An amount of the invoice's currency in the row's, rounded to the cent.
Money intoRowCurrency(Money m, bool rowEuro, bool invoiceDm) {
    if (rowEuro && invoiceDm)
        return Money::fromCents(divRoundHalfAway(__int128(m.units()) * kDmPerEuroDen,
                                                 __int128(kDmPerEuroNum) * kUnitsPerCent));
    if (!rowEuro && !invoiceDm)
        return Money::fromCents(divRoundHalfAway(__int128(m.units()) * kDmPerEuroNum,
                                                 __int128(kDmPerEuroDen) * kUnitsPerCent));
    return m;
}

} // namespace

QChar rechnungsTyp(const QString &buchungstext) {
    if (buchungstext.isEmpty())
        return QChar();
    const QChar c = buchungstext.at(0);
    return c == QLatin1Char('L') ? QLatin1Char('N') : c;
}

bool isRechnungszahlung(const Zahlungszeile &row) {
    if (row.buchungstext.startsWith(QLatin1String("R:")))
        return isGeldkonto(row.sollArt) || row.habenArt == KontoArt::Debitor;
    if (row.buchungstext.startsWith(QLatin1String("L:")))
        return isGeldkonto(row.habenArt) || row.sollArt == KontoArt::Kreditor;
    return false;
}

namespace {

// Whether a row looks for an invoice: a payment with an invoice type in its text.
bool paysByItsText(const Zahlungszeile &row) {
    return !rechnungsTyp(row.buchungstext).isNull() && isRechnungszahlung(row);
}

} // namespace

QString Rechnungszahlung::betragText(Money inInvoiceCurrency) const {
    return intoRowCurrency(inInvoiceCurrency, euro, rechnung.inDm()).toGerman(2, true) +
           (euro ? QStringLiteral(" €") : QStringLiteral(" DM"));
}

QString Rechnungszahlung::infoLines(const QDate &bezahlt) const {
    const QString date = germanDate(bezahlt);
    QString lines = date + QStringLiteral(":Zahlung ") + betragText(zahlung) + QLatin1Char('\n');
    if (skonto >= Money::fromCents(1))
        lines += date + QStringLiteral(":Skonto ") + betragText(skonto) + QLatin1Char('\n');
    return lines;
}

QString Rechnungszahlung::mismatchMessage(qint64 belegnummer) const {
    if (gesamt.nearlyEquals(offen))
        return QString();
    // The open amount is shown once converted, in the row's currency.
    return QStringLiteral("In der Buchung ") + QString::number(belegnummer) +
           QStringLiteral(" entspricht der Betrag nicht dem offenen Rechnungsbetrag von ") +
           betragText(rechnung.offen());
}

RechnungszahlungRules::RechnungszahlungRules(BooksSession &books, RechnungsbuchStore &store)
    : m_books(books), m_store(store) {
    Table &b = books.stapel;
    std::map<qint64, std::optional<KontoArt>> arts;
    auto artOf = [&](const QVariant &konto) -> std::optional<KontoArt> {
        if (konto.isNull())
            return std::nullopt;
        const qint64 nr = konto.toLongLong();
        auto it = arts.find(nr);
        if (it == arts.end()) {
            const auto v = queryValue(
                books.konten,
                QStringLiteral("SELECT Art FROM %1 WHERE KtoNr = ?").arg(quotedName(books.konten)),
                {nr});
            it = arts.emplace(nr, v ? kontoArtOf(*v) : std::nullopt).first;
        }
        return it->second;
    };
    forEachRow(b,
               QStringLiteral("SELECT Autonummer, Belegnummer, Belegdatum, Buchungstext, Brutto, "
                              "Euro, Soll, Haben FROM %1 ORDER BY Autonummer")
                   .arg(quotedName(b)),
               [&](const SqlRow &r) {
                   Zahlungszeile z;
                   z.autonummer = r.int64(0);
                   z.belegnummer = r.int64(1);
                   z.belegdatum = r.date(2);
                   z.buchungstext = r.text(3);
                   z.brutto = r.money(4);
                   z.euro = r.isNull(5) || r.int64(5) != 0;
                   z.sollArt = artOf(r.value(6));
                   z.habenArt = artOf(r.value(7));
                   m_rows.push_back(z);
               });
}

std::optional<Rechnungszahlung>
RechnungszahlungRules::payment(size_t index, const std::optional<Rechnung> &found) {
    if (!found)
        return std::nullopt;
    const Zahlungszeile &row = m_rows[index];
    const bool invoiceDm = found->inDm();
    Rechnungszahlung z;
    z.rechnung = *found;
    z.euro = row.euro;
    z.zahlung = intoInvoiceCurrency(row.brutto, row.euro, invoiceDm, true);
    z.gesamt = row.brutto;
    if (!isRechnungszahlung(row))
        return std::nullopt;
    // A discount row right after the payment belongs to it.
    if (index + 1 < m_rows.size() &&
        m_rows[index + 1].buchungstext.contains(QLatin1String("Skonto"))) {
        const Zahlungszeile &next = m_rows[index + 1];
        z.skonto = intoInvoiceCurrency(next.brutto, next.euro, invoiceDm, false);
        z.gesamt += next.brutto;
    }
    z.offen = intoRowCurrency(found->offen(), row.euro, invoiceDm);
    return z;
}

std::optional<Rechnungszahlung> RechnungszahlungRules::evaluate(size_t index) {
    const Zahlungszeile &row = m_rows.at(index);
    // Only a payment looks for its invoice.
    if (!paysByItsText(row))
        return std::nullopt;
    const QChar typ = rechnungsTyp(row.buchungstext);
    if (!m_checkIndex)
        m_checkIndex.emplace(m_store.verzeichnis(m_store.TRechbuch, QString()));
    const std::optional<qint64> rowid = m_checkIndex->find(QString::number(row.belegnummer), typ);
    if (!rowid)
        return std::nullopt;
    return payment(index, m_checkIndex->rechnung(*rowid));
}

std::optional<Rechnungszahlung> RechnungszahlungRules::evaluateIn(size_t index,
                                                                  SqlConnection connection) {
    const Zahlungszeile &row = m_rows.at(index);
    if (!paysByItsText(row))
        return std::nullopt;
    const QChar typ = rechnungsTyp(row.buchungstext);
    const QString alias = RechnungsbuchStore::paymentAlias();
    // Read inside the transfer's transaction, which keeps other writers out until it ends.
    if (!m_postIndex)
        m_postIndex.emplace(m_store.verzeichnis(connection, alias));
    const std::optional<qint64> rowid = m_postIndex->find(QString::number(row.belegnummer), typ);
    if (!rowid)
        return std::nullopt;
    return payment(index, m_postIndex->rechnung(*rowid));
}

bool RechnungszahlungRules::checkStapel() {
    // Every row's invoice is looked up first, in one read of the invoice book's files (a
    // look-up of its own locks and checks each file anew), and only then is each difference
    // asked about: no question waits while the files are locked. A look-up that fails ends
    // the check where it failed, after the questions of the rows before it.
    std::vector<std::optional<Rechnungszahlung>> found(m_rows.size());
    std::exception_ptr failure;
    size_t checked = 0;
    {
        // Begun at the first payment, where the row-by-row check first read the files.
        std::optional<SqlTransaction> book, headers;
        try {
            for (; checked < m_rows.size(); ++checked) {
                if (!book && paysByItsText(m_rows[checked])) {
                    book.emplace(m_store.TRechbuch);
                    headers.emplace(m_store.TBeleg);
                }
                found[checked] = evaluate(checked);
            }
        } catch (const std::exception &) {
            failure = std::current_exception();
        }
        if (book)
            book->commit();
        if (headers)
            headers->commit();
    }
    bool any = false;
    for (size_t i = 0; i < checked; ++i) {
        const std::optional<Rechnungszahlung> &z = found[i];
        if (!z)
            continue;
        any = true;
        const QString mismatch = z->mismatchMessage(m_rows[i].belegnummer);
        if (!mismatch.isEmpty() && m_books.ui().errorOkCancel(mismatch) != Btn::Ok)
            throw SilentAbort();
    }
    if (failure)
        std::rethrow_exception(failure);
    return any;
}

std::optional<size_t> RechnungszahlungRules::indexOf(qint64 autonummer) const {
    // The rows are read in booking-number order.
    const auto it =
        std::lower_bound(m_rows.begin(), m_rows.end(), autonummer,
                         [](const Zahlungszeile &z, qint64 nr) { return z.autonummer < nr; });
    if (it == m_rows.end() || it->autonummer != autonummer)
        return std::nullopt;
    return size_t(it - m_rows.begin());
}

bool RechnungszahlungRules::isPayment(qint64 autonummer) const {
    const std::optional<size_t> i = indexOf(autonummer);
    return i && paysByItsText(m_rows[*i]);
}

void RechnungszahlungRules::post(qint64 autonummer, SqlConnection connection) {
    const std::optional<size_t> i = indexOf(autonummer);
    if (!i)
        return;
    const std::optional<Rechnungszahlung> z = evaluateIn(*i, connection);
    if (!z)
        return;
    const QDate bezahlt = m_rows[*i].belegdatum;
    // evaluateIn() made the run's directory on this connection.
    m_store.enterPayment(*m_postIndex, z->rechnung, bezahlt, z->zahlung, z->skonto,
                         z->infoLines(bezahlt));
}

} // namespace ledra
