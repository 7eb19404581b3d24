// ui/valuelisteditor.h — the editable two-column list of contour values (ui layer)
#pragma once

#include <QStyledItemDelegate>
#include <QTableWidget>

namespace velmora {

// A two-column key/value grid under a title row. Rows are numbered as the lists number them:
// data rows 1 to n, the title row being row 0, so rowCountWithTitle() is n + 1. Only the value
// column is edited in place, and every keystroke is committed to the row at once.
class ValueListEditor : public QTableWidget {
    Q_OBJECT
public:
    explicit ValueListEditor(QWidget *parent = nullptr);

    void setTitles(const QString &keyTitle, const QString &valueTitle);
    void setRows(const QStringList &keys, const QStringList &values);

    int rowCountWithTitle() const { return rowCount() + 1; }
    int dataRowCount() const { return rowCount(); }
    int currentDataRow() const { return currentRow() + 1; }
    void setCurrentDataRow(int row);
    QString keyText(int row) const;
    QString valueText(int row) const;
    // The value texts of rows 1 to n, in order.
    QStringList valueTexts() const;
    void setKeyText(int row, const QString &text);
    void setValueText(int row, const QString &text);
    void appendDataRow(const QString &key, const QString &value);
    void removeDataRow(int row);

signals:
    // Each character typed while the grid or its cell editor has the focus, before the grid
    // handles it: carriage return (13) for Enter, the character's code otherwise.
    void keyPressed(char &key);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    friend class ValueCellDelegate;
    bool emitTypedCharacter(const QKeyEvent *event);

    bool m_forwardingKey = false;
};

// Cell editor of the value column: commits each keystroke and reports typed characters first.
class ValueCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    explicit ValueCellDelegate(ValueListEditor *list);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
        const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    ValueListEditor *m_list;
};

} // namespace velmora
