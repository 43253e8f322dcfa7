#pragma once
// The main window on a copy of the shipped data folder, with a scripted ui port that records
// every message and answers every question.

#include "app/qt/MainWindow.h"
#include "support/Fixture.h"
#include "support/OpenItemsDouble.h"
#include "ui/ScriptedUi.h"

#include <gtest/gtest.h>
#include <memory>
namespace ledra {

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { window.reset(); }

    // Creates the window and runs its start-up; shows and activates it when asked.
    MainWindow &start(bool show = true);
    void restart(bool show = true);
    void writeProgramIni(const QByteArray &content);
    void writeYearIni(const QByteArray &content);
    // The user's copy of the program settings file (made by the location rule on first use).
    QString userProgramIni() const;
    // The program settings file that the program reads and writes.
    QString programIniInUse() const;
    QStringList messageTexts() const;
    // Puts the built manual beside the program instead of the empty stand-in.
    void installManual();

    DataFixture data;
    ScriptedUi ui;
    std::unique_ptr<MainWindow> window;
};

// A small bookkeeping behind the window: a dozen accounts, tax accounts 1576 and 1776 and a
// booking period of the current year, so that the rules that look at today hold.
class BooksWindow : public WindowTest {
protected:
    void SetUp() override;
    static QString year() { return QString::number(QDate::currentDate().year()); }
    // Focuses the field, selects what it shows and types the text over it.
    static void retype(QWidget *w, const QString &text);
    static QWidget *focused();
    // Types a whole booking with the keys a person uses: Insert, then each field in tab
    // order, Tab after the amount stores the row.
    void bookByKeys(const QString &date, const QString &belNr, const QString &soll,
                    const QString &haben, const QString &text, const QString &amount);
    Money saldo(int konto);
    // Starts the window and puts three bookings into the journal through the entry panel
    // and the transfer, entered in an order that differs from their voucher numbers:
    // 9 Toner 4930/1200 119, 3 Porto 4930/1000 11,90, 5 Verkauf 1200/8400 238.
    void startWithJournal();
};

// The open-items module as far as the main window needs it to show its commands.
class FakeOpenItems : public OpenItemsDouble {
public:
    int showWindow() override { return 0; }
};

} // namespace ledra
