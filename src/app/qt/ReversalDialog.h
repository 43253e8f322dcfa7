#pragma once
// The reversal dialog "Buchungssatz reverseBooking" on Qt widgets: a non-modal window over the
// journal of the open year that shows the state of the rules' StornoRules and forwards its
// events there. Showing and hiding the window is what switches the journal's order, so the
// rules learn of both from the show and hide events, whoever caused them.

#include <QDialog>
#include <functional>

class Shell;
class StornoRules;
class TableModel;
class QPushButton;
class QTableView;

class ReversalDialog : public QDialog {
    Q_OBJECT
public:
    explicit ReversalDialog(Shell &core, QWidget *parent = nullptr);
    ~ReversalDialog() override;

    QTableView *gridView() const { return grid_; }
    TableModel *gridModel() const { return model_; }
    QPushButton *bbOK() const { return ok_; }
    QPushButton *bbCancel() const { return cancel_; }

    // Shows the window, or brings it to the front when it is shown already.
    void open();
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

    Shell &core_;
    QTableView *grid_ = nullptr;
    TableModel *model_ = nullptr;
    QPushButton *ok_ = nullptr, *cancel_ = nullptr;
    // The close hook of the entry as the rules set it, kept to be put back.
    std::function<void()> rulesClose_;
    // While a reversal runs, the batch's insert closes the dialog in the rules only; the
    // window stays where it is until the rules say whether it remains open.
    bool reversing_ = false;
    int wheelRest_ = 0;
};
