#include "EinstellungPage.h"

#include "EventBoundary.h"
#include "Panel.h"
#include "SectionEditor.h"
#include "accounts/Jahreswechsel.h"
#include "accounts/Versteuerung.h"
#include "accounts/KontenRules.h"
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

EinstellungPage::EinstellungPage(Shell &core, QWidget *parent)
    : QWidget(parent), core_(core) {
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
                    [this, member](const QString &t) { core_.books().settings.*member = t; });
        fields_.insert(e);
        return e;
    };
    auto check = [this](const QString &name, const QString &text, const QString &hint) {
        auto *c = new QCheckBox(text, this);
        c->setObjectName(name);
        c->setToolTip(hint);
        fields_.insert(c);
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
                [this, member] { colorDoubleClicked(core_.books().settings.*member); });
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
    vorsteuer_ =
        field(QStringLiteral("Vorsteuer"), QString(), "[0-9]{0,6}", &YearSettings::vorsteuer);
    kontoMwst_ =
        field(QStringLiteral("KontoMwst"), QString(), "[0-9]{0,6}", &YearSettings::kontoMwst);
    mwstSatz_ = field(QStringLiteral("MwstSatz"), QString(), nullptr, nullptr);
    mwstSatz_->setInputMask(QStringLiteral("09.0 %"));
    // The rate goes through the rules, which also move the accounts grid's third choice.
    connect(mwstSatz_, &QLineEdit::textEdited, this,
            [this](const QString &t) { core_.setMwstSatz(mwstSatzDigits(t)); });
    cbIstSteuer_ = check(QStringLiteral("cbIstSteuer"), QStringLiteral("Ist-Versteuerung"),
                         QStringLiteral("Mwst wird erst bei Zahlungseingang fällig"));
    // The due-tax columns of the batch grid come and go with the check mark at once.
    connect(cbIstSteuer_, &QCheckBox::toggled, this, [this](bool on) {
        core_.books().settings.istSteuer = on;
        core_.books().notify(BooksEvent::CashBasisChanged);
    });
    verstPruef_ = button(QStringLiteral("VerstPruef"), QStringLiteral("Prüfen"),
                         QStringLiteral("Aktuelles Jahr auf gewählte Versteuerung umstellen"));
    kosten13b_ = field(QStringLiteral("Kosten13b"),
                       QStringLiteral("für die automatische Berechnung der Steuer"), nullptr,
                       &YearSettings::kosten13b);
    auto *gSteuer = group(QStringLiteral("gbSteuer"), QStringLiteral("Steuerbuchung"));
    auto *fSteuer = new QFormLayout(gSteuer);
    row(fSteuer, QStringLiteral("&Vorsteuerkonto:"), vorsteuer_);
    row(fSteuer, QStringLiteral("&MwSt-Konto:"), kontoMwst_);
    row(fSteuer, QStringLiteral("V&oller Mwst-&Satz:"), mwstSatz_);
    auto *ist = new QHBoxLayout;
    ist->addWidget(cbIstSteuer_);
    ist->addWidget(verstPruef_);
    fSteuer->addRow(ist);
    row(fSteuer, QStringLiteral("&Kosten §13b (1) UStG"), kosten13b_);

    // Buchungskontrolle
    belegnr_ = field(QStringLiteral("Belegnr"), QStringLiteral("nächste freie Nummer"),
                     "[0-9]{0,6}", &YearSettings::belegnr);
    eBuchVon_ = field(QStringLiteral("EBuchVon"), QStringLiteral("meist der 1.1. des Jahres"),
                      nullptr, &YearSettings::buchVon);
    eBuchBis_ = field(QStringLiteral("EBuchBis"), QStringLiteral("meist der 31.12. des Jahres"),
                      nullptr, &YearSettings::buchBis);
    auto *gKontrolle = group(QStringLiteral("gbKontrolle"), QStringLiteral("Buchungskontrolle"));
    auto *fKontrolle = new QFormLayout(gKontrolle);
    row(fKontrolle, QStringLiteral("&Aktuelle Belegnummer:"), belegnr_);
    row(fKontrolle, QStringLiteral("&Buchungszeitraum von"), eBuchVon_);
    row(fKontrolle, QStringLiteral("bis"), eBuchBis_);

    // Druckeinstellung
    lRand_ = new QSpinBox(this);
    lRand_->setObjectName(QStringLiteral("LRand"));
    lRand_->setRange(0, 30);
    fields_.insert(lRand_);
    connect(lRand_, &QSpinBox::valueChanged, this, [this](int v) { core_.books().settings.lRand = v; });
    zeilenfarbe_ = colorPanel(QStringLiteral("Zeilenfarbe"), QString(), &YearSettings::zeilenfarbe);
    auto *gDruck = group(QStringLiteral("gbDruck"), QStringLiteral("Druckeinstellung"));
    auto *fDruck = new QFormLayout(gDruck);
    row(fDruck, QStringLiteral("&Linker Rand: (mm)"), lRand_);
    fDruck->addRow(new QLabel(QStringLiteral("Farbe Zeile")), zeilenfarbe_);

    // Ansicht Kontensalden
    checkBox1_ =
        check(QStringLiteral("CheckBox1"), QStringLiteral("&Falscher Saldo farbig"), QString());
    connect(checkBox1_, &QCheckBox::toggled, this, [this](bool on) { core_.books().settings.fSaldo = on; });
    panel4_ = colorPanel(QStringLiteral("Panel4"), QStringLiteral("Farbe bei falschem Saldo"),
                         &YearSettings::fSaldo1);
    panel5_ = colorPanel(QStringLiteral("Panel5"), QStringLiteral("Farbe, wenn Saldo angewählt"),
                         &YearSettings::fSaldo2);
    auto *gAnsicht = group(QStringLiteral("gbAnsicht"), QStringLiteral("Ansicht Kontensalden"));
    auto *vAnsicht = new QVBoxLayout(gAnsicht);
    vAnsicht->addWidget(checkBox1_);
    vAnsicht->addWidget(panel4_);
    vAnsicht->addWidget(panel5_);

    // Automatische Konten
    skontoErh_ =
        field(QStringLiteral("SkontoErh"), QString(), "[0-9]{0,7}", &YearSettings::skontoErh);
    skontoGew_ =
        field(QStringLiteral("SkontoGew"), QString(), "[0-9]{0,7}", &YearSettings::skontoGew);
    bSKR03_ = button(QStringLiteral("BSKR03"), QStringLiteral("SKR 03"));
    bSKR04_ = button(QStringLiteral("BSKR04"), QStringLiteral("SKR 04"));
    gbSkonto_ = group(QStringLiteral("gbSkonto"), QStringLiteral("Automatische Konten"));
    auto *fSkonto = new QFormLayout(gbSkonto_);
    row(fSkonto, QStringLiteral("&Erhaltenes Skonto"), skontoErh_);
    row(fSkonto, QStringLiteral("&Gewährtes Skonto"), skontoGew_);
    auto *skr = new QHBoxLayout;
    skr->addWidget(bSKR03_);
    skr->addWidget(bSKR04_);
    fSkonto->addRow(skr);

    // Listen einstellen
    bBWA_ = button(QStringLiteral("BBWA"), QStringLiteral("BWA"));
    bBilanz_ = button(QStringLiteral("BBilanz"), QStringLiteral("Bilanz"));
    auto *gListen = group(QStringLiteral("gbListen"), QStringLiteral("Listen einstellen"));
    auto *hListen = new QHBoxLayout(gListen);
    hListen->addWidget(bBWA_);
    hListen->addWidget(bBilanz_);

    // Year operations and the rest
    info_ = button(QStringLiteral("Info"), QStringLiteral("Info"));
    altBuch_ = button(QStringLiteral("AltBuch"), QStringLiteral("Alte Buchungsdaten"),
                      QStringLiteral("vergangene Buchungsjahre aufrufen"));
    delJahr_ = button(QStringLiteral("DelJahr"), QStringLiteral("Buchungsjahr löschen"));
    jWechsel_ = button(QStringLiteral("JWechsel"), QStringLiteral("Jahreswechsel"));
    kSaldouebertr_ =
        button(QStringLiteral("KSaldouebertr"), QStringLiteral("Kontensalden übertragen"));
    bExport_ = button(
        QStringLiteral("BExport"), QStringLiteral("Export GDPdU"),
        QStringLiteral("Buchungsdaten des aktuellen Buchungsjahres zur Übergabe an das Finanzamt "
                       "vorbereiten"));
    cbOPDatum_ = check(QStringLiteral("CBOPDatum"), QStringLiteral("OP-Datum editieren"),
                       QStringLiteral("Zahlungsziel für OP setzen"));
    connect(cbOPDatum_, &QCheckBox::toggled, this, [this](bool on) {
        core_.window.cbOPDatum = on;
        emit opDatumToggled(on);
    });
    auto *years = new QVBoxLayout;
    for (QWidget *w : std::initializer_list<QWidget *>{altBuch_, delJahr_, jWechsel_,
                                                       kSaldouebertr_, bExport_, info_, cbOPDatum_})
        years->addWidget(w);
    years->addStretch(1);

    auto *grid = new QGridLayout(this);
    grid->addWidget(gSteuer, 0, 0);
    grid->addWidget(gKontrolle, 1, 0);
    grid->addWidget(gbSkonto_, 2, 0);
    grid->addWidget(gDruck, 0, 1);
    grid->addWidget(gAnsicht, 1, 1);
    grid->addWidget(gListen, 2, 1);
    grid->addLayout(years, 0, 2, 3, 1);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(3, 1);

    QWidget *order[] = {vorsteuer_, kontoMwst_, mwstSatz_, cbIstSteuer_, verstPruef_,
                        kosten13b_, belegnr_,   eBuchVon_, eBuchBis_,    skontoErh_,
                        skontoGew_, lRand_,     checkBox1_};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { onFocusChanged(now); });

    Shell &fb = core_;
    auto op = [this](QPushButton *b, std::function<void()> f) {
        connect(b, &QPushButton::clicked, this, [this, f = std::move(f)] { runOperation(f); });
    };
    op(bSKR03_, [&fb] { fb.chart().loadSkr03(); });
    op(bSKR04_, [&fb] { fb.chart().loadSkr04(); });
    op(jWechsel_, [&fb] { runJahreswechsel(fb.books()); });
    op(kSaldouebertr_, [&fb] { carryForwardSalden(fb.books()); });
    op(altBuch_, [&fb] { toggleOldYear(fb.books()); });
    op(delJahr_, [&fb] { deleteJahr(fb.books()); });
    op(verstPruef_, [&fb] { switchVersteuerung(fb.books()); });
    connect(bBWA_, &QPushButton::clicked, this, &EinstellungPage::editBWA);
    connect(bBilanz_, &QPushButton::clicked, this, &EinstellungPage::editBilanz);
    loadSettings();
}

