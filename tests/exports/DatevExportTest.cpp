// The booking batch for the tax adviser, written by the command line and read back the way
// the adviser's import reads it: Windows-1252 bytes, CRLF records, ";" fields with quoted
// texts, the header by position, 125 columns in every record, TTMM dates, decimal comma.

#include "support/Fixture.h"

#include "exports/DatevExport.h"
#include "store/Query.h"

#include <QDate>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>
#include <map>

namespace ledra {

namespace {

// Windows-1252 back to text: Latin-1, except the one character of 0x80 to 0x9F the test uses.
QString fromWindows1252(const QByteArray &bytes) {
    QString out;
    for (const char c : bytes)
        out += static_cast<unsigned char>(c) == 0x80 ? QChar(u'€') : QChar::fromLatin1(c);
    return out;
}

struct Row {
    qint64 nr;
    QString datum; // dd.MM.
    qint64 soll, haben;
    QString text;
    qint64 bruttoCents;
    double satz;
    bool euro;
};

struct DatevExportRun : ::testing::Test {
    DataFixture fx;
    QString out, err;
    int year = QDate::currentDate().year();

    // Customer and revenue at 19 % and 7 %, an office-supplies account at 19 %, the §13b
    // account, bank and cash, a customer's personal account one digit longer.
    const std::vector<Row> rows{
        {1, "05.01.", 1400, 8400, QString::fromUtf8("Rechnung Müller; \"Büro\" 5 €"), 11900, 19,
         true},
        {2, "06.01.", 1400, 8400, QStringLiteral("Buch zu 7 %"), 10700, 7, true},
        {3, "07.02.", 4930, 1200, QStringLiteral("Papier ermäßigt"), 5350, 7, true},
        {4, "08.02.", 3120, 1200, QStringLiteral("Bauleistung Dach"), 100000, 0, true},
        {5, "09.02.", 1200, 1400, QStringLiteral("Zahlung Müller"), 11900, 0, true},
        {6, "10.03.", 1400, 8400, QStringLiteral("Gutschrift"), -11900, 19, true},
        {7, "11.03.", 4930, 1000, QStringLiteral("Porto DM"), 1956, 19, false},
        {8, "12.03.", 10001, 8400, QStringLiteral("Rechnung Kunde 10001"), 23800, 19, true},
        {9, "13.03.", 4930, 1200, QStringLiteral("Altsatz"), 11600, 16, true},
    };

    void SetUp() override {
        fx.addAccount(1000, QStringLiteral("Kasse"), 5, 0);
        fx.addAccount(1200, QStringLiteral("Bank"), 4, 0);
        fx.addAccount(1400, QStringLiteral("Forderungen"), 7, 0);
        fx.addAccount(10001, QStringLiteral("Kunde Müller"), 7, 0);
        fx.addAccount(1576, QStringLiteral("Vorsteuer"), 9, 0);
        fx.addAccount(1776, QStringLiteral("Umsatzsteuer"), 9, 0);
        fx.addAccount(3120, QStringLiteral("Bauleistungen §13b"), 1, 0);
        fx.addAccount(4930, QStringLiteral("Bürobedarf"), 0, 19);
        fx.addAccount(8300, QStringLiteral("Erlöse 7 %"), 3, 7);
        fx.addAccount(8400, QStringLiteral("Erlöse 19 %"), 3, 19);
        fx.writeFile(fx.base + QStringLiteral("/LEDRA.INI"),
                     QStringLiteral("[Konten]\nVorsteuer=1576\nMwst=1776\nKosten13b=3120\n"
                                    "[BZR]\nVon=01.01.%1\nBis=31.12.%1\n")
                         .arg(year)
                         .toUtf8());
        UnitOfWork uw(fx.base + QStringLiteral("/Journal.DB"));
        for (const Row &r : rows) {
            const QDate d =
                QDate::fromString(r.datum + QString::number(year), QStringLiteral("dd.MM.yyyy"));
            insert(uw, r.nr, d, r.soll, r.haben, r.text, r.bruttoCents, r.satz, r.euro);
        }
        uw.commit();
    }

    static void insert(UnitOfWork &uw, qint64 nr, const QDate &d, qint64 soll, qint64 haben,
                       const QString &text, qint64 bruttoCents, double satz, bool euro) {
        uw.exec(QStringLiteral("INSERT INTO Journal (Autonummer, Belegdatum, Buchungstext, Soll, "
                               "Haben, Netto, Brutto, Steuer, Steuersatz, Belegnummer, Euro, "
                               "Stfaellig) VALUES (?, ?, ?, ?, ?, ?, ?, 0, ?, ?, ?, 0)"),
                {nr, d.toString(Qt::ISODate), text, soll, haben, bruttoCents * 100,
                 bruttoCents * 100, satz, 100 + nr, euro ? 1 : 0});
    }

