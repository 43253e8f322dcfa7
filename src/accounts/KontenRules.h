#pragma once
// The page "Konten": the rules of the accounts grid over kontenGrid (change, delete and BWA
// guards, default rate, opening balances, wrong-side colouring), the name search and the
// standard charts.

#include "store/Money.h"

#include <QString>
namespace ledra {

class BooksSession;
class Table;

class KontenRules {
public:
    explicit KontenRules(BooksSession &fb);

    // The grid's selected column (0 KtoNr ... 8 Bilanz); the change guard depends on it.
    int selectedColumn = 0;

    // An account is in use when its balance is not 0 or its number stands in the batch or
    // the journal.
    bool inUse(qint64 ktoNr, Money saldo) const;

    void beforeKontoEdit(Table &t);
    void beforeKontoDelete(Table &t);
    void beforeKontoPost(Table &t);
    void onKontoNewRecord(Table &t);
    void afterKontoPost(Table &t);
    void changeArt(int art);
    void setOpeningSoll(const QString &text);
    void setOpeningHaben(const QString &text);

    // Colouring of a balance on the wrong side for its type (the stored code `art`): -1 when
    // it is drawn normally, else the colour number of the settings.
    int balanceColour(int art, Money saldo, bool selected) const;

    // Search by name: the first search after a change of the text starts at the top.
    QString searchText;
    void setSearchText(const QString &text);
    bool searchNext();

    void loadSkr03() { loadChart(true); }
    void loadSkr04() { loadChart(false); }

private:
    void loadChart(bool skr03);
    void setOpening(const QString &side, const QString &other, const QString &text, int sign);
    BooksSession &m_fb;
    bool m_newSearch = true;
};

} // namespace ledra