void EinstellungPage::runOperation(const std::function<void()> &operation) {
    runAction(core_.ui(), operation);
    // Whether it ran to its end or stopped, show what the operation has left.
    syncControls();
    loadSettings();
    emit dataReloaded();
}

void EinstellungPage::editBWA() {
    SectionEditor editor(core_.books().bwa, QStringLiteral("FBWA"),
                         QStringLiteral("BWA-Sektionen eingeben"), 33, core_.ui(), this);
    editor.exec();
    emit dataReloaded();
}

void EinstellungPage::editBilanz() {
    SectionEditor editor(core_.books().bilanz, QStringLiteral("FBilanz"),
                         QStringLiteral("Bilanz-Sektionen eingeben"), 34, core_.ui(), this);
    editor.exec();
    emit dataReloaded();
}

EinstellungPage::~EinstellungPage() {
    // The fields die after this body; focus moving away from them is no leaving any more.
    disconnect(qApp, nullptr, this, nullptr);
}

QString EinstellungPage::fieldOf(QWidget *w) const {
    for (; w && w != this; w = w->parentWidget())
        if (fields_.contains(w))
            return w->objectName();
    return QString();
}

void EinstellungPage::onFocusChanged(QWidget *now) {
    // Focus that goes to another window (a message, a dialog) does not leave the field.
    if (!trackFocus_ || !now || now->window() != window())
        return;
    const QString next = fieldOf(now);
    const QString prev = core_.settingsFocus;
    if (prev == next)
        return;
    if (!prev.isEmpty()) {
        try {
            core_.leaveSettingsField();
        } catch (const std::exception &) {
            // The exit check has put the focus back into its field and said why.
            return;
        }
        loadSettings(); // the check may have rewritten the field (a date in full form)
    }
    core_.settingsFocus = next;
}

