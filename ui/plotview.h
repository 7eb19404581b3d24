// ui/plotview.h — a widget that paints a plot drawn on the program's surfaces, reads values
// under the pointer and exports the plot (ui layer)
#pragma once

#include "render/chartfile.h"
#include "render/labelshapes.h"

#include <QImage>
#include <QWidget>

#include <functional>

namespace velmora {

class FileFolders;
class Prompts;

class PlotView : public QWidget {
    Q_OBJECT
public:
    // What the read-out says at a point of a surface of this size (empty: nothing there).
    using ReadOut = std::function<QString(DrawingSurface &surface, QPointF position)>;

    // `exportName`: the file name the export suggests, in the folder files are suggested in.
    PlotView(Prompts &prompts, FileFolders &folders, const QString &exportName,
        QWidget *parent = nullptr);

    // What to draw from now on, at the widget's size; repainted.
    void setPlot(Drawing draw, ReadOut readOut);
    // The plot as painted now.
    QImage image();

signals:
    void readOutChanged(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // Asks for a file (PNG, BMP, SVG or PDF) and writes the plot there at the widget's size.
    void exportPlot();

    Prompts &m_prompts;
    FileFolders &m_folders;
    QString m_exportName;
    Drawing m_draw;
    ReadOut m_readOut;
    QImage m_image;
    bool m_stale = true;
    LabelShapes m_shapes; // kept between drawings: a redraw shapes no label again
};

} // namespace velmora
