// session/session.h — a session file: the chart's settings, its value lists and its loops, as
// UTF-8 JSON (session layer, Qt Core)
#pragma once

#include "core/chartsettings.h"

#include <QByteArray>
#include <QString>

#include <stdexcept>
#include <string>
#include <vector>

namespace velmora {

// A refused session file: the French message names the key at fault; nothing was changed.
class SessionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A loop as a session keeps it: an expression, or the CSV file its data were read from.
struct SessionLoop {
    std::string expression; // empty for data
    std::string csvPath; // as written in the file: absolute, or relative to the session's folder
    bool csvHertz = false; // the file's frequencies are in Hz
    Color color = 0;
    double gainDb = 0;
    bool visible = true;
};

struct Session {
    ChartSettings settings = DefaultChartSettings();
    std::vector<std::string> isogainTexts = DefaultIsogainTexts(); // as typed
    std::vector<std::string> isophaseTexts = DefaultIsophaseTexts();
    std::vector<SessionLoop> loops;
};

// The file's name ends so.
extern const char *const SessionExtension; // ".velmora"

// {"format": "velmora-session", "version": 1, "settings": {"gain_max", "gain_min", "gain_step",
// "phase_min", "phase_step", "grid", "dotted_grid", "font", "font_size", "axis_color",
// "isogain_color", "isophase_color", "bitmap_width", "bitmap_height"}, "isogains": [texts as
// typed], "isophases": [texts], "loops": [{"expression" or "csv", "color", "gain_db",
// "visible"}]}. Missing keys take the defaults, unknown keys are ignored; a value of the wrong type
// or out of its range refuses the whole file (SessionError naming the key). Each loop's expression
// must parse; the value lists' values are those of their texts. Colours are "#RRGGBB".
Session ReadSession(const QByteArray &json);

// The session as ReadSession reads it back, every key written.
QByteArray WriteSession(const Session &session);

// Reads a session file; the data files it names relative to its folder come back absolute.
// Throws SessionError, naming the file when it cannot be read or is too large to be a session.
Session ReadSessionFile(const QString &path);

// Writes a session file whole: to a temporary file beside `path`, renamed over it once
// complete, so that a crash never leaves half a file. Data files are named relative to the
// session's folder. Throws SessionError (French) when the file cannot be written.
void WriteSessionFile(Session session, const QString &path);

} // namespace velmora
