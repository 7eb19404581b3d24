// ui/chartview.h — the widget that paints the chart from its own copy of what it draws, reads
// values under the pointer, lets a locus be dragged up or down, and zooms and pans the chart
// (ui layer)
#pragma once

#include "plot/chartmapping.h"
#include "plot/chartscene.h"
#include "plot/renderprofile.h"
#include "render/labelshapes.h"
#include "render/rastersurface.h"

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <optional>

class QMenu;

namespace velmora {

// Where a drawn loop stands in the document, one a loop of the scene.
struct ViewedLoop {
    std::size_t index; // in the document, as the read-out numbers it
    std::uint64_t id; // the document's lasting name for it
    double gainDb; // the loop's gain, which a drag starts from
    // The compensator element (its place in the chain) of each handle of the scene loop.
    std::vector<std::size_t> handleElements {};
};

// Holds what it draws (scene, profile, size) and paints the chart from it, rendering again
// only after a change, with the labels shaped for the drawings before. It is as large as the
// chart image's display size and shows the image there: pixel for pixel when the image is the
// display size times the scale it was drawn at (a screen of that density), scaled otherwise.
// Positions given to it and by it are the widget's own (logical) coordinates. A handle of a
// compensator element is dragged along its locus: the handle asks for the frequency of the
// point of the locus nearest the pointer; a drag elsewhere on a locus changes its gain. The wheel
// zooms about the pointer, a drag with the right button pans, a double-click or "Vue
// d'ensemble" in its context menu (a right click that does not drag) shows the whole chart:
// each asks for a view with viewRequested() and changes nothing itself.
class ChartView : public QWidget {
    Q_OBJECT
public:
    explicit ChartView(QWidget *parent = nullptr);

    // What to draw from now on, on an image of `size` pixels drawn at `scale` (see
    // DrawingSurface), shown at `display` (the view's size); the view is resized and repainted.
    void setChart(ChartScene scene, std::vector<ViewedLoop> loops, const RenderProfile &profile,
        ImageSize size, QSize display, double scale = 1);

    // The chart as the view paints it, rendered now if a change has not been painted yet. An
    // error in drawing leaves the image drawn so far, and the error goes to the error report.
    QImage image();

    // What the read-out says at a point of the view: empty outside the plot frame; the open-loop
    // phase and gain there and the closed-loop gain and phase of that point; near a locus, the
    // loop, its frequency there and the closed loop at that frequency.
    QString readOutAt(QPointF position) const;

    // The chart's value (phase in degrees, gain in dB) at a point of the view.
    std::pair<double, double> valueAt(QPointF position) const;

signals:
    void readOutChanged(const QString &text);
    // A locus dragged up or down: the loop (by its id) and its new gain, dB; a drag starts and
    // ends once.
    void dragStarted(std::uint64_t id);
    void loopGainDragged(std::uint64_t id, double gainDb);
    // A handle dragged: the element (its place in the loop's compensator) and its frequency.
    void handleDragged(std::uint64_t id, std::size_t element, double omega);
    void dragEnded();
    // The part of the chart to show, none for the whole chart.
    void viewRequested(const std::optional<ViewExtents> &view);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    // The chart worked out for the image: its mapping and loci, as drawn.
    const PreparedChart &prepared() const;
    ChartMapping mapping() const { return prepared().mapping; }
    // A position in the view, in the image's pixels.
    QPointF onImage(QPointF position) const;
    // The loop (its place in the scene) whose drawn locus passes within a few pixels of
    // `position`, and its point there.
    std::optional<std::pair<std::size_t, ResponsePoint>> locusNear(QPointF position) const;
    // The loop (its place in the scene) and the handle (its place in the loop's) within reach.
    std::optional<std::pair<std::size_t, std::size_t>> handleNear(QPointF position) const;
    // The chart with loops, over the chart layer kept or drawn now, on `surface`.
    void drawLayers(std::optional<RasterSurface> &surface);
    // A handle's drag at the pointer (image pixels).
    void dragHandle(QPointF position);
    // How near (image pixels) the pointer must be to a locus or a handle.
    double reach() const;

    ChartScene m_scene;
    std::vector<ViewedLoop> m_loops;
    RenderProfile m_profile;
    ImageSize m_size;
    QSize m_display;
    double m_scale = 1;
    QImage m_image;
    bool m_stale = false;
    mutable std::optional<PreparedChart> m_prepared; // of the scene and size drawn now
    LabelShapes m_shapes; // kept between drawings: a redraw shapes no label again
    // The chart under the loops as last drawn, and what it was drawn for: while only the loops
    // change (a drag), the loops are drawn over a copy of it.
    struct ChartLayer {
        ChartSettings settings;
        std::optional<ViewExtents> view;
        RenderProfile profile;
        ImageSize size;
        double scale;
        RasterSurface::State state;
        InkMap ink;
    };
    std::optional<ChartLayer> m_layer;
    struct Drag {
        std::uint64_t id;
        double startGainDb;
        double startRow;
        std::optional<std::size_t> element; // the handle's element, for a handle's drag
    };
    std::optional<Drag> m_drag;
    struct Pan {
        QPointF start; // view coordinates
        std::optional<ViewExtents> view; // as it was
        bool moved = false;
    };
    std::optional<Pan> m_pan;
    QMenu *m_menu;
};

} // namespace velmora
