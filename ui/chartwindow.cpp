// ui/chartwindow.cpp — the chart window (ui layer)
#include "ui/chartwindow.h"

#include "ui/application.h"
#include "ui/chartdocument.h"
#include "ui/chartview.h"
#include "ui/named.h"
#include "ui/windowframes.h"
#include "ui_chartwindow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

const QSize DesignedChart(300, 475);
const QSize DesignedWindow(340, 530);
constexpr int ReadOutHeight = 18;
constexpr int MaxChartPixels = 4096; // the largest chart image drawn, either way

} // namespace

ChartWindow::ChartWindow(ChartDocument &document, QWidget *parent)
    // A title bar with no system menu, no minimise, maximise or close box; never the focus.
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowDoesNotAcceptFocus)
    , m_document(document)
    , m_form(std::make_unique<Ui::ChartWindow>())
{
    m_form->setupUi(this);
    m_view = Named<ChartView>(*this, "Image1");
    m_readOut = Named<QLabel>(*this, "ReadOut");
    move(619, 137);
    AskFrame(*this, FrameKind::TitleOnly);
    // The frame measures the designed 340 x 530 once a window manager has put one around.
    KeepOuterSize(*this, DesignedWindow, [](QWidget &window, QSize client) {
        static_cast<ChartWindow &>(window).m_designedClient = client;
    });
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    m_readOut->setGeometry(4, height() - ReadOutHeight, width() - 8, ReadOutHeight);
    connect(&document, &ChartDocument::chartChanged, this, &ChartWindow::redraw);
    connect(&document, &ChartDocument::loopsChanged, this, &ChartWindow::redraw);
    connect(&document, &ChartDocument::replaced, this, &ChartWindow::redraw);
    connect(&document, &ChartDocument::viewChanged, this, &ChartWindow::redraw);
    connect(m_view, &ChartView::viewRequested, &document, &ChartDocument::setView);
    connect(m_view, &ChartView::readOutChanged, m_readOut, &QLabel::setText);
    connect(m_view, &ChartView::dragStarted, this, [this](std::uint64_t id) {
        m_document.beginGesture();
        emit loopPicked(id);
    });
    connect(m_view, &ChartView::dragEnded, &document, &ChartDocument::endGesture);
    connect(m_view, &ChartView::loopGainDragged, this, [this](std::uint64_t id, double gainDb) {
        Guard([&] {
            if (const std::optional<std::size_t> index = m_document.indexOfLoop(id))
                m_document.setLoopGain(*index, gainDb);
        })();
    });
    connect(m_view, &ChartView::handleDragged, this,
        [this](std::uint64_t id, std::size_t element, double omega) {
            Guard([&] { dragHandle(id, element, omega); })();
        });
}

ChartWindow::~ChartWindow() = default;

void ChartWindow::dragHandle(std::uint64_t id, std::size_t element, double omega)
{
    const std::optional<std::size_t> index = m_document.indexOfLoop(id);
    if (!index)
        return;
    Compensator compensator = m_document.loops()[*index].compensator;
    if (element >= compensator.size())
        return;
    compensator[element] = WithCharacteristicFrequency(compensator[element], omega);
    m_document.setLoopCompensator(*index, compensator);
}

QSize ChartWindow::chartSize() const
{
    if (!m_followsWindow)
        return DesignedChart;
    // Never below the smallest chart the window's rules draw, as velmora-render accepts it.
    const ChartSettings &s = m_document.settings();
    const QSize smallest(static_cast<int>(RangeOf(Entry::WindowImageWidth, s).low),
        static_cast<int>(RangeOf(Entry::WindowImageHeight, s).low));
    return QSize(width(), height() - ReadOutHeight).expandedTo(smallest);
}

void ChartWindow::redraw()
{
    // A window moved to a screen of another density is drawn again for it.
    if (!m_followsScreen && windowHandle()) {
        connect(windowHandle(), &QWindow::screenChanged, this, &ChartWindow::redraw);
        m_followsScreen = true;
    }
    std::vector<ViewedLoop> loops;
    const std::vector<LoopSpec> &specs = m_document.loops();
    for (std::size_t i = 0; i < specs.size(); ++i) {
        if (!specs[i].visible)
            continue;
        ViewedLoop loop { i, m_document.loopId(i), specs[i].gainDb };
        // In the order of the scene loop's handles.
        for (std::size_t k = 0; k < specs[i].compensator.size(); ++k)
            if (CharacteristicFrequency(specs[i].compensator[k]))
                loop.handleElements.push_back(k);
        loops.push_back(std::move(loop));
    }
    const QSize display = chartSize();
    // On a screen of density r the chart is drawn r times larger, for its pixels. Beyond the
    // largest image drawn, the image is scaled up to the window: work and memory stay bounded
    // whatever the window's size and the screen's density.
    const double ratio = std::max(1.0, devicePixelRatioF());
    const QSize dense(static_cast<int>(std::nearbyint(display.width() * ratio)),
        static_cast<int>(std::nearbyint(display.height() * ratio)));
    const QSize drawn = dense.width() <= MaxChartPixels && dense.height() <= MaxChartPixels
        ? dense
        : dense.scaled(MaxChartPixels, MaxChartPixels, Qt::KeepAspectRatio);
    const double scale = std::max(1.0, ratio * drawn.width() / dense.width());
    ChartScene scene = m_document.scene();
    scene.showHandles = true;
    m_view->setChart(std::move(scene), std::move(loops), WindowProfile(),
        ImageSize { drawn.width(), drawn.height() }, display, scale);
    m_drawn = true;
    makeVisible();
}

void ChartWindow::makeVisible()
{
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    if (!isVisible())
        show();
}

QImage ChartWindow::chartImage()
{
    return m_drawn ? m_view->image() : QImage();
}

std::optional<QRect> ChartWindow::resizedGeometry() const
{
    if (!m_followsWindow)
        return std::nullopt;
    return frameGeometry();
}

void ChartWindow::restoreGeometry(QRect frame)
{
    if (const QScreen *screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        frame.setSize(frame.size().boundedTo(available.size()));
        frame.moveLeft(
            std::clamp(frame.left(), available.left(), available.right() - frame.width() + 1));
        frame.moveTop(
            std::clamp(frame.top(), available.top(), available.bottom() - frame.height() + 1));
    }
    const QSize margins = frameGeometry().size() - size();
    m_followsWindow = true;
    move(frame.topLeft());
    resize(frame.size() - margins);
    redraw();
}

void ChartWindow::closeEvent(QCloseEvent *event)
{
    // Nothing hides the chart window; it ends with the program.
    event->ignore();
}

void ChartWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_readOut->setGeometry(4, height() - ReadOutHeight, width() - 8, ReadOutHeight);
    // Once its size is not the designed one, the window has been resized: the chart follows it.
    if (!m_followsWindow && size() != m_designedClient && size() != DesignedWindow && isVisible()) {
        m_followsWindow = true;
    }
    if (m_followsWindow && m_drawn)
        redraw();
}

} // namespace velmora
