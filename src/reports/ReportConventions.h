#pragma once
// What every printed evaluation shares: page set-up from the print settings, the shading of
// detail lines, the period and currency lines, the number formats, the conversion between
// DM and euro inside sums, and the CSV form of a report. Each report window uses these
// instead of its own variant, so that all reports look and add up alike.

#include "reportengine/Band.h"
#include "reportengine/PageModel.h"
#include "reportengine/Report.h"
#include "reportengine/TextRenderer.h"
#include "store/Money.h"

#include <QColor>
#include <QDate>
#include <QString>
#include <QTextStream>
#include <QVariant>
namespace ledra {

class YearSettings;

namespace reports {

namespace rpt = ledra::report;

// Help contexts of the report launchers.
namespace Help {
constexpr int Kontenblatt = 21, Journal = 22, UstVA = 23, Salden = 24, GuV = 25, BWA = 26;
}

// The font sizes of the designs: 10 pt, journal and batch lines 9 pt, headings bold.
rpt::FontStyle reportFont(double pointSize = 10.0, bool bold = false);

// Which page edge the left-margin setting moves. A landscape sheet lies turned in the
// printer, so its top edge is the edge that is the left one in portrait.
enum class MarginEdge { Left, Top, None };
void applyMarginSetting(rpt::Report &report, const YearSettings &settings, MarginEdge edge);

// A colour setting as the settings file stores it (red in the low byte).
QColor settingColor(int value);

// Shades every other printed line of `detail` with the Zeile colour, the first one
// included. Install it after the band's own before-print handler: a line that handler
// suppresses does not switch the colour. The setting is read on every line, so a changed
// colour applies from the next run on.
void shadeRows(rpt::Band &detail, const YearSettings &settings);

// Period lines of the reports limited by the filter dialog.
enum class PeriodStyle {
    Von,      // account sheet, cash book, journal: "Von a bis b"
    VomUpper, // trial balances: "Vom a bis b"
    VomLower, // profit-and-loss overview, BWA: "vom a bis b"
    Plain,    // VAT return, after its heading: "a bis b"
};
QString periodLine(PeriodStyle style, const QString &from, const QString &to);
// Balance sheet: the booking period of the main window.
QString balanceSheetPeriod(const QString &start, const QString &end);

// "€" for a booking flagged as euro, "DM" otherwise (an empty flag counts as euro, as in
// posting).
QString bookingCurrency(const QVariant &euroFlag);

// Amounts of single bookings: "1234,56" (no thousands separator).
QString fixed2(qint64 units);
// Balance lines and totals: "1.234,56 €".
QString currencyFormat(qint64 units, const QString &currency);
// Display mask of the expression controls of trial balances and profit-and-loss overview.
QString totalsMask(const QString &currency);
// BWA and balance sheet: "1.234,56 € S" (debit), "… H" (credit), two blanks for zero.
QString sideAmount(qint64 units, const QString &currency);
// Makes a control print such amounts right-aligned with the side in a column of its own,
// so that "0,00 €" ends where "1.234,56 €" ends before its "S" in any font.
ledra::report::TextControl *sideAmountControl(ledra::report::TextControl *control);

// The amount of a single booking brought into the currency in force at its date, for
// adding it to a sum; the printed line itself shows the stored amount.
Money amountForSum(qint64 units, const QVariant &euroFlag, const QDate &date);

// A booking text holding "Storno" (case-sensitive) marks a reversal.
bool isReversal(const QString &bookingText);

// Cuts a text so that it fits into `widthMm` in the given font, as a control of fixed
// width would clip it. Needs a QGuiApplication (fonts).
QString clipToWidth(const QString &text, const rpt::FontStyle &font, double widthMm);
// A text too long for its column split for two lines: the words that fit the first line
// (broken after a blank or a hyphen; one long word is cut) and the rest.
std::pair<QString, QString> wrapToWidth(const QString &text, const rpt::FontStyle &font,
                                        double widthMm);

// CSV form of a report: the column heads once, then the body; page headers, footers and
// carry-over lines, which repeat on every page, are left out. Written as German spreadsheets
// open it at once: UTF-8 with a byte order mark (else umlauts come out garbled), ";" between
// the cells.
class ReportCsvSink : public rpt::PageSink {
public:
    // Starts the file on `out`, which must be empty and encode UTF-8.
    explicit ReportCsvSink(QTextStream &out) : m_out(out) { m_out << QChar(0xFEFF); }
    void addPage(rpt::Page &&page) override;

private:
    QTextStream &m_out;
    bool m_headsWritten = false;
};

} // namespace reports

} // namespace ledra
