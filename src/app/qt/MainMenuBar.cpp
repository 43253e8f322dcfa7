#include "MainMenuBar.h"

#include "BuchenPage.h"
#include "EinstellungPage.h"
#include "KontenPage.h"
#include "MainWindow.h"
#include "PageControl.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
namespace ledra {

namespace {
enum PageIndex { BuchenIndex = 0, KontenIndex = 1 };

void collect(const QMenu *menu, QList<QAction *> &out) {
    const QList<QAction *> actions = menu->actions();
    for (QAction *a : actions) {
        if (a->isSeparator())
            continue;
        if (a->menu())
            collect(a->menu(), out);
        else if (!out.contains(a))
            out << a;
    }
}
} // namespace

MainMenuBar::MainMenuBar(MainWindow &window) : QObject(&window), m_window(window) {
    // The titles' letters are chosen so that Alt with a letter keeps reaching the fields of
    // the page "Buchen" ("&Datum", "&Belegnr.", "&Soll", "&Haben", "&Text", "Betr&ag", ...).
    const auto &entry = window.entryMenu();
    const auto &reports = window.accountsMenu();
    BuchenPage *buchen = window.buchenPage();
    KontenPage *konten = window.kontenPage();
    EinstellungPage *settings = window.einstellungPage();
    window.menuBar()->setObjectName(QStringLiteral("MainMenu"));

    QMenu *datei = addMenu(QStringLiteral("Date&i"), QStringLiteral("MDatei"));
    datei->addAction(entry.Speichern);
    mirror(datei, QStringLiteral("Buchungsstapel &drucken..."), window.SBDruck());
    datei->addSeparator();
    mirror(datei, QStringLiteral("&Export GDPdU..."), settings->BExport());
    mirror(datei, QStringLiteral("Export &DATEV..."), settings->BDatev());
    datei->addSeparator();
    datei->addAction(entry.Beenden);

    QMenu *bearbeiten = addMenu(QStringLiteral("B&earbeiten"), QStringLiteral("MBearbeiten"));
    bearbeiten->addAction(entry.Neu);
    QAction *cancel =
        mirror(bearbeiten, QStringLiteral("Buchung &abbrechen\tEsc"), buchen->Abbruch());
    m_syncs.push_back(
        [this, cancel] { cancel->setEnabled(m_window.core().controls.splittingEnabled); });
    QAction *remove = command(bearbeiten, QStringLiteral("MBuchungLoeschen"),
                              QStringLiteral("Buchung l&öschen\tStrg+Entf"), [this] {
                                  if (m_window.pageControl()->requestPage(BuchenIndex))
                                      m_window.buchenPage()->deleteRow();
                              });
    m_syncs.push_back(
        [this, remove] { remove->setEnabled(m_window.core().controls.bSpeichernEnabled); });
    bearbeiten->addSeparator();
    bearbeiten->addAction(entry.Favorithinzufuegen);
    bearbeiten->addAction(entry.Favoritloeschen);

    QMenu *buchenMenu = addMenu(QStringLiteral("Bu&chen"), QStringLiteral("MBuchen"));
    buchenMenu->addAction(entry.Neu);
    buchenMenu->addAction(entry.Splitting);
    buchenMenu->addAction(entry.OffenePosten);
    buchenMenu->addAction(entry.Storno);
    buchenMenu->addSeparator();
    buchenMenu->addAction(entry.Speichern);

    QMenu *auswertungen = addMenu(QStringLiteral("Aus&wertungen"), QStringLiteral("MAuswertungen"));
    auswertungen->setToolTipsVisible(true);
    auswertungen->addAction(reports.Kontenblatt);
    auswertungen->addAction(reports.Journal);
    auswertungen->addAction(reports.MUstVM);
    auswertungen->addMenu(reports.Saldenlisten);
    auswertungen->addAction(reports.GuV);
    auswertungen->addAction(reports.BWA);
    auswertungen->addAction(reports.Bilanz);
    auswertungen->addSeparator();
    mirror(auswertungen, QStringLiteral("Buchungs&stapel drucken..."), window.SBDruck());

    QMenu *kontenMenu = addMenu(QStringLiteral("&Konten"), QStringLiteral("MKonten"));
    QAction *find = command(kontenMenu, QStringLiteral("MKontoSuchen"),
                            QStringLiteral("Konto &suchen..."), [this] {
                                if (!m_window.pageControl()->requestPage(KontenIndex))
                                    return;
                                QLineEdit *e = m_window.kontenPage()->Edit1();
                                e->setFocus(Qt::ShortcutFocusReason);
                                e->selectAll();
                            });
    find->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    mirror(kontenMenu, QStringLiteral("&Weitersuchen"), konten->Suchen());
    kontenMenu->addAction(reports.Salden);
    kontenMenu->addSeparator();
    mirror(kontenMenu, QStringLiteral("Standardkontenrahmen SKR 0&3 laden"), settings->BSKR03(),
           true);
    mirror(kontenMenu, QStringLiteral("Standardkontenrahmen SKR 0&4 laden"), settings->BSKR04(),
           true);
    kontenMenu->addSeparator();
    mirror(kontenMenu, QStringLiteral("&BWA-Sektionen..."), settings->BBWA());
    mirror(kontenMenu, QStringLiteral("B&ilanz-Sektionen..."), settings->BBilanz());

    QMenu *extras = addMenu(QStringLiteral("E&xtras"), QStringLiteral("MExtras"));
    mirror(extras, QStringLiteral("&Versteuerung prüfen und umstellen"), settings->VerstPruef());
    extras->addSeparator();
    mirror(extras, QStringLiteral("&Jahreswechsel"), settings->JWechsel());
    mirror(extras, QStringLiteral("Kontensalden &übertragen"), settings->KSaldouebertr());
    mirror(extras, QStringLiteral("&Alte Buchungsdaten"), settings->AltBuch(), false, true);
    mirror(extras, QStringLiteral("Buchungsjahr &löschen"), settings->DelJahr());

    QMenu *hilfe = addMenu(QStringLiteral("Hi&lfe"), QStringLiteral("MHilfe"));
    // F1 itself is the window's key, which looks at the focused control first.
    command(hilfe, QStringLiteral("MHilfeInhalt"), QStringLiteral("&Hilfe\tF1"),
            [this] { m_window.showFocusedHelp(); });
    mirror(hilfe, QStringLiteral("&Info"), settings->Info());
    sync();
}

QMenu *MainMenuBar::addMenu(const QString &title, const QString &name) {
    QMenu *menu = m_window.menuBar()->addMenu(title);
    menu->setObjectName(name);
    return menu;
}

QAction *MainMenuBar::command(QMenu *menu, const QString &name, const QString &text,
                              const std::function<void()> &run) {
    QAction *a = menu->addAction(text);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, run);
    return a;
}

QAction *MainMenuBar::mirror(QMenu *menu, const QString &text, QAbstractButton *button,
                             bool followVisible, bool followText) {
    QAction *a = command(menu, QStringLiteral("M") + button->objectName(), text,
                         [button] { button->click(); });
    a->setToolTip(button->toolTip());
    m_mirrors.push_back({a, button, followVisible, followText});
    return a;
}

void MainMenuBar::sync() {
    for (const Mirror &m : m_mirrors) {
        m.action->setEnabled(m.button->isEnabled() && (!m.followVisible || !m.button->isHidden()));
        if (m.followText)
            m.action->setText(m.button->text());
    }
    for (const auto &s : m_syncs)
        s();
}

QList<QAction *> MainMenuBar::commands() const {
    QList<QAction *> out;
    const QList<QAction *> menus = m_window.menuBar()->actions();
    for (QAction *a : menus)
        if (a->menu())
            collect(a->menu(), out);
    return out;
}

} // namespace ledra
