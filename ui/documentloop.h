// ui/documentloop.h — a loop of the document: what the user gave, and what it was read into (ui
// layer)
#pragma once

#include "core/chartsettings.h"
#include "core/loopanalysis.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace velmora {

struct DocumentLoop {
    QString expression; // the open-loop transfer function as typed; empty for measured data
    QString csvPath; // the data file, absolute
    bool csvHertz = false; // its frequencies are in Hz
    Color color = 0;
    double gainDb = 0; // added to the loop, dB
    bool visible = true;
    // Given by the document, unique for its life: what a view holds on to across changes of the
    // list (the index of a loop moves when one before it is removed).
    std::uint64_t id = 0;
    std::shared_ptr<const TransferFunction> function; // for an expression
    std::shared_ptr<const MeasuredResponse> data; // for a data file

    // What the lists and the read-out call the loop: its expression, or its file's name.
    QString title() const;

    // Throws ExpressionError.
    static DocumentLoop fromExpression(const QString &expression, Color color);
    // Throws DataError, and std::runtime_error (French) when the file cannot be read.
    static DocumentLoop fromCsv(const QString &path, bool hertz, Color color);

    // The loop analysed at its gain, sampled for a chart of these settings' extents.
    LoopAnalysis analyse(const ChartSettings &settings) const;
};

} // namespace velmora
