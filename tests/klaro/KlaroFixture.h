#pragma once
// A data folder for the open-items tests: customer 10000 (type 7), supplier 70000 (type 8),
// revenue 8400 (type 3), goods 3400 (type 1) and bank 1200 (type 4), journal bookings and
// open items written straight into the tables, and year folders beside them.

#include "klaro/OffenePostenRules.h"
#include "support/Fixture.h"
#include "ui/ScriptedUi.h"

#include <QDate>
#include <memory>

namespace ledra {

struct KlaroFixture {
    DataFixture fx;
    ScriptedUi ui;
    std::unique_ptr<OffenePostenRules> rules;

    KlaroFixture();
    // A journal booking in the folder (default: base); gross in cents.
    void book(qint64 autonummer, QDate date, qint64 belegnummer, const QString &text, int soll,
              int haben, qint64 bruttoCents, qint64 steuerCents, bool euro = true,
              const QString &folder = QString());
    // An open item in OP.db of the base folder; amount in cents.
    void openItem(qint64 nr, qint64 betragCents, qint64 knr = 0, QDate ziel = QDate());
    // A year folder with the shipped tables and the fixture's accounts.
    QString yearFolder(const QString &name);
    // Opens the rules on the base folder as the window's first opening does.
    OffenePostenRules &open();
    int opCount() const;
};

} // namespace ledra
