// ui/marginswindow.cpp — the margins window (ui layer)
#include "ui/marginswindow.h"

#include "core/loopreport.h"
#include "core/numbertext.h"
#include "render/qtcolor.h"
#include "ui/chartdocument.h"

#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace velmora {

namespace {

constexpr int MaxColumnWidth = 260; // pixels: a long list of crossovers is elided beyond it

} // namespace

MarginsWindow::MarginsWindow(const ChartDocument &document, QWidget *parent)
    : QDialog(parent)
    , m_document(document)
    , m_table(new QTableWidget(this))
    , m_empty(new QLabel(QStringLiteral("Aucune boucle : ajoutez-en par Boucle > Fonctions de "
                                        "transfert..."),
          this))
{
    setObjectName("marges");
    setWindowTitle(QStringLiteral("Marges"));
    m_table->setObjectName("TableMarges");
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideRight);
    // Sizes set here, not measured from the contents at each change: a gain being dragged
    // updates the figures many times a second.
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_empty);
    layout->addWidget(m_table, 1);
    move(619, 700);
    resize(620, 300);
    connect(&document, &ChartDocument::loopsChanged, this, &MarginsWindow::showMargins);
    connect(&document, &ChartDocument::chartChanged, this, &MarginsWindow::showMargins);
    connect(&document, &ChartDocument::replaced, this, &MarginsWindow::showMargins);
    showMargins();
}

void MarginsWindow::showMargins()
{
    const std::vector<LoopSpec> &loops = m_document.loops();
    m_empty->setVisible(loops.empty());
    m_table->setVisible(!loops.empty());
    const int columns = static_cast<int>(loops.size());
    const bool reshaped = m_table->columnCount() != columns;
    m_table->setColumnCount(columns);
    bool wider = false;
    const auto show = [&](int row, int column, const QString &text) {
        QTableWidgetItem *item = m_table->item(row, column);
        if (!item) {
            item = new QTableWidgetItem;
            m_table->setItem(row, column, item);
        }
        if (item->text() == text)
            return item;
        item->setText(text);
        item->setToolTip(text);
        wider = wider
            || (m_table->columnWidth(column) < MaxColumnWidth
                && m_table->fontMetrics().horizontalAdvance(text) + 12
                    > m_table->columnWidth(column));
        return item;
    };
    QStringList names { QStringLiteral("boucle"), QStringLiteral("gain ajouté") };
    for (std::size_t i = 0; i < loops.size(); ++i) {
        const int column = static_cast<int>(i);
        const std::shared_ptr<const LoopResponse> response = m_document.response(i);
        const auto rows = ReportRows({ loops[i].expression, m_document.analysis(i)->quantities,
            response->step ? std::optional<StepFigures>(response->step->figures) : std::nullopt,
            loops[i].isMeasured() });
        if (i == 0) {
            m_table->setRowCount(static_cast<int>(rows.size()) + 2);
            for (const auto &row : rows)
                names << QString::fromStdString(row.first);
        }
        QTableWidgetItem *title = show(0, column, QString::fromStdString(loops[i].displayName()));
        title->setForeground(QColor(ToRgb(loops[i].color)));
        title->setToolTip(
            QString::fromStdString(loops[i].isMeasured() ? loops[i].csvPath : loops[i].expression));
        show(1, column, QString::fromStdString(FigureText(loops[i].gainDb)) + " dB");
        for (std::size_t r = 0; r < rows.size(); ++r)
            show(static_cast<int>(r) + 2, column, QString::fromStdString(rows[r].second));
    }
    if (reshaped) {
        m_table->setVerticalHeaderLabels(names);
        QStringList loopTitles;
        for (int i = 1; i <= columns; ++i)
            loopTitles << QStringLiteral("Boucle %1").arg(i);
        m_table->setHorizontalHeaderLabels(loopTitles);
    }
    if (reshaped || wider)
        fitTable();
}

void MarginsWindow::fitTable()
{
    if (m_table->columnCount() == 0)
        return;
    // Wide enough for every figure but long lists, which are elided (the cell's tooltip holds the
    // whole list), within the screen; never narrower than the user made it.
    m_table->resizeColumnsToContents();
    for (int column = 0; column < m_table->columnCount(); ++column)
        m_table->setColumnWidth(column, std::min(m_table->columnWidth(column), MaxColumnWidth));
    int width = m_table->verticalHeader()->sizeHint().width() + 2 * m_table->frameWidth();
    for (int column = 0; column < m_table->columnCount(); ++column)
        width += m_table->columnWidth(column);
    int height = m_table->horizontalHeader()->sizeHint().height() + 2 * m_table->frameWidth();
    for (int row = 0; row < m_table->rowCount(); ++row)
        height += m_table->rowHeight(row);
    const QMargins margins = layout()->contentsMargins();
    QSize wanted(width + margins.left() + margins.right() + 4,
        height + margins.top() + margins.bottom() + 4);
    const QScreen *screen = this->screen();
    if (screen)
        wanted = wanted.boundedTo(screen->availableGeometry().size());
    resize(wanted.expandedTo(QSize(this->width(), 0)));
    // Kept on the screen: a wider table moves the window left.
    if (screen) {
        const QRect available = screen->availableGeometry();
        if (frameGeometry().right() > available.right())
            move(std::max(available.left(), available.right() - frameGeometry().width()), y());
    }
}

} // namespace velmora
