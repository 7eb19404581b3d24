// ui/responsewindow.cpp — the "Réponse" window (ui layer)
#include "ui/responsewindow.h"

#include "core/numbertext.h"
#include "plot/responseplots.h"
#include "ui/chartdocument.h"
#include "ui/plotview.h"

#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace velmora {

namespace {

QString figure(double v)
{
    return QString::fromStdString(FigureText(v));
}

// The value of a curve at x, between its samples (linear in x, or in log x); none outside.
std::optional<double> valueAt(
    const std::vector<double> &xs, const std::vector<double> &ys, double x, bool logarithmic)
{
    if (xs.size() < 2 || !(x >= xs.front()) || !(x <= xs.back()))
        return std::nullopt;
    const auto after = std::upper_bound(xs.begin(), xs.end(), x);
    const std::size_t i = std::clamp<std::size_t>(after - xs.begin(), 1, xs.size() - 1);
    const double a = logarithmic ? std::log(xs[i - 1]) : xs[i - 1];
    const double b = logarithmic ? std::log(xs[i]) : xs[i];
    const double t = b > a ? ((logarithmic ? std::log(x) : x) - a) / (b - a) : 0;
    return ys[i - 1] + t * (ys[i] - ys[i - 1]);
}

} // namespace

ResponseWindow::ResponseWindow(
    ChartDocument &document, Prompts &prompts, FileFolders &folders, QWidget *parent)
    : QDialog(parent)
    , m_document(document)
    , m_step(new PlotView(prompts, folders, QStringLiteral("reponse.png"), this))
    , m_bode(new PlotView(prompts, folders, QStringLiteral("bode.png"), this))
    , m_readOut(new QLabel(this))
{
    setObjectName("reponse");
    setWindowTitle(QStringLiteral("Réponse"));
    m_step->setObjectName("ReponseIndicielle");
    m_bode->setObjectName("BodeBoucleFermee");
    m_readOut->setObjectName("LectureReponse");
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_step, 1);
    layout->addWidget(m_bode, 1);
    layout->addWidget(m_readOut);
    resize(520, 640);
    move(980, 137);
    for (PlotView *view : { m_step, m_bode })
        connect(view, &PlotView::readOutChanged, m_readOut, &QLabel::setText);
    connect(&document, &ChartDocument::loopsChanged, this, &ResponseWindow::showResponses);
    connect(&document, &ChartDocument::chartChanged, this, &ResponseWindow::showResponses);
    connect(&document, &ChartDocument::replaced, this, &ResponseWindow::showResponses);
}

void ResponseWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Right of the chart window where the screen has room, and on the screen whatever its size.
    if (const QScreen *screen = this->screen()) {
        const QRect available = screen->availableGeometry();
        QRect frame = frameGeometry();
        frame.setSize(frame.size().boundedTo(available.size()));
        frame.moveLeft(
            std::clamp(frame.left(), available.left(), available.right() - frame.width() + 1));
        frame.moveTop(
            std::clamp(frame.top(), available.top(), available.bottom() - frame.height() + 1));
        if (frame != frameGeometry()) {
            resize(frame.size() - (frameGeometry().size() - size()));
            move(frame.topLeft());
        }
    }
    showResponses();
}

void ResponseWindow::showResponses()
{
    if (!isVisible())
        return; // nothing computed for a window nobody sees
    std::vector<StepPlotLoop> steps;
    std::vector<BodePlotLoop> bodes;
    std::vector<int> numbers; // each curve's loop, as the chart's read-out numbers them
    const std::vector<LoopSpec> &loops = m_document.loops();
    for (std::size_t i = 0; i < loops.size(); ++i) {
        if (!loops[i].visible)
            continue;
        const std::shared_ptr<const LoopResponse> response = m_document.response(i);
        const LoopQuantities &q = m_document.analysis(i)->quantities;
        const std::string name = loops[i].displayName();
        steps.push_back({ loops[i].color, name, response->step, loops[i].isMeasured() });
        BodePlotLoop bode { loops[i].color, name, response->bode.omega, response->bode.closedDb,
            response->bode.sensitivityDb, q.peakDb, q.peakOmega, q.bandwidth,
            q.lowFrequencyClosedLoopDb, q.sensitivityPeakDb, q.sensitivityPeakOmega };
        bodes.push_back(std::move(bode));
        numbers.push_back(static_cast<int>(i) + 1);
    }
    m_step->setPlot([steps](DrawingSurface &surface) { DrawStepPlot(surface, steps); },
        [steps, numbers](DrawingSurface &surface, QPointF at) {
            const PlotFrame frame = StepPlotFrame(surface, steps);
            if (!frame.contains(at.x(), at.y()))
                return QString();
            const double t = frame.xAt(at.x());
            QString text = QStringLiteral("t %1 s").arg(figure(t));
            for (std::size_t k = 0; k < steps.size(); ++k)
                if (steps[k].response)
                    if (const auto y
                        = valueAt(steps[k].response->time, steps[k].response->value, t, false))
                        text += QStringLiteral("   Boucle %1 : y %2")
                                    .arg(numbers[k])
                                    .arg(figure(*y));
            return text;
        });
    m_bode->setPlot([bodes](DrawingSurface &surface) { DrawBodePlot(surface, bodes); },
        [bodes, numbers](DrawingSurface &surface, QPointF at) {
            const PlotFrame frame = BodePlotFrame(surface, bodes);
            if (!frame.contains(at.x(), at.y()))
                return QString();
            const double omega = frame.xAt(at.x());
            QString text = QStringLiteral("ω %1 rad/s").arg(figure(omega));
            for (std::size_t k = 0; k < bodes.size(); ++k) {
                const auto t = valueAt(bodes[k].omega, bodes[k].closedDb, omega, true);
                const auto s = valueAt(bodes[k].omega, bodes[k].sensitivityDb, omega, true);
                if (t && s)
                    text += QStringLiteral("   Boucle %1 : |T| %2 dB |S| %3 dB")
                                .arg(numbers[k])
                                .arg(figure(*t), figure(*s));
            }
            return text;
        });
}

} // namespace velmora