void EinstellungPage::colorDoubleClicked(int &color) {
    core_.pickColor(color);
    loadSettings();
}

void EinstellungPage::loadSettings() {
    const YearSettings &s = core_.books().settings;
    setIfIdle(vorsteuer_, s.vorsteuer);
    setIfIdle(kontoMwst_, s.kontoMwst);
    if (!mwstSatz_->hasFocus() && mwstSatzDigits(mwstSatz_->text()) != s.mwstSatz)
        mwstSatz_->setText(s.mwstSatzDisplay());
    setIfIdle(kosten13b_, s.kosten13b);
    setIfIdle(belegnr_, s.belegnr);
    setIfIdle(eBuchVon_, s.buchVon);
    setIfIdle(eBuchBis_, s.buchBis);
    setIfIdle(skontoErh_, s.skontoErh);
    setIfIdle(skontoGew_, s.skontoGew);
    if (!lRand_->hasFocus()) {
        QSignalBlocker block(lRand_);
        lRand_->setValue(s.lRand);
    }
    {
        QSignalBlocker b1(cbIstSteuer_), b2(checkBox1_), b3(cbOPDatum_);
        cbIstSteuer_->setChecked(s.istSteuer);
        checkBox1_->setChecked(s.fSaldo);
        cbOPDatum_->setChecked(core_.window.cbOPDatum);
    }
    emit opDatumToggled(cbOPDatum_->isChecked());
    paintPanel(zeilenfarbe_, s.zeilenfarbe);
    paintPanel(panel4_, s.fSaldo1);
    paintPanel(panel5_, s.fSaldo2);
}

void EinstellungPage::syncControls() {
    const auto &c = core_.controls;
    delJahr_->setEnabled(c.delJahrEnabled);
    jWechsel_->setEnabled(c.jWechselEnabled);
    kSaldouebertr_->setEnabled(c.kSaldouebertrEnabled);
    bSKR03_->setVisible(c.skrButtonsVisible);
    bSKR04_->setVisible(c.skrButtonsVisible);
    gbSkonto_->setVisible(c.bopVisible);
    altBuch_->setText(core_.altBuchCaption);
}
