// ui/chartview.cpp — the widget that paints the chart (ui layer)
#include "ui/chartview.h"

#include "plot/renderchart.h"
#include "render/rastersurface.h"
#include "ui/application.h"

#include <QPainter>
#include <QTimer>

#include <stdexcept>

namespace velmora {

ChartView::ChartView(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChartView::setChart(const ChartSettings &settings, const RenderProfile &profile)
{
    m_settings = settings;
    m_profile = profile;
    m_stale = true;
    resize(profile.width, profile.height);
    update();
}

QImage ChartView::image()
{
    if (!m_stale)
        return m_image;
    m_stale = false;
    RasterSurface surface(m_profile.width, m_profile.height, &m_shapes);
    try {
        RenderChart(m_settings, m_profile, surface);
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
    painter.drawImage(0, 0, image());
}

} // namespace velmora