    int run(const QStringList &args) {
        QProcess p;
        p.start(QStringLiteral(LEDRA_CLI),
                QStringList{QStringLiteral("--data"), fx.base, QStringLiteral("export"),
                            QStringLiteral("datev")} +
                    args);
        p.waitForFinished(60000);
        out = QString::fromUtf8(p.readAllStandardOutput());
        err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    }

    QString file() const { return fx.tmp.path() + QStringLiteral("/EXTF_Buchungsstapel.csv"); }

    // The records of the written file; every line must end in CRLF.
    std::vector<QStringList> records() const {
        QFile f(file());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        EXPECT_TRUE(bytes.endsWith("\r\n"));
        std::vector<QStringList> out;
        for (const QByteArray &line : bytes.split('\n')) {
            if (line.isEmpty())
                continue;
            EXPECT_TRUE(line.endsWith('\r')) << "a record without CRLF";
            out.push_back(csvCells(fromWindows1252(line.chopped(1))));
        }
        return out;
    }
};

} // namespace

TEST_F(DatevExportRun, EveryJournalBookingReadsBackWithItsAccountsAmountAndKey) {
    ASSERT_EQ(run({file(), QStringLiteral("--berater"), QStringLiteral("1234567"),
                   QStringLiteral("--mandant"), QStringLiteral("42")}),
              0)
        << err.toStdString();
    const auto recs = records();
    ASSERT_EQ(recs.size(), rows.size() + 2);

    // The header by position.
    const QStringList &h = recs[0];
    ASSERT_EQ(h.size(), 31);
    EXPECT_EQ(h[0], QStringLiteral("EXTF"));
    EXPECT_EQ(h[1], QStringLiteral("700"));
    EXPECT_EQ(h[2], QStringLiteral("21"));
    EXPECT_EQ(h[3], QStringLiteral("Buchungsstapel"));
    EXPECT_EQ(h[10], QStringLiteral("1234567"));
    EXPECT_EQ(h[11], QStringLiteral("42"));
    EXPECT_EQ(h[12], QString::number(year) + QStringLiteral("0101")) << "fiscal year start";
    EXPECT_EQ(h[13], QStringLiteral("4"));
    EXPECT_EQ(h[14], QString::number(year) + QStringLiteral("0101"));
    EXPECT_EQ(h[15], QString::number(year) + QStringLiteral("1231"));
    EXPECT_EQ(h[18], QStringLiteral("1")) << "booking type: financial accounting";
    EXPECT_EQ(h[20], QStringLiteral("0")) << "not locked unless asked";
    EXPECT_EQ(h[21], QStringLiteral("EUR"));
    EXPECT_EQ(recs[1], datevColumnNames());
    EXPECT_EQ(recs[1].size(), 125);

    // Tax keys: none at the account's own rate, the rate's key on the right side elsewhere,
    // none (and a warning) where the format cannot say it.
    const std::map<qint64, QString> keys{{2, QStringLiteral("2")}, {3, QStringLiteral("8")}};
    const std::map<qint64, QString> umsatz{{1, "119,00"},  {2, "107,00"}, {3, "53,50"},
                                           {4, "1000,00"}, {5, "119,00"}, {6, "119,00"},
                                           {7, "10,00"},   {8, "238,00"}, {9, "116,00"}};
    qint64 sumCents = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        const Row &r = rows[i];
        const QStringList &f = recs[i + 2];
        ASSERT_EQ(f.size(), 125) << "record " << r.nr;
        EXPECT_EQ(f[0], umsatz.at(r.nr)) << r.nr;
        EXPECT_EQ(f[1], r.bruttoCents < 0 ? QStringLiteral("H") : QStringLiteral("S"))
            << "a negative amount turns the side, record " << r.nr;
        EXPECT_EQ(f[2], QStringLiteral("EUR"));
        EXPECT_EQ(f[6].toLongLong(), r.soll) << r.nr;
        EXPECT_EQ(f[7].toLongLong(), r.haben) << r.nr;
        EXPECT_EQ(f[8], keys.count(r.nr) ? keys.at(r.nr) : QString()) << r.nr;
        EXPECT_EQ(f[9], r.datum.left(2) + r.datum.mid(3, 2)) << "TTMM, record " << r.nr;
        EXPECT_EQ(f[10], QString::number(100 + r.nr));
        EXPECT_EQ(f[13], r.text) << "umlauts, €, quotes and ; survive";
        for (int c : {3, 4, 5, 11, 12, 14, 36, 113, 124})
            EXPECT_TRUE(f[c].isEmpty()) << "column " << c + 1 << " of record " << r.nr;
        sumCents += QString(f[0]).remove(QLatin1Char(',')).toLongLong();
    }
    EXPECT_EQ(sumCents, 11900 + 10700 + 5350 + 100000 + 11900 + 11900 + 1000 + 23800 + 11600);

