// ui/chartwindow.h — the chart window: shows the document's chart, nothing else (ui layer)
#pragma once

#include <QImage>
#include <QWidget>

#include <memory>

namespace Ui {
class ChartWindow;
}

namespace velmora {

class ChartDocument;
class ChartView;

// No border icons, sizeable, never closed by the user; the chart at its natural size at the
// top-left, clipped when the window is smaller. It follows the document: every change draws the
// chart again. Showing it never takes the activation from another window.
class ChartWindow : public QWidget {
    Q_OBJECT
public:
    explicit ChartWindow(const ChartDocument &document, QWidget *parent = nullptr);
    ~ChartWindow() override;

    // Draws the document as it stands now and makes the window visible.
    void redraw();

    // Shown if hidden, restored if minimised, in both cases without taking the focus.
    void makeVisible();

    // What the window shows: the chart image (null before the first drawing).
    QImage chartImage();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    const ChartDocument &m_document;
    std::unique_ptr<Ui::ChartWindow> m_form;
    ChartView *m_view;
    bool m_drawn = false;
};

} // namespace velmora
