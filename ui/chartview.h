// ui/chartview.h — the widget that paints the chart from its own copy of the settings (ui layer)
#pragma once

#include "core/chartsettings.h"
#include "plot/renderprofile.h"
#include "render/labelshapes.h"

#include <QImage>
#include <QWidget>

namespace velmora {

// Holds what it draws (settings and profile) and paints the chart from it, rendering again only
// after a change, with the labels shaped for the drawings before. It is as large as the chart image
// and shows it at its natural size.
class ChartView : public QWidget {
    Q_OBJECT
public:
    explicit ChartView(QWidget *parent = nullptr);

    // What to draw from now on; the view is resized to the profile's image and repainted.
    void setChart(const ChartSettings &settings, const RenderProfile &profile);

    // The chart as the view paints it, rendered now if a change has not been painted yet. An
    // error in drawing leaves the image drawn so far, and the error goes to the error report.
    QImage image();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ChartSettings m_settings;
    RenderProfile m_profile;
    QImage m_image;
    bool m_stale = false;
    LabelShapes m_shapes; // kept between drawings: a redraw shapes no label again
};

} // namespace velmora
