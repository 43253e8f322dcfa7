#include "EinstellungPage.h"

#include "DatevExportDialog.h"
#include "EventBoundary.h"
#include "GdpduExportDialog.h"
#include "Panel.h"
#include "SectionEditor.h"
#include "accounts/Jahreswechsel.h"
#include "accounts/KontenRules.h"
#include "accounts/Versteuerung.h"
#include "app/Shell.h"
#include "ui/Ui.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSpinBox>
#include <QVBoxLayout>
namespace ledra {

namespace {
void paintPanel(Panel *p, int rgbNumber) {
    const QColor bg = colorFromRgbNumber(rgbNumber);
    const QColor fg = qGray(bg.rgb()) < 128 ? Qt::white : Qt::black;
    p->setAutoFillBackground(true);
    QPalette pal = p->palette();
    pal.setColor(QPalette::Window, bg);
    pal.setColor(QPalette::WindowText, fg);
    p->setPalette(pal);
    p->update();
}

void setIfIdle(QLineEdit *e, const QString &v) {
    if (!e->hasFocus() && e->text() != v)
        e->setText(v);
}
} // namespace

QString mwstSatzDigits(const QString &text) {
    QString d;
    for (QChar c : text)
        if (c.isDigit())
            d += c;
    return d;
}

EinstellungPage::EinstellungPage(Shell &core, QWidget *parent) : QWidget(parent), m_core(core) {
    setObjectName(QStringLiteral("EinstellungPanel"));
    auto field = [this](const QString &name, const QString &hint, const char *digits,
                        QString YearSettings::*member) {
        auto *e = new QLineEdit(this);
        e->setObjectName(name);
        e->setToolTip(hint);
        if (digits)
            e->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QString::fromLatin1(digits)), e));
        if (member)
            connect(e, &QLineEdit::textEdited, this,
                    [this, member](const QString &t) { m_core.books().settings.*member = t; });
        m_fields.insert(e);
        return e;
    };
    auto check = [this](const QString &name, const QString &text, const QString &hint) {
        auto *c = new QCheckBox(text, this);
        c->setObjectName(name);
        c->setToolTip(hint);
        m_fields.insert(c);
        return c;
    };
    auto button = [this](const QString &name, const QString &text,
                         const QString &hint = QString()) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setToolTip(hint);
        return b;
    };
    auto colorPanel = [this](const QString &name, const QString &text, int YearSettings::*member) {
        auto *p = new Panel(text, this);
        p->setObjectName(name);
        p->setToolTip(QStringLiteral("zum Ändern doppelklicken"));
        p->setMinimumSize(160, 24);
        p->setAlignment(Qt::AlignCenter);
        connect(p, &Panel::doubleClicked, this,
                [this, member] { colorDoubleClicked(m_core.books().settings.*member); });
        return p;
    };
    auto group = [this](const QString &name, const QString &title) {
        auto *g = new QGroupBox(title, this);
        g->setObjectName(name);
        return g;
    };
    auto row = [](QFormLayout *f, const QString &text, QWidget *w) {
        auto *l = new QLabel(text);
        l->setBuddy(w);
        f->addRow(l, w);
    };

    // Steuerbuchung
    m_vorsteuer =
        field(QStringLiteral("Vorsteuer"), QString(), "[0-9]{0,6}", &YearSettings::vorsteuer);
    m_kontoMwst =
        field(QStringLiteral("KontoMwst"), QString(), "[0-9]{0,6}", &YearSettings::kontoMwst);
    m_mwstSatz = field(QStringLiteral("MwstSatz"), QString(), nullptr, nullptr);
    m_mwstSatz->setInputMask(QStringLiteral("09,0 %"));
    // The rate goes through the rules, which also move the accounts grid's third choice.
    connect(m_mwstSatz, &QLineEdit::textEdited, this,
            [this](const QString &t) { m_core.setMwstSatz(mwstSatzDigits(t)); });
    m_cbIstSteuer = check(QStringLiteral("cbIstSteuer"), QStringLiteral("Ist-Versteuerung"),
                          QStringLiteral("Mwst wird erst bei Zahlungseingang fällig"));
    // The due-tax columns of the batch grid come and go with the check mark at once.
    connect(m_cbIstSteuer, &QCheckBox::toggled, this, [this](bool on) {
        m_core.books().settings.istSteuer = on;
        m_core.books().notify(BooksEvent::CashBasisChanged);
    });
    m_verstPruef = button(QStringLiteral("VerstPruef"), QStringLiteral("Prüfen"),
                          QStringLiteral("Aktuelles Jahr auf gewählte Versteuerung umstellen"));
    m_kosten13b = field(QStringLiteral("Kosten13b"),
                        QStringLiteral("für die automatische Berechnung der Steuer"), nullptr,
                        &YearSettings::kosten13b);
    m_kapital = field(QStringLiteral("Kapital"),
                      QStringLiteral("nimmt beim Jahreswechsel Gewinn und Privatkonten auf"),
                      "[0-9]{0,6}", &YearSettings::kapital);
    m_bilanzErgebnis = field(QStringLiteral("BilanzErgebnis"),
                             QStringLiteral("Bilanzposten für Jahresüberschuss/-fehlbetrag"),
                             "[0-9]{0,6}", &YearSettings::bilanzErgebnis);
    auto *gSteuer = group(QStringLiteral("gbSteuer"), QStringLiteral("Steuerbuchung"));
    auto *fSteuer = new QFormLayout(gSteuer);
    row(fSteuer, QStringLiteral("&Vorsteuerkonto:"), m_vorsteuer);
    row(fSteuer, QStringLiteral("&MwSt-Konto:"), m_kontoMwst);
    row(fSteuer, QStringLiteral("V&oller Mwst-&Satz:"), m_mwstSatz);
    auto *ist = new QHBoxLayout;
    ist->addWidget(m_cbIstSteuer);
    ist->addWidget(m_verstPruef);
    fSteuer->addRow(ist);
    row(fSteuer, QStringLiteral("&Kosten §13b (1) UStG"), m_kosten13b);
    row(fSteuer, QStringLiteral("Kapitalkon&to:"), m_kapital);
    row(fSteuer, QStringLiteral("&Jahresergebnis (Bilanz):"), m_bilanzErgebnis);

    // Buchungskontrolle
    m_belegnr = field(QStringLiteral("Belegnr"), QStringLiteral("nächste freie Nummer"),
                      "[0-9]{0,6}", &YearSettings::belegnr);
    m_eBuchVon = field(QStringLiteral("EBuchVon"), QStringLiteral("meist der 1.1. des Jahres"),
                       nullptr, &YearSettings::buchVon);
    m_eBuchBis = field(QStringLiteral("EBuchBis"), QStringLiteral("meist der 31.12. des Jahres"),
                       nullptr, &YearSettings::buchBis);
    auto *gKontrolle = group(QStringLiteral("gbKontrolle"), QStringLiteral("Buchungskontrolle"));
    auto *fKontrolle = new QFormLayout(gKontrolle);
    row(fKontrolle, QStringLiteral("&Aktuelle Belegnummer:"), m_belegnr);
    row(fKontrolle, QStringLiteral("&Buchungszeitraum von"), m_eBuchVon);
    row(fKontrolle, QStringLiteral("bis"), m_eBuchBis);

    // Druckeinstellung
    m_lRand = new QSpinBox(this);
    m_lRand->setObjectName(QStringLiteral("LRand"));
    m_lRand->setRange(0, 30);
    m_fields.insert(m_lRand);
    connect(m_lRand, &QSpinBox::valueChanged, this,
            [this](int v) { m_core.books().settings.lRand = v; });
    m_zeilenfarbe =
        colorPanel(QStringLiteral("Zeilenfarbe"), QString(), &YearSettings::zeilenfarbe);
    auto *gDruck = group(QStringLiteral("gbDruck"), QStringLiteral("Druckeinstellung"));
    auto *fDruck = new QFormLayout(gDruck);
    row(fDruck, QStringLiteral("&Linker Rand: (mm)"), m_lRand);
    fDruck->addRow(new QLabel(QStringLiteral("Farbe Zeile")), m_zeilenfarbe);

    // Ansicht Kontensalden
    m_checkBox1 =
        check(QStringLiteral("CheckBox1"), QStringLiteral("&Falscher Saldo farbig"), QString());
    connect(m_checkBox1, &QCheckBox::toggled, this,
            [this](bool on) { m_core.books().settings.fSaldo = on; });
    m_panel4 = colorPanel(QStringLiteral("Panel4"), QStringLiteral("Farbe bei falschem Saldo"),
                          &YearSettings::fSaldo1);
    m_panel5 = colorPanel(QStringLiteral("Panel5"), QStringLiteral("Farbe, wenn Saldo angewählt"),
                          &YearSettings::fSaldo2);
    auto *gAnsicht = group(QStringLiteral("gbAnsicht"), QStringLiteral("Ansicht Kontensalden"));
    auto *vAnsicht = new QVBoxLayout(gAnsicht);
    vAnsicht->addWidget(m_checkBox1);
    vAnsicht->addWidget(m_panel4);
    vAnsicht->addWidget(m_panel5);

    // Automatische Konten
    m_skontoErh =
        field(QStringLiteral("SkontoErh"), QString(), "[0-9]{0,7}", &YearSettings::skontoErh);
    m_skontoGew =
        field(QStringLiteral("SkontoGew"), QString(), "[0-9]{0,7}", &YearSettings::skontoGew);
    m_bSKR03 = button(QStringLiteral("BSKR03"), QStringLiteral("SKR 03"));
    m_bSKR04 = button(QStringLiteral("BSKR04"), QStringLiteral("SKR 04"));
    m_gbSkonto = group(QStringLiteral("gbSkonto"), QStringLiteral("Automatische Konten"));
    auto *fSkonto = new QFormLayout(m_gbSkonto);
    row(fSkonto, QStringLiteral("&Erhaltenes Skonto"), m_skontoErh);
    row(fSkonto, QStringLiteral("&Gewährtes Skonto"), m_skontoGew);
    // The standard charts have a group of their own: an empty chart must be loadable with or
    // without the open-items module, whose group above is hidden without it.
    m_gbKontenrahmen =
        group(QStringLiteral("gbKontenrahmen"), QStringLiteral("Standardkontenrahmen"));
    auto *skr = new QHBoxLayout(m_gbKontenrahmen);
    skr->addWidget(m_bSKR03);
    skr->addWidget(m_bSKR04);

    // Firma: named on the VAT return
    m_firma = field(QStringLiteral("Firma"), QStringLiteral("Name der Firma für die Auswertungen"),
                    nullptr, &YearSettings::firma);
    m_firma->setMaxLength(60);
    m_steuernummer = field(QStringLiteral("Steuernummer"),
                           QStringLiteral("Steuernummer des Finanzamts, z. B. 12/345/67890"),
                           nullptr, &YearSettings::steuernummer);
    m_steuernummer->setMaxLength(20);
    auto *gFirma = group(QStringLiteral("gbFirma"), QStringLiteral("Firma"));
    auto *fFirma = new QFormLayout(gFirma);
    row(fFirma, QStringLiteral("Firmen&name:"), m_firma);
    row(fFirma, QStringLiteral("Steuern&ummer:"), m_steuernummer);

    // Listen einstellen
    m_bBWA = button(QStringLiteral("BBWA"), QStringLiteral("BWA"));
    m_bBilanz = button(QStringLiteral("BBilanz"), QStringLiteral("Bilanz"));
    auto *gListen = group(QStringLiteral("gbListen"), QStringLiteral("Listen einstellen"));
    auto *hListen = new QHBoxLayout(gListen);
    hListen->addWidget(m_bBWA);
    hListen->addWidget(m_bBilanz);

    // Year operations and the rest
    m_info = button(QStringLiteral("Info"), QStringLiteral("Info"));
    m_altBuch = button(QStringLiteral("AltBuch"), QStringLiteral("Alte Buchungsdaten"),
                       QStringLiteral("vergangene Buchungsjahre aufrufen"));
    m_delJahr = button(QStringLiteral("DelJahr"), QStringLiteral("Buchungsjahr löschen"));
    m_jWechsel = button(QStringLiteral("JWechsel"), QStringLiteral("Jahreswechsel"));
    m_kSaldouebertr =
        button(QStringLiteral("KSaldouebertr"), QStringLiteral("Kontensalden übertragen"));
    m_bExport = button(
        QStringLiteral("BExport"), QStringLiteral("Export GDPdU"),
        QStringLiteral("Buchungsdaten des aktuellen Buchungsjahres zur Übergabe an das Finanzamt "
                       "vorbereiten"));
    m_bDatev = button(QStringLiteral("BDatev"), QStringLiteral("Export DATEV"),
                      QStringLiteral("Buchungen als DATEV-Buchungsstapel an den Steuerberater "
                                     "übergeben"));
    m_cbOPDatum = check(QStringLiteral("CBOPDatum"), QStringLiteral("OP-Datum editieren"),
                        QStringLiteral("Zahlungsziel für OP setzen"));
    connect(m_cbOPDatum, &QCheckBox::toggled, this, [this](bool on) {
        m_core.window.cbOPDatum = on;
        emit opDatumToggled(on);
    });
    auto *years = new QVBoxLayout;
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_altBuch, m_delJahr, m_jWechsel, m_kSaldouebertr,
                                          m_bExport, m_bDatev, m_info, m_cbOPDatum})
        years->addWidget(w);
    years->addStretch(1);

    auto *grid = new QGridLayout(this);
    grid->addWidget(gSteuer, 0, 0);
    grid->addWidget(gKontrolle, 1, 0);
    grid->addWidget(m_gbSkonto, 2, 0);
    grid->addWidget(m_gbKontenrahmen, 3, 0);
    grid->addWidget(gFirma, 3, 1);
    grid->addWidget(gDruck, 0, 1);
    grid->addWidget(gAnsicht, 1, 1);
    grid->addWidget(gListen, 2, 1);
    grid->addLayout(years, 0, 2, 4, 1);
    grid->setRowStretch(4, 1);
    grid->setColumnStretch(3, 1);

    QWidget *order[] = {m_vorsteuer, m_kontoMwst,   m_mwstSatz,       m_cbIstSteuer, m_verstPruef,
                        m_kosten13b, m_kapital,     m_bilanzErgebnis, m_belegnr,     m_eBuchVon,
                        m_eBuchBis,  m_skontoErh,   m_skontoGew,      m_lRand,       m_checkBox1,
                        m_firma,     m_steuernummer};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { onFocusChanged(now); });

    Shell &fb = m_core;
    auto op = [this](QPushButton *b, std::function<void()> f) {
        connect(b, &QPushButton::clicked, this, [this, f = std::move(f)] { runOperation(f); });
    };
    op(m_bSKR03, [&fb] { fb.chart().loadSkr03(); });
    op(m_bSKR04, [&fb] { fb.chart().loadSkr04(); });
    op(m_jWechsel, [&fb] { runJahreswechsel(fb.books()); });
    op(m_kSaldouebertr, [&fb] { carryForwardSalden(fb.books()); });
    op(m_altBuch, [&fb] { toggleOldYear(fb.books()); });
    op(m_delJahr, [&fb] { deleteJahr(fb.books()); });
    op(m_verstPruef, [&fb] { switchVersteuerung(fb.books()); });
    connect(m_bExport, &QPushButton::clicked, this, &EinstellungPage::showGdpduExport);
    connect(m_bDatev, &QPushButton::clicked, this, &EinstellungPage::showDatevExport);
    connect(m_bBWA, &QPushButton::clicked, this, &EinstellungPage::editBWA);
    connect(m_bBilanz, &QPushButton::clicked, this, &EinstellungPage::editBilanz);
    loadSettings();
}

