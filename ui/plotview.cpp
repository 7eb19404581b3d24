// ui/plotview.cpp — a widget that paints a plot (ui layer)
#include "ui/plotview.h"

#include "render/rastersurface.h"
#include "session/atomicfile.h"
#include "ui/application.h"
#include "ui/filefolders.h"
#include "ui/prompts.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <stdexcept>

namespace velmora {

PlotView::PlotView(
    Prompts &prompts, FileFolders &folders, const QString &exportName, QWidget *parent)
    : QWidget(parent)
    , m_prompts(prompts)
    , m_folders(folders)
    , m_exportName(exportName)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setMinimumSize(200, 150);
}

void PlotView::setPlot(Drawing draw, ReadOut readOut)
{
    m_draw = std::move(draw);
    m_readOut = std::move(readOut);
    m_stale = true;
    update();
}

QImage PlotView::image()
{
    if (!m_stale || !m_draw)
        return m_image;
    m_stale = false;
    RasterSurface surface(std::max(width(), 1), std::max(height(), 1), &m_shapes);
    try {
        m_draw(surface);
    } catch (const std::exception &error) {
        ReportEscapedError(error);
    }
    m_image = surface.image();
    return m_image;
}

void PlotView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.drawImage(0, 0, image());
}

void PlotView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_stale = true;
}

void PlotView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_readOut)
        return;
    // Measured on a surface of the widget's size, as the plot was drawn.
    RasterSurface surface(std::max(width(), 1), std::max(height(), 1), &m_shapes);
    emit readOutChanged(m_readOut(surface, event->position()));
}

void PlotView::leaveEvent(QEvent *)
{
    emit readOutChanged(QString());
}

void PlotView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("&Exporter..."), this, Guard([this] { exportPlot(); }));
    menu.exec(event->globalPos());
}

void PlotView::exportPlot()
{
    const std::optional<QString> path
        = m_prompts.chooseSaveFile(QStringLiteral("Exporter la courbe"),
            QStringLiteral("Images (*.png *.bmp *.svg *.pdf)"), m_folders.suggested(m_exportName));
    if (!path)
        return;
    const std::optional<ChartFormat> format = FormatOfFileName(path->toStdString());
    if (!format)
        throw std::runtime_error(
            QStringLiteral("« %1 » : extension .png, .bmp, .svg ou .pdf attendue")
                .arg(*path)
                .toStdString());
    WriteFileAtomically(*path,
        DrawingFileBytes(*format, { width(), height() }, m_draw,
            { QStringLiteral("Réponse"), QStringLiteral("Boucle fermée") }));
    m_folders.used(*path);
}

} // namespace velmora
