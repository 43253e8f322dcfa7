// What a booking may hold, checked at the door: the amount, the rate and a line of a booking
// file are refused with their reason instead of being cut, rounded or taken from the row
// before; a refused line leaves the batch and the balances as they were.

#include "PostingFixture.h"

#include "posting/BuchungInput.h"
#include "store/Table.h"

#include <cmath>
namespace ledra {

namespace {
const QString kDecimals = QStringLiteral("Betrag mit höchstens zwei Nachkommastellen eingeben!");
const QString kRange = QStringLiteral("Betrag darf höchstens 999.999.999,99 sein!");
const QString kRate = QStringLiteral("Mwst-Satz muss zwischen 0 und 100 liegen!");
} // namespace

TEST(BuchungInput, AmountsAreWholeCentsWithinTheRange) {
    struct Case {
        const char *text;
        qint64 cents; // -1: refused
        QString error;
    };
    const Case cases[] = {
        {"119,00", 11900, {}},
        {"1.234,56", 123456, {}},
        {"12.50", 1250, {}},
        {"10,50000", 1050, {}}, // trailing zeros are no decimals
        {"-5,00", -500, {}},    // the store refuses it with its own message
        {"999.999.999,99", 99999999999, {}},
        {"0000000000000000001,00", 100, {}},
        {"10,005", -1, kDecimals},
        {"1,23456789", -1, kDecimals},
        {"0,001", -1, kDecimals},
        {"1844674407370956,100000", -1, kRange},
        {"99999999999999999999,00001", -1, kRange},
        {"1.000.000.000,00", -1, kRange},
        {"-1.000.000.000,00", -1, kRange},
        {"abc", -1, QStringLiteral("'abc' ist kein gültiger Betrag")},
        {"1e3", -1, QStringLiteral("'1e3' ist kein gültiger Betrag")},
        {"12,3,4", -1, QStringLiteral("'12,3,4' ist kein gültiger Betrag")},
        {"", -1, QStringLiteral("'' ist kein gültiger Betrag")},
    };
    for (const Case &c : cases) {
        const BetragInput in = parseBetrag(QString::fromUtf8(c.text));
        SCOPED_TRACE(c.text);
        if (c.error.isEmpty()) {
            ASSERT_TRUE(in.betrag.has_value()) << in.error.toStdString();
            EXPECT_EQ(*in.betrag, Money::fromCents(c.cents));
        } else {
            EXPECT_FALSE(in.betrag.has_value());
            EXPECT_EQ(in.error, c.error);
        }
    }
}

TEST(BuchungInput, RatesLieBetweenZeroAndHundred) {
    const std::pair<const char *, double> good[] = {{"19", 19.0}, {"7", 7.0},     {"16,5", 16.5},
                                                    {"0", 0.0},   {"100", 100.0}, {" 7.0 ", 7.0}};
    for (const auto &[text, rate] : good) {
        const SteuersatzInput in = parseSteuersatz(QString::fromUtf8(text));
        ASSERT_TRUE(in.satz.has_value()) << text;
        EXPECT_DOUBLE_EQ(*in.satz, rate);
    }
    for (const char *text : {"-100", "-19", "100,01", "1000"}) {
        const SteuersatzInput in = parseSteuersatz(QString::fromUtf8(text));
        EXPECT_FALSE(in.satz.has_value()) << text;
        EXPECT_EQ(in.error, kRate) << text;
    }
    for (const char *text : {"inf", "nan", "1e300", "19%", "", "1,2,3"}) {
        const SteuersatzInput in = parseSteuersatz(QString::fromUtf8(text));
        EXPECT_FALSE(in.satz.has_value()) << text;
        EXPECT_TRUE(in.error.endsWith(QStringLiteral("ist kein gültiger Mwst-Satz"))) << text;
    }
    EXPECT_TRUE(steuersatzError(std::nan("")));
    EXPECT_TRUE(steuersatzError(INFINITY));
    EXPECT_FALSE(steuersatzError(19.0));
}

TEST(BuchungInput, LinesThatWouldChangeOnTheWayAreRefusedWithTheirReason) {
    const QDate today(2026, 5, 4);
    const auto ok = parseBuchungLine("05.03.2026;7;4930;ba;Papier \"A4\";119,00;n;7", today);
    ASSERT_TRUE(ok.line) << ok.error.toStdString();
    EXPECT_EQ(ok.line->belegdatum, QDate(2026, 3, 5));
    EXPECT_EQ(ok.line->soll, QStringLiteral("4930"));
    EXPECT_EQ(ok.line->haben, QStringLiteral("ba"));
    EXPECT_EQ(ok.line->betrag, Money::fromCents(11900));
    EXPECT_TRUE(ok.line->netto);
    EXPECT_EQ(ok.line->mwst, 7.0);
    EXPECT_FALSE(parseBuchungLine("05.03.2026;7;4930;1200;Text;1,00;B", today).line->mwst)
        << "seven columns: the rate the accounts give";
    EXPECT_TRUE(parseBuchungLine("05.03.2026;;Kasse;Bürobedarf;;0;B;", today).line)
        << "names with umlauts, empty voucher number and text";

    const std::pair<QByteArray, QString> refused[] = {
        {"05.03.2026;7;4930;1200;Text;1,00;B;;;;;", QStringLiteral("mehr als die 11 Spalten")},
        {"05.03.2026;7;4930;1200;Text;1,00;B;19;x", QStringLiteral("OP 'x'")},
        {"05.03.2026;7;4930;1200;Text;1,00;B;19;;31.04.2026", QStringLiteral("Zahlungsziel")},
        {"05.03.2026;7;4930;1200;Text;1,00;B;19;5;;bar", QStringLiteral("Rest 'bar'")},
        {"05.03.2026;7;;1200;Text;1,00;B;19;;;", QStringLiteral("Soll braucht einen Eintrag")},
        {"05.03.2026;7;4930;1200;Text;;B;;;;", QStringLiteral("kein gültiger Betrag")},
        {"05.03.2026;7;4930;1200;Text;1,00", QStringLiteral("nicht die Spalten")},
        {"05.03.2026;7;4930;1200;Text;1,00;X;", QStringLiteral("Modus 'X'")},
        {"05.03.2026;7;4930;1200;Text;1,00;;", QStringLiteral("Modus ''")},
        {"05.03.2026;7;1200.99;4930;Text;1,00;B;", QStringLiteral("Soll '1200.99'")},
        {"05.03.2026;7;4930;-5;Text;1,00;B;", QStringLiteral("Haben '-5'")},
        {"05.03.2026;7;;1200;Text;1,00;B;", QStringLiteral("Soll braucht einen Eintrag")},
        {"05.03.2026;7;4930; ;Text;1,00;B;", QStringLiteral("Haben braucht einen Eintrag")},
        {"05.03.2026;7;Bank/Sparkasse;4930;Text;1,00;B;", QStringLiteral("Soll 'Bank/")},
        {"05.03.2026;7,5;4930;1200;Text;1,00;B;", QStringLiteral("nur Zahlen erlaubt")},
        {"05.03.2026;-7;4930;1200;Text;1,00;B;", QStringLiteral("nur Zahlen erlaubt")},
        {"05.03.2026;7;4930;1200;" + QByteArray(31, 'x') + ";1,00;B;",
         QStringLiteral("länger als 30 Zeichen")},
        {"05.03.2026;7;4930;1200;Text;10,005;B;", kDecimals},
        {"05.03.2026;7;4930;1200;Text;1,00;B;-19", kRate},
        {"05.03.2026;7;4930;1200;Text;1,00;B;inf", QStringLiteral("kein gültiger Mwst-Satz")},
        {"31.02.2026;7;4930;1200;Text;1,00;B;", QStringLiteral("kein gültiges Datum")},
        {"05.03.2026;7;4930;1200;Pap\xff\xfe;1,00;B;", QStringLiteral("UTF-8")},
        {"05.03.2026;7;4930;1200;\xc3;1,00;B;", QStringLiteral("UTF-8")},
        {QByteArray("05.03.2026;7;4930;1200;Te\0xt;1,00;B;", 36), QStringLiteral("NUL")},
        {"05.03.2026;7;4930;1200;Te\txt;1,00;B;", QStringLiteral("Steuerzeichen")},
    };
    for (const auto &[bytes, reason] : refused) {
        const BuchungLineInput in = parseBuchungLine(bytes, today);
        EXPECT_FALSE(in.line) << bytes.toStdString();
        EXPECT_TRUE(in.error.contains(reason))
            << bytes.toStdString() << " -> " << in.error.toStdString();
    }
    EXPECT_TRUE(
        parseBuchungLine("05.03.2026;7;4930;1200;" + QByteArray(30, 'x') + ";1,00;B;", today).line)
        << "exactly the field's length";
    // A payment taken over from an open item keeps what the takeover wrote where the line is
    // empty: the item's account, the voucher number, the text, the amount.
    const BuchungLineInput op =
        parseBuchungLine("06.03.2026;;1200;;;;B;;41;30.04.2026;offen", today);
    ASSERT_TRUE(op.line) << op.error.toStdString();
    EXPECT_EQ(op.line->op, 41);
    EXPECT_FALSE(op.line->betragGiven);
    EXPECT_TRUE(op.line->restOffen);
    EXPECT_EQ(op.line->zahlungsziel, QDate(2026, 4, 30));
}

TEST_F(Books, RefusedLinesLeaveBatchAndBalancesAsTheyWere) {
    ASSERT_TRUE(book("05.03.%Y;1;4930;1200;Papier;119,00;B;"));
    const auto before = totals();
    const char *lines[] = {
        "05.03.%Y;2;4930;1200;Drift;10,005;B;",    // a tenth of a cent per booking
        "05.03.%Y;2;4930;1200;Vier;1,23456789;B;", // kept four decimals
        "05.03.%Y;2;4930;1200;Überlauf;1844674407370956,100000;B;",
        "05.03.%Y;2;4930;1200;Punkt;1,00;B;;;;;", // a twelfth column
        "05.03.%Y;2;1200.99;4930;Punkt;1,00;B;",  // booked on 1200
        "05.03.%Y;2;;1200;Leer;1,00;B;",          // took the previous row's account
        "05.03.%Y;2;-4930;1200;Minus;1,00;B;",    // the same
        "05.03.%Y;2;4930;1200;Modus;1,00;X;",     // booked gross
        "05.03.%Y;2;4930;1200;Dreißig Zeichen sind zu wenig hier;1,00;B;", // cut to 30
    };
    for (const char *line : lines) {
        ui.clear();
        EXPECT_FALSE(book(QString::fromUtf8(line))) << line;
        EXPECT_EQ(ui.messages.size(), 1u) << line;
    }
    EXPECT_EQ(fb->books().stapel.recordCount(), 1);
    EXPECT_EQ(totals(), before);
}

TEST_F(Books, ARateOutsideZeroToHundredIsRefusedBeforeAnyQuestion) {
    // -100 % in gross mode divided by zero; -19 % gave negative tax; the others were stored
    // after "Trotzdem buchen?".
    for (const char *rate : {"-100", "-19", "101"}) {
        ui.clear();
        ui.answers = {Btn::Yes};
        EXPECT_FALSE(book(
            QStringLiteral("05.03.%Y;1;4930;1200;Satz;119,00;B;%1").arg(QString::fromLatin1(rate))))
            << rate;
        EXPECT_TRUE(ui.questions.empty()) << rate;
        EXPECT_TRUE(ui.saw(kRate)) << rate;
    }
    EXPECT_TRUE(fb->books().stapel.isEmpty());
    // The rate typed into the panel's rate field goes through the table's conversion.
    for (const char *rate : {"inf", "nan", "1e300", "-100"}) {
        ui.clear();
        ui.answers = {Btn::Yes};
        Table &b = fb->books().stapel;
        e().newRow();
        b.setValue(QStringLiteral("Soll"), 4930);
        b.setValue(QStringLiteral("Haben"), 1200);
        b.setValue(QStringLiteral("Steuersatz"), QString::fromLatin1(rate));
        e().setFocus(QStringLiteral("Betrag"));
        e().setAmount(Money::fromCents(11900));
        EXPECT_FALSE(e().moveFocus(QStringLiteral("Brutto"))) << rate;
        EXPECT_TRUE(ui.questions.empty()) << rate;
        EXPECT_TRUE(ui.saw(kRate)) << rate;
        EXPECT_EQ(e().focused(), QStringLiteral("Mwst"));
        e().cancelRow();
    }
    EXPECT_TRUE(fb->books().stapel.isEmpty());
    EXPECT_EQ(saldo(1576), Money());
}

TEST_F(Books, AnAmountWithMoreThanCentsInTheRowIsNotStored) {
    Table &b = fb->books().stapel;
    e().newRow();
    b.setValue(QStringLiteral("Soll"), 4930);
    b.setValue(QStringLiteral("Haben"), 1200);
    b.setValue(QStringLiteral("Steuersatz"), 19.0);
    e().setFocus(QStringLiteral("Betrag"));
    e().setAmount(Money::fromUnits(100050)); // 10,005 through the table's own conversion
    EXPECT_FALSE(e().moveFocus(QStringLiteral("Brutto")));
    EXPECT_TRUE(ui.saw(kDecimals));
    EXPECT_EQ(b.state(), DsState::Insert);
    e().cancelRow();
    EXPECT_EQ(saldo(4930), Money());
}

} // namespace ledra