void EinstellungPage::runOperation(const std::function<void()> &operation) {
    runAction(m_core.ui(), operation);
    // Whether it ran to its end or stopped, show what the operation has left.
    syncControls();
    loadSettings();
    emit dataReloaded();
}

// Made on first use and kept, so that the folder typed last is still there next time.
void EinstellungPage::showGdpduExport() {
    if (!m_gdpduExport)
        m_gdpduExport = new GdpduExportDialog(m_core, window());
    m_gdpduExport->show();
    m_gdpduExport->raise();
    m_gdpduExport->activateWindow();
}

// Made on first use and kept, so that the file chosen last is still there next time; the
// numbers and the range come from the year open now.
void EinstellungPage::showDatevExport() {
    if (!m_datevExport)
        m_datevExport = new DatevExportDialog(m_core, window());
    else
        m_datevExport->loadFromBooks();
    m_datevExport->show();
    m_datevExport->raise();
    m_datevExport->activateWindow();
}

void EinstellungPage::editBWA() {
    SectionEditor editor(m_core.books().bwa, QStringLiteral("FBWA"),
                         QStringLiteral("BWA-Sektionen eingeben"), 33, m_core.ui(), this);
    editor.exec();
    emit dataReloaded();
}

void EinstellungPage::editBilanz() {
    SectionEditor editor(m_core.books().bilanz, QStringLiteral("FBilanz"),
                         QStringLiteral("Bilanz-Sektionen eingeben"), 34, m_core.ui(), this);
    editor.exec();
    emit dataReloaded();
}

