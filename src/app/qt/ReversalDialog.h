#pragma once
// The reversal dialog "Buchungssatz reverseBooking" on Qt widgets: a non-modal window over the
// journal of the open year that shows the state of the rules' StornoRules and forwards its
// events there. Showing and hiding the window is what switches the journal's order, so the
// rules learn of both from the show and hide events, whoever caused them.

#include <QDialog>
#include <functional>
class QPushButton;
class QTableView;

namespace ledra {

class Shell;
class StornoRules;
class TableModel;

class ReversalDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReversalDialog(Shell &core, QWidget *parent = nullptr);
    ~ReversalDialog() override;

    QTableView *gridView() const { return m_grid; }
    TableModel *gridModel() const { return m_model; }
    QPushButton *bbOK() const { return m_ok; }
    QPushButton *bbCancel() const { return m_cancel; }

    // Shows the window, or brings it to the front when it is shown already.
    void open() override;
    // Opens the help viewer at a help context.
    std::function<void(int)> helpHandler;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Runs a reversal of the rules; the window then shows what the rules decided.
    void reverse(bool (StornoRules::*handler)());
    void wheel(int delta);
    void orderChanged();
    StornoRules &rules() const;

    Shell &m_core;
    QTableView *m_grid = nullptr;
    TableModel *m_model = nullptr;
    QPushButton *m_ok = nullptr, *m_cancel = nullptr;
    // The close hook of the entry as the rules set it, kept to be put back.
    std::function<void()> m_rulesClose;
    // While a reversal runs, the batch's insert closes the dialog in the rules only; the
    // window stays where it is until the rules say whether it remains open.
    bool m_reversing = false;
    int m_wheelRest = 0;
};

} // namespace ledra
