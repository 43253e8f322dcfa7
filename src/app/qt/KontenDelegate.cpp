#include "KontenDelegate.h"

#include "EventBoundary.h"
#include "Panel.h"
#include "TableModel.h"
#include "accounts/KontenRules.h"
#include "app/Shell.h"
#include "store/Query.h"
#include "ui/Ui.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QRegularExpressionValidator>
namespace ledra {

namespace {
// Key and text of every row of a small look-up table, read beside the table object so that
// its cursor (and a grid over it) stays where it is.
QList<QPair<QVariant, QString>> choices(const Table &t, const QString &key, const QString &text) {
    QList<QPair<QVariant, QString>> list;
    if (!t.isActive())
        return list;
    Query q;
    q.setTable(QStringLiteral("T"), t.path());
    q.lines() << QStringLiteral("SELECT \"%1\", \"%2\" FROM T.\"%3\" ORDER BY \"%1\"")
                     .arg(key, text, t.innerName());
    try {
        q.forEach([&list](const QStringList &, const QVariantList &row) {
            list.append({row.value(0), row.value(1).toString()});
            return true;
        });
    } catch (const std::exception &) {
        // An unreadable list offers nothing; the account keeps what it has.
    }
    return list;
}

QString fieldOf(int column) {
    static const char *const fields[] = {"KtoNr", "Name",  "Art", "Mwst",  "Saldo",
                                         "Soll",  "Haben", "BWA", "Bilanz"};
    return QString::fromLatin1(fields[column]);
}

const char *const kInitial = "initialValue";
} // namespace

KontenDelegate::KontenDelegate(Shell &core, Ui &ui, TableModel *model, QObject *parent)
    : QStyledItemDelegate(parent), m_core(core), m_ui(ui), m_model(model) {
    connect(this, &QAbstractItemDelegate::closeEditor, this, &KontenDelegate::editorClosed);
}

QWidget *KontenDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &,
                                      const QModelIndex &index) const {
    const int column = index.column();
    if (column == Saldo)
        return nullptr;
    Table &t = m_core.books().kontenGrid;
    m_core.chart().selectedColumn = column;
    if (!m_model->moveCursorTo(index.row()))
        return nullptr;
    const bool wasEditing = t.isEditing();
    if (!runAction(m_ui, [&t] { t.edit(); }))
        return nullptr; // refused: the row stays as it was
    m_startedEdit = !wasEditing;
    m_written = false;

    auto *self = const_cast<KontenDelegate *>(this);
    // A pick from a list is written at once, as a look-up list in a grid does.
    auto commitOnPick = [self](QComboBox *box) {
        connect(box, &QComboBox::activated, self, [self, box] {
            emit self->commitData(box);
            emit self->closeEditor(box);
        });
    };
    auto picker = [parent, commitOnPick](const QList<QPair<QVariant, QString>> &items, bool empty) {
        auto *box = new QComboBox(parent);
        if (empty)
            box->addItem(QString(), QVariant());
        for (const auto &[key, text] : items)
            box->addItem(text, key);
        commitOnPick(box);
        return box;
    };
    switch (column) {
    case Art:
        return picker(choices(m_core.books().kontoArten, QStringLiteral("Autonummer"),
                              QStringLiteral("Kontenart")),
                      false);
    case BWA:
        return picker(
            choices(m_core.books().bwa, QStringLiteral("Reihenfolge"), QStringLiteral("Sektion")),
            true);
    case Bilanz:
        return picker(choices(m_core.books().bilanz, QStringLiteral("Reihenfolge"),
                              QStringLiteral("Sektion")),
                      true);
    case Mwst: {
        // The usual rates to pick, and any other number typed.
        auto *box = new QComboBox(parent);
        box->setEditable(true);
        box->setInsertPolicy(QComboBox::NoInsert);
        box->addItems(m_core.books().settings.mwstChoices);
        commitOnPick(box);
        return box;
    }
    default: {
        auto *e = new QLineEdit(parent);
        e->setFrame(false);
        if (column == KtoNr)
            e->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]{0,7}")), e));
        if (column == Name)
            e->setMaxLength(30);
        return e;
    }
    }
}

void KontenDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const {
    const Table &t = m_core.books().kontenGrid;
    if (!t.isActive())
        return;
    const int column = index.column();
    if (auto *box = qobject_cast<QComboBox *>(editor)) {
        if (box->isEditable()) {
            const QString text = index.data(Qt::EditRole).toString();
            box->setEditText(text);
            box->setProperty(kInitial, text);
        } else {
            const QVariant key = t.value(fieldOf(column));
            box->setCurrentIndex(std::max(0, box->findData(key)));
            box->setProperty(kInitial, key);
        }
    } else if (auto *e = qobject_cast<QLineEdit *>(editor)) {
        QString text = index.data(Qt::EditRole).toString();
        if (column == Soll || column == Haben)
            text = t.isNull(fieldOf(column)) ? QString()
                                             : t.asMoney(fieldOf(column)).toGerman(2, false);
        e->setText(text);
        e->setProperty(kInitial, text);
    }
}

void KontenDelegate::setModelData(QWidget *editor, QAbstractItemModel *,
                                  const QModelIndex &index) const {
    Table &t = m_core.books().kontenGrid;
    if (!t.isActive() || !t.isEditing())
        return;
    const int column = index.column();
    const QString field = fieldOf(column);
    const QVariant initial = editor->property(kInitial);
    KontenRules &chart = m_core.chart();
    QVariant value;
    if (auto *box = qobject_cast<QComboBox *>(editor))
        value = box->isEditable() ? QVariant(box->currentText()) : box->currentData();
    else if (auto *e = qobject_cast<QLineEdit *>(editor))
        value = e->text();
    // A cell left as it was is no change: the opening-balance rule would warn for nothing.
    if (value == initial || (value.isNull() && initial.isNull()))
        return;
    m_written = true;
    runAction(m_ui, [&] {
        switch (column) {
        case Art:
            t.setValue(field, value);
            chart.changeArt(value.toInt());
            break;
        case Soll:
            chart.setOpeningSoll(value.toString());
            break;
        case Haben:
            chart.setOpeningHaben(value.toString());
            break;
        default:
            t.setValue(field, value);
            break;
        }
    });
}

void KontenDelegate::editorClosed(QWidget *, QAbstractItemDelegate::EndEditHint hint) {
    Table &t = m_core.books().kontenGrid;
    if (hint == RevertModelCache && m_startedEdit && !m_written && t.isActive() && t.isEditing())
        runAction(m_ui, [&t] { t.cancel(); });
    m_startedEdit = false;
}

QColor KontenDelegate::balanceBackground(const QModelIndex &index, bool selected) const {
    if (index.column() != Saldo)
        return QColor();
    const QVariantList v = index.data(Qt::UserRole).toList();
    if (v.size() != 2 || v[0].isNull() || v[1].isNull())
        return QColor();
    const int colour =
        m_core.chart().balanceColour(v[0].toInt(), Money::fromUnits(v[1].toLongLong()), selected);
    return colour < 0 ? QColor() : colorFromRgbNumber(colour);
}

void KontenDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                           const QModelIndex &index) const {
    const QColor bg = balanceBackground(index, option.state & QStyle::State_Selected);
    if (!bg.isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    // The colour replaces the selection's, so that a wrong balance shows on the current row.
    painter->fillRect(option.rect, bg);
    QStyleOptionViewItem opt(option);
    opt.state &= ~QStyle::State_Selected;
    opt.palette.setColor(QPalette::Text, qGray(bg.rgb()) < 128 ? Qt::white : Qt::black);
    QStyledItemDelegate::paint(painter, opt, index);
}

} // namespace ledra
