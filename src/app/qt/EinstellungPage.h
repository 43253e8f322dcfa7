#pragma once
// The page "Einstellung": the year settings as live fields over the settings object of the
// rules, the year operations' buttons and the check box for the payment-due field. Typing
// writes into the settings at once; leaving a field runs its exit check in the rules, which
// may put the focus back. The buttons run the year operations and the standard charts of the
// rules and open the section editors; afterwards the page and the grids show what they left.

#include <QSet>
#include <QWidget>
#include <functional>
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace ledra {

class DatevExportDialog;
class GdpduExportDialog;
class Shell;
class Panel;

class EinstellungPage : public QWidget {
    Q_OBJECT
public:
    explicit EinstellungPage(Shell &core, QWidget *parent = nullptr);
    ~EinstellungPage() override;

    QLineEdit *Vorsteuer() const { return m_vorsteuer; }
    QLineEdit *KontoMwst() const { return m_kontoMwst; }
    QLineEdit *MwstSatz() const { return m_mwstSatz; }
    QCheckBox *cbIstSteuer() const { return m_cbIstSteuer; }
    QLineEdit *Kosten13b() const { return m_kosten13b; }
    QLineEdit *Belegnr() const { return m_belegnr; }
    QLineEdit *EBuchVon() const { return m_eBuchVon; }
    QLineEdit *EBuchBis() const { return m_eBuchBis; }
    QSpinBox *LRand() const { return m_lRand; }
    Panel *Zeilenfarbe() const { return m_zeilenfarbe; }
    QCheckBox *CheckBox1() const { return m_checkBox1; }
    Panel *Panel4() const { return m_panel4; }
    Panel *Panel5() const { return m_panel5; }
    QGroupBox *gbSkonto() const { return m_gbSkonto; }
    QGroupBox *gbKontenrahmen() const { return m_gbKontenrahmen; }
    QLineEdit *SkontoErh() const { return m_skontoErh; }
    QLineEdit *SkontoGew() const { return m_skontoGew; }
    QCheckBox *CBOPDatum() const { return m_cbOPDatum; }
    QLineEdit *Firma() const { return m_firma; }
    QLineEdit *Steuernummer() const { return m_steuernummer; }

    QPushButton *VerstPruef() const { return m_verstPruef; }
    QPushButton *BSKR03() const { return m_bSKR03; }
    QPushButton *BSKR04() const { return m_bSKR04; }
    QPushButton *BBWA() const { return m_bBWA; }
    QPushButton *BBilanz() const { return m_bBilanz; }
    QPushButton *Info() const { return m_info; }
    QPushButton *AltBuch() const { return m_altBuch; }
    QPushButton *DelJahr() const { return m_delJahr; }
    QPushButton *JWechsel() const { return m_jWechsel; }
    QPushButton *KSaldouebertr() const { return m_kSaldouebertr; }
    QPushButton *BExport() const { return m_bExport; }

    // Shows the settings of the rules; a field that has the focus keeps what is typed in it.
    void loadSettings();
    // Enablement and visibility decided by the rules.
    void syncControls();
    // Off while the rules move the focus themselves (leaving the page runs the exit check
    // of the page's field on its own).
    void setTrackFocus(bool on) { m_trackFocus = on; }

    // Opens the modal section editor of the BWA lines resp. the balance-sheet lines.
    void editBWA();
    // The button "Export GDPdU": the export dialog, without blocking the window.
    void showGdpduExport();
    GdpduExportDialog *gdpduExportDialog() const { return m_gdpduExport; }
    void showDatevExport();
    DatevExportDialog *datevExportDialog() const { return m_datevExport; }
    QPushButton *BDatev() const { return m_bDatev; }
    void editBilanz();

signals:
    void opDatumToggled(bool checked);
    // An operation of the page changed tables behind the grids.
    void dataReloaded();

private:
    void runOperation(const std::function<void()> &operation);
    void onFocusChanged(QWidget *now);
    QString fieldOf(QWidget *w) const;
    void colorDoubleClicked(int &color);

    Shell &m_core;
    GdpduExportDialog *m_gdpduExport = nullptr;
    DatevExportDialog *m_datevExport = nullptr;
    QPushButton *m_bDatev = nullptr;
    bool m_trackFocus = true;
    QSet<QWidget *> m_fields;
    QLineEdit *m_vorsteuer = nullptr, *m_kontoMwst = nullptr, *m_mwstSatz = nullptr,
              *m_kosten13b = nullptr, *m_kapital = nullptr, *m_bilanzErgebnis = nullptr,
              *m_belegnr = nullptr, *m_eBuchVon = nullptr, *m_eBuchBis = nullptr,
              *m_skontoErh = nullptr, *m_skontoGew = nullptr, *m_firma = nullptr,
              *m_steuernummer = nullptr;
    QCheckBox *m_cbIstSteuer = nullptr, *m_checkBox1 = nullptr, *m_cbOPDatum = nullptr;
    QSpinBox *m_lRand = nullptr;
    Panel *m_zeilenfarbe = nullptr, *m_panel4 = nullptr, *m_panel5 = nullptr;
    QGroupBox *m_gbSkonto = nullptr, *m_gbKontenrahmen = nullptr;
    QPushButton *m_verstPruef = nullptr, *m_bSKR03 = nullptr, *m_bSKR04 = nullptr,
                *m_bBWA = nullptr, *m_bBilanz = nullptr, *m_info = nullptr, *m_altBuch = nullptr,
                *m_delJahr = nullptr, *m_jWechsel = nullptr, *m_kSaldouebertr = nullptr,
                *m_bExport = nullptr;
};

// The digits of the VAT-rate field without the mask's literals: "19,0 %" gives "190".
QString mwstSatzDigits(const QString &text);

} // namespace ledra
