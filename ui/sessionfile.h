// ui/sessionfile.h — the document saved to a session file and opened from one (ui layer)
#pragma once

#include <QString>

namespace velmora {

class ChartDocument;

// Writes the document as a session: to a temporary file beside `path`, renamed over it once
// whole, so that a crash never leaves half a file. Data files are named relative to the
// session's folder. Throws SessionError (French) when the file cannot be written.
void SaveSessionFile(const ChartDocument &document, const QString &path);

// Reads a session and puts it in the document, whole: settings, value lists and loops (data
// files named relative to the session's folder are looked for there). Throws SessionError or
// std::runtime_error (French, naming the key or the file at fault); the document is then
// untouched.
void OpenSessionFile(ChartDocument &document, const QString &path);

} // namespace velmora
