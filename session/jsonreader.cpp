// session/jsonreader.cpp — the keys of one JSON object read and refused (session layer)
#include "session/jsonreader.h"

#include "session/session.h"

namespace velmora {

void RefuseKey(const QString &key, const QString &what)
{
    throw SessionError(QStringLiteral("session refusée : « %1 » %2").arg(key, what).toStdString());
}

} // namespace velmora
