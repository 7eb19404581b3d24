// ui/chartview.cpp — the widget that paints the chart (ui layer)
#include "ui/chartview.h"

#include "core/closedloop.h"
#include "core/numbertext.h"
#include "render/rastersurface.h"
#include "ui/application.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>

#include <cmath>
#include <stdexcept>

namespace velmora {

namespace {

// How near the pointer must be to a locus, in pixels, to read it or drag it.
constexpr double Reach = 6;

QString closedLoopText(GainPhase open)
{
    const GainPhase closed = ClosedLoopOf(open);
    if (std::isinf(closed.gainDb))
        return QStringLiteral("T : point critique");
    return QStringLiteral("T : %1 dB %2°")
        .arg(QString::fromStdString(FixedDecimalText(closed.gainDb, 1)),
            QString::fromStdString(FixedDecimalText(closed.phaseDeg, 1)));
}

QString openLoopText(GainPhase open)
{
    return QStringLiteral("G : %1° %2 dB")
        .arg(QString::fromStdString(FixedDecimalText(open.phaseDeg, 1)),
            QString::fromStdString(FixedDecimalText(open.gainDb, 1)));
}

} // namespace

ChartView::ChartView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void ChartView::setChart(ChartScene scene, std::vector<ViewedLoop> loops,
    const RenderProfile &profile, ImageSize size, QSize display)
{
    m_scene = std::move(scene);
    m_loops = std::move(loops);
    m_profile = profile;
    m_size = size;
    m_display = display;
    // A drag ends when its loop is gone from what is drawn (removed or hidden meanwhile).
    if (m_drag
        && std::none_of(m_loops.begin(), m_loops.end(),
            [id = m_drag->id](const ViewedLoop &loop) { return loop.id == id; })) {
        m_drag.reset();
        unsetCursor();
        emit dragEnded();
    }
    m_stale = true;
    resize(display);
    update();
}

QImage ChartView::image()
{
    if (!m_stale)
        return m_image;
    m_stale = false;
    RasterSurface surface(m_size.width, m_size.height, &m_shapes);
    try {
        DrawChartScene(m_scene, m_profile, surface);
    } catch (const std::exception &error) {
        // The partial chart is shown; the report waits until painting is over.
        QTimer::singleShot(0, [message = std::string(error.what())] {
            ReportEscapedError(std::runtime_error(message));
        });
    }
    m_image = surface.image();
    return m_image;
}

void ChartView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const QImage shown = image();
    if (m_display == QSize(m_size.width, m_size.height)) {
        painter.drawImage(0, 0, shown);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(0, 0), m_display), shown);
    }
}

QPointF ChartView::onImage(QPointF position) const
{
    if (m_display.isEmpty())
        return position;
    return { position.x() * m_size.width / m_display.width(),
        position.y() * m_size.height / m_display.height() };
}

ChartMapping ChartView::mapping() const
{
    return MappingOf(FrameOf(m_size.width, m_size.height), m_scene.settings);
}

std::optional<std::pair<std::size_t, ResponsePoint>> ChartView::locusNear(QPointF position) const
{
    const ChartMapping map = mapping();
    std::optional<std::pair<std::size_t, ResponsePoint>> nearest;
    double best = Reach * Reach;
    for (std::size_t i = 0; i < m_scene.loops.size(); ++i) {
        const LoopAnalysis &analysis = *m_scene.loops[i].analysis;
        const double shift = analysis.phaseShiftDeg;
        for (const ResponsePoint &p : analysis.locus) {
            const double dx = map.columnOf(p.phaseDeg + shift) - position.x();
            const double dy = map.rowOf(p.gainDb) - position.y();
            const double d2 = dx * dx + dy * dy;
            if (d2 < best) {
                best = d2;
                nearest = std::pair { i, p };
            }
        }
    }
    return nearest;
}

QString ChartView::readOutAt(QPointF shown) const
{
    const QPointF position = onImage(shown);
    const ChartMapping map = mapping();
    if (!map.frame.contains(position.x(), position.y()))
        return {};
    if (const auto near = locusNear(position)) {
        const ResponsePoint &p = near->second;
        const GainPhase open { p.gainDb,
            p.phaseDeg + m_scene.loops[near->first].analysis->phaseShiftDeg };
        return QStringLiteral("Boucle %1, ω %2 rad/s   %3   %4")
            .arg(m_loops[near->first].index + 1)
            .arg(QString::fromStdString(FigureText(p.omega)), openLoopText(open),
                closedLoopText(open));
    }
    const GainPhase open { map.gainAt(position.y()), map.phaseAt(position.x()) };
    return openLoopText(open) + QStringLiteral("   ") + closedLoopText(open);
}

void ChartView::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF position = onImage(event->position());
    if (m_drag) {
        const ChartMapping map = mapping();
        const double dbPerPixel = (map.gainMax - map.gainMin) / (map.frame.bottom - map.frame.top);
        const double gain = std::clamp(
            m_drag->startGainDb - (position.y() - m_drag->startRow) * dbPerPixel, -99.9, 99.9);
        emit loopGainDragged(m_drag->id, gain);
    }
    emit readOutChanged(readOutAt(event->position()));
}

void ChartView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const QPointF position = onImage(event->position());
    if (const auto near = locusNear(position)) {
        const ViewedLoop &loop = m_loops[near->first];
        m_drag = Drag { loop.id, loop.gainDb, position.y() };
        setCursor(Qt::SizeVerCursor);
        emit dragStarted(loop.id);
    }
}

void ChartView::mouseReleaseEvent(QMouseEvent *)
{
    if (m_drag)
        emit dragEnded();
    m_drag.reset();
    unsetCursor();
}

void ChartView::leaveEvent(QEvent *)
{
    if (!m_drag)
        emit readOutChanged(QString());
}

} // namespace velmora
