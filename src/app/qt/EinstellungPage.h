#pragma once
// The page "Einstellung": the year settings as live fields over the settings object of the
// rules, the year operations' buttons and the check box for the payment-due field. Typing
// writes into the settings at once; leaving a field runs its exit check in the rules, which
// may put the focus back. The buttons run the year operations and the standard charts of the
// rules and open the section editors; afterwards the page and the grids show what they left.

#include <QSet>
#include <QWidget>
#include <functional>

class Shell;
class Panel;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

class EinstellungPage : public QWidget {
    Q_OBJECT
public:
    explicit EinstellungPage(Shell &core, QWidget *parent = nullptr);
    ~EinstellungPage() override;

    QLineEdit *Vorsteuer() const { return vorsteuer_; }
    QLineEdit *KontoMwst() const { return kontoMwst_; }
    QLineEdit *MwstSatz() const { return mwstSatz_; }
    QCheckBox *cbIstSteuer() const { return cbIstSteuer_; }
    QLineEdit *Kosten13b() const { return kosten13b_; }
    QLineEdit *Belegnr() const { return belegnr_; }
    QLineEdit *EBuchVon() const { return eBuchVon_; }
    QLineEdit *EBuchBis() const { return eBuchBis_; }
    QSpinBox *LRand() const { return lRand_; }
    Panel *Zeilenfarbe() const { return zeilenfarbe_; }
    QCheckBox *CheckBox1() const { return checkBox1_; }
    Panel *Panel4() const { return panel4_; }
    Panel *Panel5() const { return panel5_; }
    QGroupBox *gbSkonto() const { return gbSkonto_; }
    QLineEdit *SkontoErh() const { return skontoErh_; }
    QLineEdit *SkontoGew() const { return skontoGew_; }
    QCheckBox *CBOPDatum() const { return cbOPDatum_; }

    QPushButton *VerstPruef() const { return verstPruef_; }
    QPushButton *BSKR03() const { return bSKR03_; }
    QPushButton *BSKR04() const { return bSKR04_; }
    QPushButton *BBWA() const { return bBWA_; }
    QPushButton *BBilanz() const { return bBilanz_; }
    QPushButton *Info() const { return info_; }
    QPushButton *AltBuch() const { return altBuch_; }
    QPushButton *DelJahr() const { return delJahr_; }
    QPushButton *JWechsel() const { return jWechsel_; }
    QPushButton *KSaldouebertr() const { return kSaldouebertr_; }
    QPushButton *BExport() const { return bExport_; }

    // Shows the settings of the rules; a field that has the focus keeps what is typed in it.
    void loadSettings();
    // Enablement and visibility decided by the rules.
    void syncControls();
    // Off while the rules move the focus themselves (leaving the page runs the exit check
    // of the page's field on its own).
    void setTrackFocus(bool on) { trackFocus_ = on; }

    // Opens the modal section editor of the BWA lines resp. the balance-sheet lines.
    void editBWA();
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

    Shell &core_;
    bool trackFocus_ = true;
    QSet<QWidget *> fields_;
    QLineEdit *vorsteuer_ = nullptr, *kontoMwst_ = nullptr, *mwstSatz_ = nullptr,
              *kosten13b_ = nullptr, *belegnr_ = nullptr, *eBuchVon_ = nullptr,
              *eBuchBis_ = nullptr, *skontoErh_ = nullptr, *skontoGew_ = nullptr;
    QCheckBox *cbIstSteuer_ = nullptr, *checkBox1_ = nullptr, *cbOPDatum_ = nullptr;
    QSpinBox *lRand_ = nullptr;
    Panel *zeilenfarbe_ = nullptr, *panel4_ = nullptr, *panel5_ = nullptr;
    QGroupBox *gbSkonto_ = nullptr;
    QPushButton *verstPruef_ = nullptr, *bSKR03_ = nullptr, *bSKR04_ = nullptr, *bBWA_ = nullptr,
                *bBilanz_ = nullptr, *info_ = nullptr, *altBuch_ = nullptr, *delJahr_ = nullptr,
                *jWechsel_ = nullptr, *kSaldouebertr_ = nullptr, *bExport_ = nullptr;
};

// The digits of the VAT-rate field without the mask's literals: "19.0 %" gives "190".
QString mwstSatzDigits(const QString &text);
