// ui/chartwindow.cpp — the chart window (ui layer)
#include "ui/chartwindow.h"

#include "ui/chartdocument.h"
#include "ui/chartview.h"
#include "ui_chartwindow.h"

#include <QCloseEvent>

namespace velmora {

ChartWindow::ChartWindow(const ChartDocument &document, QWidget *parent)
    // A title bar with no system menu, no minimise, maximise or close box.
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , m_document(document)
    , m_form(std::make_unique<Ui::ChartWindow>())
{
    m_form->setupUi(this);
    m_view = m_form->Image1;
    move(619, 137);
    setAttribute(Qt::WA_ShowWithoutActivating);
    connect(&document, &ChartDocument::chartChanged, this, &ChartWindow::redraw);
}

ChartWindow::~ChartWindow() = default;

void ChartWindow::redraw()
{
    m_view->setChart(m_document.settings(), WindowProfile());
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

void ChartWindow::closeEvent(QCloseEvent *event)
{
    // Nothing hides the chart window; it ends with the program.
    event->ignore();
}

} // namespace velmora
