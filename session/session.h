// session/session.h — a session file: the chart's settings, its value lists and its loops, as
// UTF-8 JSON (session layer, Qt Core)
#pragma once

#include "core/sessionmodel.h"

#include <QByteArray>
#include <QString>

#include <stdexcept>

namespace velmora {

// A refused session file: the French message names the key at fault; nothing was changed.
class SessionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file's name ends so.
extern const char *const SessionExtension; // ".velmora"

// Files larger than this are not sessions (a session is a few kilobytes).
constexpr qint64 MaxSessionBytes = 16 * 1024 * 1024;

// {"format": "velmora-session", "version": 1, "settings": {one key a setting, as the table of
// settings names them}, "isogains": [texts as typed], "isophases": [texts], "loops": [{"expression"
// or "csv" (with "csv_hz"), "color", "gain_db", "visible", "name"}], "legend": "none", "names" or
// "margins", "sensitivity_contour": true or false, "view": {"phase": [from, to], "gain": [from,
// to]} within the settings' extents}. Missing keys take the defaults (no view: the whole
// chart), unknown keys are ignored; a value of the wrong type or out of its range refuses the
// whole file (SessionError naming the key). Each loop's expression must parse; the value lists'
// values are those of their texts. Colours are "#RRGGBB".
Session ReadSession(const QByteArray &json);

// The session as ReadSession reads it back, every key written.
QByteArray WriteSession(const Session &session);

// The key of a loop's source in a session file, for messages: "loops[1].expression" or
// "loops[1].csv".
QString LoopSourceKey(std::size_t index, const LoopSpec &loop);

// Reads a session file; the data files it names relative to its folder come back absolute.
// Throws SessionError, naming the file when it cannot be read or is too large to be a session.
Session ReadSessionFile(const QString &path);

// Writes a session file whole, through the one atomic writer: a failure leaves the old file as
// it was. Data files are named relative to the session's folder. Throws SessionError (French)
// when the file cannot be written.
void WriteSessionFile(Session session, const QString &path);

} // namespace velmora
