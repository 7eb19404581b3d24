// ui/documentloop.cpp — a loop of the document (ui layer)
#include "ui/documentloop.h"

#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace velmora {

QString DocumentLoop::title() const
{
    return expression.isEmpty() ? QFileInfo(csvPath).fileName() : expression;
}

DocumentLoop DocumentLoop::fromExpression(const QString &expression, Color color)
{
    DocumentLoop loop;
    loop.expression = expression;
    loop.color = color;
    loop.function = std::make_shared<const TransferFunction>(
        TransferFunction::parse(expression.toStdString()));
    return loop;
}

DocumentLoop DocumentLoop::fromCsv(const QString &path, bool hertz, Color color)
{
    QFile file(path);
    // A regular file only: a FIFO or a device would block the program or never end.
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw std::runtime_error(
            QStringLiteral("impossible de lire « %1 »").arg(path).toStdString());
    DocumentLoop loop;
    loop.csvPath = QFileInfo(path).absoluteFilePath();
    loop.csvHertz = hertz;
    loop.color = color;
    loop.data = std::make_shared<const MeasuredResponse>(
        ReadMeasuredResponse(file.readAll().toStdString(), hertz));
    return loop;
}

LoopAnalysis DocumentLoop::analyse(const ChartSettings &settings) const
{
    const AnalysisOptions options = AnalysisOptionsFor(settings);
    if (function)
        return AnalyseLoop(*function, gainDb, options);
    if (data)
        return AnalyseMeasuredLoop(*data, gainDb, options);
    return {};
}

} // namespace velmora
