// ui/chartwindow.h — the chart window: the document's chart, its loops, and a read-out of the
// values under the pointer (ui layer)
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <optional>

class QLabel;

namespace Ui {
class ChartWindow;
}

namespace velmora {

class ChartDocument;
class ChartView;

// No border icons, sizeable, never closed by the user and never taking the focus. The chart
// starts at 300 x 475 at the top-left, as designed; once the user resizes the window, it is
// drawn at the size of the window's area above the read-out line. It follows the document: every
// change draws the chart again; a locus dragged up or down changes its loop's gain.
class ChartWindow : public QWidget {
    Q_OBJECT
public:
    explicit ChartWindow(ChartDocument &document, QWidget *parent = nullptr);
    ~ChartWindow() override;

    // Draws the document as it stands now and makes the window visible.
    void redraw();

    // Shown if hidden, restored if minimised, in both cases without taking the focus.
    void makeVisible();

    // What the window shows: the chart image (null before the first drawing).
    QImage chartImage();

    // The window's frame once the user has resized it; none while it has its designed size.
    std::optional<QRect> resizedGeometry() const;
    // Puts the window at that frame, clamped to the screen, as a resize by the user would.
    void restoreGeometry(QRect frame);

signals:
    // A locus was taken to be dragged: its loop, by its id.
    void loopPicked(std::uint64_t id);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QSize chartSize() const;
    // A handle of the loop `id` dragged: its element set to the frequency `omega` (rad/s).
    void dragHandle(std::uint64_t id, std::size_t element, double omega);

    ChartDocument &m_document;
    std::unique_ptr<Ui::ChartWindow> m_form;
    ChartView *m_view;
    QLabel *m_readOut;
    QSize m_designedClient { 340, 530 }; // the client within the designed outer size
    bool m_drawn = false;
    bool m_followsWindow = false; // the user has resized the window
    bool m_followsScreen = false; // a change of screen draws the chart again
};

} // namespace velmora
