// session/sessionview.h — what a session keeps of the windows and of the chart's view (session
// layer, Qt Core)
#pragma once

#include "core/sessionmodel.h"
#include "session/jsonreader.h"

namespace velmora {

// "windows": {"chart": [x, y, width, height], "loops", "margins", "response"}, "legend": "none" |
// "names" | "margins", "sensitivity_contour": true or false, "view": {"phase": [a, b], "gain":
// [c, d]} within the settings' extents. Missing keys leave the session's defaults; a key that does
// not fit refuses the file (SessionError naming it).
void ReadViewKeys(const JsonReader &root, Session &session);
void WriteViewKeys(const Session &session, QJsonObject &root);

} // namespace velmora
