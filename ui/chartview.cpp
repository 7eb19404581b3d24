// ui/chartview.cpp — the widget that paints the chart (ui layer)
#include "ui/chartview.h"

#include "core/closedloop.h"
#include "core/numbertext.h"
#include "render/rastersurface.h"
#include "ui/application.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>

#include <cmath>
#include <stdexcept>

namespace velmora {

namespace {

// How near the pointer must be to a locus, in the view's pixels, to read it or drag it.
constexpr double Reach = 6;
// The view shows this much less at each step of the wheel (120 eighths of a degree).
constexpr double ZoomStep = 1.25;
// A right-button press that moves less than this (view pixels) is a click: the context menu.
constexpr double ClickSlop = 3;

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
    , m_menu(new QMenu(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    // Every right-button event comes here: a drag pans, a click opens the menu.
    setContextMenuPolicy(Qt::PreventContextMenu);
    QAction *whole = m_menu->addAction(QStringLiteral("Vue d'ensemble"));
    whole->setObjectName("VueEnsemble");
    connect(whole, &QAction::triggered, this, [this] { emit viewRequested(std::nullopt); });
}

void ChartView::setChart(ChartScene scene, std::vector<ViewedLoop> loops,
    const RenderProfile &profile, ImageSize size, QSize display, double scale)
{
    m_scene = std::move(scene);
    m_loops = std::move(loops);
    m_profile = profile;
    m_size = size;
    m_display = display;
    m_scale = scale;
    m_prepared.reset();
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

const PreparedChart &ChartView::prepared() const
{
    if (!m_prepared)
        m_prepared = PrepareChart(m_scene, m_size.width, m_size.height, m_scale);
    return *m_prepared;
}

QImage ChartView::image()
{
    if (!m_stale)
        return m_image;
    m_stale = false;
    std::optional<RasterSurface> surface;
    try {
        if (m_scene.loops.empty()) {
            surface.emplace(m_size.width, m_size.height, &m_shapes, m_scale);
            DrawPreparedChart(m_scene, prepared(), m_profile, *surface);
        } else {
            drawLayers(surface);
        }
    } catch (const std::exception &error) {
        // The partial chart is shown; the report waits until painting is over.
        QTimer::singleShot(0, [message = std::string(error.what())] {
            ReportEscapedError(std::runtime_error(message));
        });
    }
    m_image = surface ? surface->image() : QImage();
    return m_image;
}

void ChartView::drawLayers(std::optional<RasterSurface> &surface)
{
    const bool kept = m_layer && m_layer->settings == m_scene.settings
        && m_layer->view == m_scene.view && m_layer->profile == m_profile && m_layer->size == m_size
        && m_layer->scale == m_scale;
    if (!kept) {
        m_layer.reset();
        surface.emplace(m_size.width, m_size.height, &m_shapes, m_scale);
        InkMap ink(m_size.width, m_size.height);
        InkSurface inked(*surface, ink);
        DrawChartLayer(m_scene, prepared(), m_profile, inked);
        m_layer = ChartLayer { m_scene.settings, m_scene.view, m_profile, m_size, m_scale,
            surface->state(), std::move(ink) };
    }
    surface.emplace(m_layer->state, &m_shapes);
    InkMap ink = m_layer->ink;
    InkSurface inked(*surface, ink);
    DrawLoopLayer(m_scene, prepared(), m_profile, inked, ink);
}

void ChartView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    QImage shown = image();
    const QSize pixelExact(static_cast<int>(std::nearbyint(m_display.width() * m_scale)),
        static_cast<int>(std::nearbyint(m_display.height() * m_scale)));
    if (QSize(m_size.width, m_size.height) == pixelExact && m_scale == devicePixelRatioF()) {
        // One image pixel to a pixel of the screen.
        shown.setDevicePixelRatio(m_scale);
        painter.drawImage(QPointF(0, 0), shown);
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

std::pair<double, double> ChartView::valueAt(QPointF shown) const
{
    const QPointF position = onImage(shown);
    const ChartMapping map = mapping();
    return { map.phaseAt(position.x()), map.gainAt(position.y()) };
}

double ChartView::reach() const
{
    return Reach * (m_display.width() > 0 ? double(m_size.width) / m_display.width() : 1);
}

std::optional<std::pair<std::size_t, std::size_t>> ChartView::handleNear(QPointF position) const
{
    if (!m_scene.showHandles)
        return std::nullopt;
    const ChartMapping map = mapping();
    const PreparedChart &chart = prepared();
    std::optional<std::pair<std::size_t, std::size_t>> nearest;
    double best = reach() * reach();
    for (std::size_t i = 0; i < m_scene.loops.size() && i < chart.loci.size(); ++i) {
        const SceneLoop &loop = m_scene.loops[i];
        for (std::size_t k = 0; k < loop.handles.size(); ++k) {
            const std::optional<ResponsePoint> at
                = DrawnPointAt(*loop.analysis, chart.loci[i], loop.handles[k]);
            if (!at)
                continue;
            const double dx = map.columnOf(at->phaseDeg + chart.loci[i].shiftDeg) - position.x();
            const double dy = map.rowOf(at->gainDb) - position.y();
            if (dx * dx + dy * dy < best) {
                best = dx * dx + dy * dy;
                nearest = std::pair { i, k };
            }
        }
    }
    return nearest;
}

std::optional<std::pair<std::size_t, ResponsePoint>> ChartView::locusNear(QPointF position) const
{
    const ChartMapping map = mapping();
    const PreparedChart &chart = prepared();
    std::optional<std::pair<std::size_t, ResponsePoint>> nearest;
    double best = reach() * reach();
    for (std::size_t i = 0; i < m_scene.loops.size() && i < chart.loci.size(); ++i) {
        const double shift = chart.loci[i].shiftDeg;
        for (const ResponsePoint &p : chart.loci[i].points) {
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

void ChartView::dragHandle(QPointF position)
{
    const auto loop = std::find_if(m_loops.begin(), m_loops.end(),
        [id = m_drag->id](const ViewedLoop &viewed) { return viewed.id == id; });
    const PreparedChart &chart = prepared();
    const auto i = static_cast<std::size_t>(loop - m_loops.begin());
    if (loop == m_loops.end() || i >= chart.loci.size())
        return;
    // The point of the locus as it is drawn now nearest the pointer, wherever the pointer is.
    const ChartMapping map = mapping();
    const DrawnLocus &drawn = chart.loci[i];
    double best = INFINITY;
    double omega = 0;
    for (const ResponsePoint &p : drawn.points) {
        const double dx = map.columnOf(p.phaseDeg + drawn.shiftDeg) - position.x();
        const double dy = map.rowOf(p.gainDb) - position.y();
        if (dx * dx + dy * dy < best && p.omega > 0) {
            best = dx * dx + dy * dy;
            omega = p.omega;
        }
    }
    if (omega > 0 && std::isfinite(omega))
        emit handleDragged(m_drag->id, *m_drag->element, omega);
}

QString ChartView::readOutAt(QPointF shown) const
{
    const QPointF position = onImage(shown);
    const ChartMapping map = mapping();
    if (!map.frame.contains(position.x(), position.y()))
        return {};
    if (const auto near = locusNear(position)) {
        const ResponsePoint &p = near->second;
        const GainPhase open { p.gainDb, p.phaseDeg + prepared().loci[near->first].shiftDeg };
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
    if (m_drag && m_drag->element) {
        dragHandle(position);
    } else if (m_drag) {
        const ChartMapping map = mapping();
        const double dbPerPixel = (map.gainMax - map.gainMin) / (map.frame.bottom - map.frame.top);
        const double gain = std::clamp(
            m_drag->startGainDb - (position.y() - m_drag->startRow) * dbPerPixel, -99.9, 99.9);
        emit loopGainDragged(m_drag->id, gain);
    }
    if (m_pan) {
        const QPointF moved = event->position() - m_pan->start;
        if (std::hypot(moved.x(), moved.y()) >= ClickSlop)
            m_pan->moved = true;
        if (m_pan->moved) {
            // The chart follows the pointer: the values under it stay under it.
            const auto [phaseThen, gainThen] = valueAt(m_pan->start);
            const auto [phaseNow, gainNow] = valueAt(event->position());
            emit viewRequested(PannedView(
                m_scene.settings, m_pan->view, phaseThen - phaseNow, gainThen - gainNow));
        }
    }
    emit readOutChanged(readOutAt(event->position()));
}

void ChartView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        m_pan = Pan { event->position(), ShownView(m_scene.settings, m_scene.view) };
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    const QPointF position = onImage(event->position());
    if (const auto handle = handleNear(position)) {
        const ViewedLoop &loop = m_loops[handle->first];
        if (handle->second < loop.handleElements.size()) {
            m_drag
                = Drag { loop.id, loop.gainDb, position.y(), loop.handleElements[handle->second] };
            setCursor(Qt::SizeAllCursor);
            emit dragStarted(loop.id);
            return;
        }
    }
    if (const auto near = locusNear(position)) {
        const ViewedLoop &loop = m_loops[near->first];
        m_drag = Drag { loop.id, loop.gainDb, position.y(), std::nullopt };
        setCursor(Qt::SizeVerCursor);
        emit dragStarted(loop.id);
    }
}

void ChartView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton) {
        const bool click = m_pan && !m_pan->moved;
        m_pan.reset();
        if (click)
            m_menu->popup(event->globalPosition().toPoint());
        return;
    }
    if (m_drag)
        emit dragEnded();
    m_drag.reset();
    unsetCursor();
}

void ChartView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit viewRequested(std::nullopt);
}

void ChartView::wheelEvent(QWheelEvent *event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0)
        return;
    const auto [phase, gain] = valueAt(event->position());
    emit viewRequested(
        ZoomedView(m_scene.settings, m_scene.view, phase, gain, std::pow(ZoomStep, notches)));
    event->accept();
}

void ChartView::leaveEvent(QEvent *)
{
    if (!m_drag)
        emit readOutChanged(QString());
}

} // namespace velmora
