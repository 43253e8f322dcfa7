#pragma once
// The filter dialog EingrenzungRules without its widgets: the range of journal bookings a
// report covers (dates, voucher numbers or booking texts), the sort order, the options the
// launchers show or hide, and the journal query QJournal that OK builds and opens. The
// dialog lives as long as the program, so range and options persist between reports. The
// Qt dialog (app/qt/EingrenzungDialog) shows this state; the command line and the tests
// drive it directly.

#include "JournalQuery.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <unordered_map>
namespace ledra {

class BooksSession;

namespace reports {

class EingrenzungRules {
public:
    enum class Sort { Datum, Belegnummer, Buchungstext };
    // What is being dragged onto the option "Netto".
    enum class DragSource { GroupBox, Other };

    // Text colours of the option "Netto" (the platform's colour numbers).
    static constexpr int kNormalText = 0;
    static constexpr int kRed = 255;

    // Created once at start-up, after the year settings are loaded: the range is set as
    // by choosing "Datum".
    explicit EingrenzungRules(BooksSession &fb);

    // --- controls ---
    QString caption;
    int helpContext = 0;
    bool sortChoiceVisible = true;    // "Sortierung nach"
    Sort sort = Sort::Datum;          // RBDatum, RBBelNr, RBText
    bool amountChoiceVisible = false; // "Betrag als"
    bool Netto = false;               // false: "Brutto" chosen
    bool mitKontenVisible = true;
    bool mitKonten = false;
    bool mitDetailsVisible = false;
    bool mitDetails = false;
    bool nurBebuchteVisible = false; // "nur bebuchte Konten" (the trial balances)
    bool nurBebuchte = false;
    // "Zeitraum": a month or a quarter of the booking year in one pick (the VAT return).
    bool periodChoiceVisible = false;
    QString fromText, toText;
    bool waitNoteVisible = false; // "Bitte warten..."
    int nettoColor = kNormalText;
    // The control that has the focus ("GroupBox1", "OK", "fromText", "toText"); every move is
    // also reported through the ui port.
    QString activeControl;
    // Called when the rules change what the window shows while OK runs, before pending
    // window messages are let run (so that "Bitte warten..." is seen).
    std::function<void()> stateChanged;

    JournalQuery QJournal;

    // Left by the period preparation for the evaluations it prepared: per account number,
    // the balance (with the opening value) and the debit and credit turnovers from the start
    // of the booking period to the end of the range, from the journal alone. A range of
    // voucher numbers or texts has no end date: then the whole journal.
    struct RangeEnd {
        qint64 saldo = 0, soll = 0, haben = 0;
    };
    std::unordered_map<qint64, RangeEnd> rangeEnd;

    // --- events ---
    void sortByDate();
    void sortByBelegnummer();
    void sortByText();
    // Chooses an option by its event (the dialog's radio buttons and the launchers).
    void choose(Sort s);
    void open();
    // OK: true when the dialog closes with OK (the query is open and has rows).
    bool confirmRange();
    // The months "Januar" to "Dezember", then "1. Quartal" to "4. Quartal".
    static QStringList periodChoices();
    // Puts the date range on the chosen month or quarter (an index into periodChoices) of
    // the year the booking period begins in.
    void choosePeriod(int index);
    bool acceptsNettoDrag(DragSource source) const { return source == DragSource::GroupBox; }
    void dropNetto(DragSource source);
    bool nettoRed() const { return nettoColor == kRed; }

    // Shows the dialog modally: runs open, then the window's (or a script's) modal
    // loop; true on OK. Without a modal loop the dialog cannot be answered: false.
    std::function<bool()> showModal;
    bool runModal();

    // --- for the reports ---
    static QString sortCaption(Sort s);
    QString sortCaption() const { return sortCaption(sort); }
    // The from-date of the date option (after OK it is in the standard form).
    std::optional<QDate> fromDate() const;
    std::optional<QDate> toDate() const;
    // Line 6 in the date form: Belegdatum from..to, both inclusive.
    void setDateRange(const QDate &from, const QDate &to);

private:
    void focus(const QString &control);
    void changed();
    // Opens the query with "Bitte warten..." shown; true when it has rows. An engine error or
    // an empty range is reported and hides the note again.
    bool openRangeShowingWaitNote();
    BooksSession &m_fb;
};

} // namespace reports

} // namespace ledra
