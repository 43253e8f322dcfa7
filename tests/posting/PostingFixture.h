#pragma once
// A small bookkeeping for posting tests: the shipped data folder with a dozen accounts,
// settings for 2026, and the main window's rules without a window.

#include "app/Shell.h"
#include "posting/BuchungRules.h"
#include "posting/EntryLine.h"
#include "support/Fixture.h"
#include "ui/ScriptedUi.h"

#include <gtest/gtest.h>
#include <map>
namespace ledra {

struct Books : ::testing::Test {
    DataFixture fx;
    ScriptedUi ui;
    std::unique_ptr<Shell> fb;

    void SetUp() override;
    // Starts (or restarts) the program on the fixture folder.
    void start();
    // Enters a line; answers are taken from ui.answers.
    // "%Y" in the line stands for the current year.
    bool book(QString line) {
        line.replace(QStringLiteral("%Y"), year());
        return enterBuchungLine(fb->entry(), line.split(QLatin1Char(';')));
    }
    static QString year() { return QString::number(QDate::currentDate().year()); }
    Money saldo(int konto);
    Money field(int konto, const char *name);
    // Every account's running totals, to compare before and after.
    std::map<qint64, QList<qint64>> totals();
    BuchungRules &e() { return fb->entry(); }
};

} // namespace ledra
