#pragma once
// The logic of the open-items manager window without its widgets: the year chooser, the
// type cycle, the account, range and customer filters, the search, the sort order, adding,
// deleting and changing open items, and the consistency check. The window shows this state
// and forwards its controls' events; the command line drives the same object.

#include "OffenePostenStore.h"

#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace ledra {

class Ui;

class OffenePostenRules {
public:
    enum class Art { Alle, Forderungen, Verbindlichkeiten };
    enum class Bereich { Keiner, Datum, Belegnummer };
    enum class Sortierung { Datum, Zahlungsziel };

    explicit OffenePostenRules(Ui &ui);

    OffenePostenStore &daten() { return m_daten; }
    const OffenePostenStore &daten() const { return m_daten; }
    Ui &ui() { return m_ui; }

    // Opens the data in the base data folder and lists its sub-folders as years.
    void init(const QString &dataFolder, const QString &currencySymbol);
    // Each opening of the window lists every open item again, in the year and order last
    // chosen.
    void show();
    // Leaves the customer list.
    void hide();

    // --- year ---
    const QStringList &jahre() const { return m_jahre; }
    int jahr() const { return m_jahr; }
    QString jahrFolder(int index) const;
    // Points the list at the year of the chooser's entry. A folder without a journal is
    // refused with a message and the chooser goes back to "Akt. Jahr"; false then.
    bool chooseJahr(int index);

    // --- filters ---
    // The type button: "Alle Konten" -> "Forderungen" -> "Verbindlichkeiten" -> again.
    void cycleArt();
    Art art() const { return m_art; }
    QString artCaption() const;
    // The side label of the customer chooser ("Kunde", "Lieferant"), empty when hidden.
    QString kundenLabel() const;
    const std::vector<KundeEintrag> &kunden() const { return m_kunden; }

    // Shows only the bookings on this account, whatever their type; 0 does nothing.
    void chooseKonto(qint64 ktoNr);
    qint64 konto() const { return m_konto; }

    // The range of the radio buttons with the typed bounds. A bound that does not convert
    // is named in a message and left out; false then.
    QString von, bis;
    bool applyBereich(Bereich b);
    Bereich bereich() const { return m_bereich; }
    // The range again and only this customer's or supplier's items; 0 does nothing.
    void chooseKunde(qint64 nr);

    // Moves the cursor to the first row whose amount (text with a comma) or voucher number
    // equals the text; the list stays whole. False when the text is no amount or number
    // (the window empties its search field then).
    bool search(const QString &text);

    void sortBy(Sortierung s);
    Sortierung sortierung() const { return m_sort; }

    // --- the list ---
    const std::vector<OffenerPostenZeile> &rows() const { return m_daten.rows(); }
    int current() const { return m_current; }
    void setCurrent(int row);
    const OffenerPostenZeile *currentRow() const;
    bool uebernahmeEnabled() const { return !rows().empty(); }
    // Reloads the list, keeping the cursor on the same open item where it is still listed.
    void reload();

    // --- open items ---
    // Adds the journal booking (of the year shown) as an open item of its gross amount.
    // False when it is refused (the message was shown).
    bool addBooking(qint64 autonummer);
    // Deletes the open item under the cursor after the question. True when deleted.
    bool deleteCurrent();

    // What the change dialog edits.
    struct Aenderung {
        qint64 nr = 0;
        Money betrag;
        bool euro = true;
        QDate ziel;
        qint64 kunde = 0;
        enum class Wahl { Keine, Kunden, Lieferanten } wahl = Wahl::Keine;
    };
    // The open item under the cursor as the change dialog shows it; nullopt when its row is
    // gone from OP.db (the dialog's OK stays disabled).
    std::optional<Aenderung> beginChange();
    // Stores what the dialog changed. A typed amount or date that does not convert is named
    // in a message and nothing is stored; false then.
    bool saveChange(const Aenderung &before, const QString &betragText, const QString &zielText,
                    qint64 kunde);

    // --- consistency check ---
    // The window's gauge and its abort; both may stay empty.
    std::function<void(int position, int maximum)> progress;
    std::function<bool()> abortRequested;
    struct Pruefung {
        bool ran = false;     // the question was answered Yes
        bool aborted = false; // the user stopped it; no counter was written
        int deleted = 0;
        qint64 highest = 0; // the number shown as "Interne OP-Nr."
    };
    Pruefung pruefen();

private:
    void openList();

    Ui &m_ui;
    OffenePostenStore m_daten;
    QStringList m_jahre;
    int m_jahr = 0;
    Art m_art = Art::Alle;
    qint64 m_konto = 0;
    Bereich m_bereich = Bereich::Keiner;
    Sortierung m_sort = Sortierung::Datum;
    std::vector<KundeEintrag> m_kunden;
    bool m_kundenLabel = false;
    int m_current = -1;
};

} // namespace ledra
