// ui/chartoutput.cpp — the chart to the clipboard, to a file, to a printer (ui layer)
#include "ui/chartoutput.h"

#include "render/chartfile.h"
#include "render/paintersurface.h"
#include "render/rastersurface.h"
#include "session/atomicfile.h"
#include "ui/chartdocument.h"
#include "ui/chartwindow.h"
#include "ui/filefolders.h"
#include "ui/prompts.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QPrinter>

#include <stdexcept>

namespace velmora {

ChartOutput::ChartOutput(ChartDocument &document, ChartWindow &chartWindow, Prompts &prompts,
    FileFolders &folders, QObject *parent)
    : QObject(parent)
    , m_document(document)
    , m_chartWindow(chartWindow)
    , m_prompts(prompts)
    , m_folders(folders)
{
}

void ChartOutput::copyToClipboard()
{
    m_chartWindow.makeVisible();
    const ChartScene scene = m_document.scene();
    const ImageSize size { scene.settings.bitmapWidth, scene.settings.bitmapHeight };
    const RenderProfile profile = ClipboardProfile();
    RasterSurface surface(size.width, size.height);
    try {
        DrawChartScene(scene, profile, surface);
    } catch (...) {
        QGuiApplication::clipboard()->setImage(surface.image());
        throw;
    }
    // The bitmap, and the same chart as SVG for the programs that take vector images.
    auto *data = new QMimeData;
    data->setImageData(surface.image());
    data->setData(
        QStringLiteral("image/svg+xml"), ChartFileBytes(ChartFormat::Svg, scene, profile, size));
    QGuiApplication::clipboard()->setMimeData(data);
}

void ChartOutput::exportChart()
{
    const ChartSettings &s = m_document.settings();
    const std::optional<ExportChoice> choice = m_prompts.chooseExport(
        { m_exportPath.isEmpty() ? m_folders.suggested(QStringLiteral("abaque.png")) : m_exportPath,
            s.bitmapWidth, s.bitmapHeight });
    if (!choice)
        return;
    const std::optional<ChartFormat> format = FormatOfFileName(choice->path.toStdString());
    if (!format)
        throw std::runtime_error(
            QStringLiteral("« %1 » : extension .png, .bmp, .svg ou .pdf attendue")
                .arg(choice->path)
                .toStdString());
    WriteFileAtomically(choice->path,
        ChartFileBytes(
            *format, m_document.scene(), ClipboardProfile(), { choice->width, choice->height }));
    m_exportPath = choice->path;
    m_folders.used(choice->path);
}

void ChartOutput::printChart()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Abaque"));
    if (m_prompts.setUpPrinter(printer))
        printOn(printer);
}

void ChartOutput::printOn(QPrinter &printer)
{
    const ChartScene scene = m_document.scene();
    const ImageSize size { scene.settings.bitmapWidth, scene.settings.bitmapHeight };
    QPainter painter;
    if (!painter.begin(&printer))
        throw std::runtime_error("impossible d'imprimer : l'imprimante ne répond pas");
    // The chart scaled to the page, whole, centred.
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = std::min(page.width() / size.width, page.height() / size.height);
    painter.translate(
        (page.width() - scale * size.width) / 2, (page.height() - scale * size.height) / 2);
    painter.scale(scale, scale);
    try {
        PainterSurface surface(painter, size.width, size.height);
        DrawChartScene(scene, ClipboardProfile(), surface);
    } catch (...) {
        painter.end();
        throw;
    }
    painter.end();
}

} // namespace velmora
