// ui/sessionfile.cpp — the document saved to a session file and opened from one (ui layer)
#include "ui/sessionfile.h"

#include "session/session.h"
#include "ui/chartdocument.h"

namespace velmora {

void SaveSessionFile(
    ChartDocument &document, const QString &path, const std::optional<WindowLayout> &windows)
{
    Session session = document.session();
    session.windows = windows;
    WriteSessionFile(std::move(session), path);
    document.markSaved(path);
}

void OpenSessionFile(ChartDocument &document, const QString &path)
{
    Session session = ReadSessionFile(path);
    std::vector<LoadedLoop> loaded;
    for (std::size_t i = 0; i < session.loops.size(); ++i) {
        try {
            loaded.push_back(LoadLoop(session.loops[i]));
        } catch (const std::exception &error) {
            throw SessionError(
                QStringLiteral("session refusée : « %1 » : %2")
                    .arg(LoopSourceKey(i, session.loops[i]), QString::fromUtf8(error.what()))
                    .toStdString());
        }
    }
    document.replace(std::move(session), std::move(loaded), path);
}

} // namespace velmora