EinstellungPage::~EinstellungPage() {
    // The fields die after this body; focus moving away from them is no leaving any more.
    disconnect(qApp, nullptr, this, nullptr);
}

QString EinstellungPage::fieldOf(QWidget *w) const {
    for (; w && w != this; w = w->parentWidget())
        if (m_fields.contains(w))
            return w->objectName();
    return QString();
}

void EinstellungPage::onFocusChanged(QWidget *now) {
    // Focus that goes to another window (a message, a dialog) does not leave the field.
    if (!m_trackFocus || !now || now->window() != window())
        return;
    const QString next = fieldOf(now);
    const QString prev = m_core.settingsFocus;
    if (prev == next)
        return;
    if (!prev.isEmpty()) {
        try {
            m_core.leaveSettingsField();
        } catch (const std::exception &) {
            // The exit check has put the focus back into its field and said why.
            return;
        }
        loadSettings(); // the check may have rewritten the field (a date in full form)
    }
    m_core.settingsFocus = next;
}

void EinstellungPage::colorDoubleClicked(int &color) {
    m_core.pickColor(color);
    loadSettings();
}

void EinstellungPage::loadSettings() {
    const YearSettings &s = m_core.books().settings;
    setIfIdle(m_vorsteuer, s.vorsteuer);
    setIfIdle(m_kontoMwst, s.kontoMwst);
    if (!m_mwstSatz->hasFocus() && mwstSatzDigits(m_mwstSatz->text()) != s.mwstSatz)
        m_mwstSatz->setText(s.mwstSatzDisplay());
    setIfIdle(m_kosten13b, s.kosten13b);
    setIfIdle(m_kapital, s.kapital);
    setIfIdle(m_bilanzErgebnis, s.bilanzErgebnis);
    setIfIdle(m_belegnr, s.belegnr);
    setIfIdle(m_eBuchVon, s.buchVon);
    setIfIdle(m_eBuchBis, s.buchBis);
    setIfIdle(m_skontoErh, s.skontoErh);
    setIfIdle(m_skontoGew, s.skontoGew);
    setIfIdle(m_firma, s.firma);
    setIfIdle(m_steuernummer, s.steuernummer);
    if (!m_lRand->hasFocus()) {
        QSignalBlocker block(m_lRand);
        m_lRand->setValue(s.lRand);
    }
    {
        QSignalBlocker b1(m_cbIstSteuer), b2(m_checkBox1), b3(m_cbOPDatum);
        m_cbIstSteuer->setChecked(s.istSteuer);
        m_checkBox1->setChecked(s.fSaldo);
        m_cbOPDatum->setChecked(m_core.window.cbOPDatum);
    }
    emit opDatumToggled(m_cbOPDatum->isChecked());
    paintPanel(m_zeilenfarbe, s.zeilenfarbe);
    paintPanel(m_panel4, s.fSaldo1);
    paintPanel(m_panel5, s.fSaldo2);
}

void EinstellungPage::syncControls() {
    const auto &c = m_core.controls;
    m_delJahr->setEnabled(c.delJahrEnabled);
    m_jWechsel->setEnabled(c.jWechselEnabled);
    m_kSaldouebertr->setEnabled(c.kSaldouebertrEnabled);
    m_bSKR03->setVisible(c.skrButtonsVisible);
    m_bSKR04->setVisible(c.skrButtonsVisible);
    m_gbKontenrahmen->setVisible(c.skrButtonsVisible);
    m_gbSkonto->setVisible(c.bopVisible);
    m_altBuch->setText(m_core.altBuchCaption);
}

} // namespace ledra