    // The §13b booking and the rate without a key are named, the others are not.
    EXPECT_TRUE(err.contains(QStringLiteral("Buchung Nr. 4"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("§13b"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("Buchung Nr. 9"))) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("Buchung Nr. 2"))) << err.toStdString();

    // The numbers are remembered in the year settings.
    EXPECT_TRUE(fx.readFile(fx.base + QStringLiteral("/LEDRA.INI")).contains("Berater=1234567"));
}

TEST_F(DatevExportRun, RangeAndLockFlag) {
    ASSERT_EQ(run({file(), QStringLiteral("--berater"), QStringLiteral("1001"),
                   QStringLiteral("--mandant"), QStringLiteral("1"), QStringLiteral("--von"),
                   QStringLiteral("01.02.%1").arg(year), QStringLiteral("--bis"),
                   QStringLiteral("28.02.%1").arg(year), QStringLiteral("--festschreiben")}),
              0)
        << err.toStdString();
    const auto recs = records();
    ASSERT_EQ(recs.size(), 3u + 2u) << "the bookings of February only";
    EXPECT_EQ(recs[0][14], QString::number(year) + QStringLiteral("0201"));
    EXPECT_EQ(recs[0][15], QString::number(year) + QStringLiteral("0228"));
    EXPECT_EQ(recs[0][20], QStringLiteral("1"));
    EXPECT_EQ(recs[2][6], QStringLiteral("4930"));
}

TEST_F(DatevExportRun, RefusalsWriteNothing) {
    const QString berater = QStringLiteral("--berater"), mandant = QStringLiteral("--mandant");
    struct Case {
        QStringList args;
        const char *message;
    };
    const std::vector<Case> cases{
        {{berater, QStringLiteral("1000"), mandant, QStringLiteral("1")}, "Beraternummer"},
        {{berater, QStringLiteral("10000000"), mandant, QStringLiteral("1")}, "Beraternummer"},
        {{berater, QStringLiteral("1001"), mandant, QStringLiteral("100000")}, "Mandantennummer"},
        {{berater, QStringLiteral("1001"), mandant, QStringLiteral("0")}, "Mandantennummer"},
        {{berater, QStringLiteral("1001"), mandant, QStringLiteral("1"), QStringLiteral("--von"),
          QStringLiteral("01.01.%1").arg(year - 1)},
         "Buchungszeitraum"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(run(QStringList{file()} + c.args), 1) << c.message;
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.message))) << err.toStdString();
        EXPECT_FALSE(QFile::exists(file())) << c.message;
    }

    // A text the code page cannot hold, and an account longer than the account length: the
    // booking is named, an older file of the same name stays as it was.
    fx.writeFile(file(), "alt");
    for (const auto &[soll, text, message] :
         {std::tuple<qint64, QString, QString>{4930, QStringLiteral("Summe Σ"),
                                               QStringLiteral("Windows-1252")},
          {123456, QStringLiteral("Langes Konto"), QStringLiteral("Sachkontenlänge")}}) {
        UnitOfWork uw(fx.base + QStringLiteral("/Journal.DB"));
        uw.exec(QStringLiteral("DELETE FROM Journal WHERE Autonummer = 99"));
        insert(uw, 99, QDate(year, 4, 1), soll, 1200, text, 100, 0, true);
        uw.commit();
        EXPECT_EQ(run({file(), berater, QStringLiteral("1001"), mandant, QStringLiteral("1")}), 1);
        EXPECT_TRUE(err.contains(message)) << err.toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("Buchung Nr. 99"))) << err.toStdString();
        EXPECT_EQ(fx.readFile(file()), QByteArray("alt"));
    }

    // Never over a file of the books.
    EXPECT_EQ(run({fx.base + QStringLiteral("/Journal.DB"), berater, QStringLiteral("1001"),
                   mandant, QStringLiteral("1")}),
              1);
    EXPECT_TRUE(QFile(fx.base + QStringLiteral("/Journal.DB")).size() > 100);
}

TEST(DatevText, Windows1252HoldsGermanTextAndRefusesTheRest) {
    EXPECT_EQ(toWindows1252(QStringLiteral("Müß€„“")), QByteArray("M\xFC\xDF\x80\x84\x93", 6));
    EXPECT_FALSE(toWindows1252(QStringLiteral("Σ")).has_value());
    EXPECT_FALSE(toWindows1252(QStringLiteral("a\nb")).has_value());
    EXPECT_EQ(datevTaxKey(19.0, true), 3);
    EXPECT_EQ(datevTaxKey(7.0, false), 8);
    EXPECT_EQ(datevTaxKey(16.0, true), 0);
}

} // namespace ledra
