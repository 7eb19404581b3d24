// ui/sessionfile.h — the document saved to a session file and opened from one (ui layer)
#pragma once

#include "core/sessionmodel.h"

#include <QString>

#include <optional>

namespace velmora {

class ChartDocument;

// Writes the document as a session through the one atomic writer, and marks it saved. Data
// files are named relative to the session's folder. Throws SessionError (French) when the file
// cannot be written; the old file is then as it was.
void SaveSessionFile(ChartDocument &document, const QString &path,
    const std::optional<WindowLayout> &windows = std::nullopt);

// Reads a session and puts it in the document, whole: settings, value lists and loops (data
// files named relative to the session's folder are looked for there); the undo stack starts
// anew. Throws SessionError (French, naming the key or the file at fault); the document is then
// untouched.
void OpenSessionFile(ChartDocument &document, const QString &path);

} // namespace velmora
