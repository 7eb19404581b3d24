// ui/valuelisteditor.cpp — the editable list of contour values (ui layer)
#include "ui/valuelisteditor.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>

namespace velmora {

ValueListEditor::ValueListEditor(QWidget *parent)
    : QTableWidget(parent)
{
    setColumnCount(2);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(18);
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setSectionsClickable(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
        | QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked);
    setItemDelegateForColumn(1, new ValueCellDelegate(this));
    setTabKeyNavigation(false);
}

void ValueListEditor::setTitles(const QString &keyTitle, const QString &valueTitle)
{
    setHorizontalHeaderLabels({ keyTitle, valueTitle });
}

void ValueListEditor::setRows(const QStringList &keys, const QStringList &values)
{
    setRowCount(0);
    for (qsizetype i = 0; i < keys.size(); ++i)
        appendDataRow(keys[i], values.value(i));
    setCurrentDataRow(1);
}

void ValueListEditor::setCurrentDataRow(int row)
{
    setCurrentCell(row - 1, 1);
}

QString ValueListEditor::keyText(int row) const
{
    const QTableWidgetItem *cell = item(row - 1, 0);
    return cell ? cell->text() : QString();
}

QString ValueListEditor::valueText(int row) const
{
    const QTableWidgetItem *cell = item(row - 1, 1);
    return cell ? cell->text() : QString();
}

QStringList ValueListEditor::valueTexts() const
{
    QStringList texts;
    for (int row = 1; row <= dataRowCount(); ++row)
        texts << valueText(row);
    return texts;
}

void ValueListEditor::setKeyText(int row, const QString &text)
{
    auto *cell = new QTableWidgetItem(text);
    cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable); // keys are never edited
    setItem(row - 1, 0, cell);
}

void ValueListEditor::setValueText(int row, const QString &text)
{
    setItem(row - 1, 1, new QTableWidgetItem(text));
}

void ValueListEditor::appendDataRow(const QString &key, const QString &value)
{
    const int row = rowCount() + 1;
    insertRow(rowCount());
    setKeyText(row, key);
    setValueText(row, value);
}

void ValueListEditor::removeDataRow(int row)
{
    removeRow(row - 1);
}

bool ValueListEditor::emitTypedCharacter(const QKeyEvent *event)
{
    char key = 0;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        key = '\r';
    } else {
        const QString text = event->text();
        if (text.isEmpty() || !text.front().isPrint())
            return false;
        const QByteArray latin = text.left(1).toLatin1();
        key = latin.isEmpty() ? '?' : latin.front();
    }
    emit keyPressed(key);
    return true;
}

void ValueListEditor::keyPressEvent(QKeyEvent *event)
{
    emitTypedCharacter(event);
    // A key that opens the cell editor is handed on to it: it is reported already.
    m_forwardingKey = true;
    QTableWidget::keyPressEvent(event);
    m_forwardingKey = false;
}

ValueCellDelegate::ValueCellDelegate(ValueListEditor *list)
    : QStyledItemDelegate(list)
    , m_list(list)
{
}

QWidget *ValueCellDelegate::createEditor(
    QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        line->setObjectName("CellEditor");
        line->setFrame(false);
        // Committed at each keystroke: the row's text is always what the cell shows.
        connect(line, &QLineEdit::textEdited, this,
            [this, line] { emit const_cast<ValueCellDelegate *>(this)->commitData(line); });
    }
    return editor;
}

bool ValueCellDelegate::eventFilter(QObject *object, QEvent *event)
{
    // Runs before the editor handles the key. Enter is left alone here: the cell editor lets it
    // through to the grid, whose own key press reports it, once.
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (!m_list->m_forwardingKey && key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
            m_list->emitTypedCharacter(key);
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

} // namespace velmora
