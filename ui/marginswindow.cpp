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

namespace velmora {

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
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_table->setWordWrap(false);
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
    const std::vector<DocumentLoop> &loops = m_document.loops();
    m_empty->setVisible(loops.empty());
    m_table->setVisible(!loops.empty());
    m_table->setColumnCount(static_cast<int>(loops.size()));
    QStringList loopTitles;
    for (std::size_t i = 0; i < loops.size(); ++i) {
        const auto rows = ReportRows(m_document.analysis(i).quantities);
        m_table->setRowCount(static_cast<int>(rows.size()) + 2);
        QStringList names { QStringLiteral("boucle"), QStringLiteral("gain ajouté") };
        auto *title = new QTableWidgetItem(loops[i].title());
        title->setForeground(QColor(ToRgb(loops[i].color)));
        title->setToolTip(loops[i].expression.isEmpty() ? loops[i].csvPath : loops[i].expression);
        m_table->setItem(0, static_cast<int>(i), title);
        m_table->setItem(1, static_cast<int>(i),
            new QTableWidgetItem(
                QString::fromStdString(FrenchNumber(loops[i].gainDb)) + QStringLiteral(" dB")));
        for (std::size_t r = 0; r < rows.size(); ++r) {
            names << QString::fromStdString(rows[r].first);
            auto *value = new QTableWidgetItem(QString::fromStdString(rows[r].second));
            value->setToolTip(value->text());
            m_table->setItem(static_cast<int>(r) + 2, static_cast<int>(i), value);
        }
        m_table->setVerticalHeaderLabels(names);
        loopTitles << QStringLiteral("Boucle %1").arg(i + 1);
    }
    m_table->setHorizontalHeaderLabels(loopTitles);
    fitTable();
}

void MarginsWindow::fitTable()
{
    if (m_table->columnCount() == 0)
        return;
    // Wide enough for every figure, within the screen; never narrower than the user made it.
    m_table->resizeColumnsToContents();
    int width = m_table->verticalHeader()->width() + 2 * m_table->frameWidth();
    for (int column = 0; column < m_table->columnCount(); ++column)
        width += m_table->columnWidth(column);
    int height = m_table->horizontalHeader()->height() + 2 * m_table->frameWidth();
    for (int row = 0; row < m_table->rowCount(); ++row)
        height += m_table->rowHeight(row);
    const QMargins margins = layout()->contentsMargins();
    QSize wanted(width + margins.left() + margins.right() + 4,
        height + margins.top() + margins.bottom() + 4);
    if (const QScreen *screen = this->screen())
        wanted = wanted.boundedTo(screen->availableGeometry().size());
    resize(wanted.expandedTo(QSize(this->width(), 0)));
}

} // namespace velmora
