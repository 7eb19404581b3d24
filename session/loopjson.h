// session/loopjson.h — a loop's compensator and target in a session file (session layer, Qt
// Core)
#pragma once

#include "core/loopspec.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

namespace velmora {

// [{"type": "lead", "omega": 1.5, "phase_deg": 40}, ...]: each element by its type's key and its
// parameters' keys (the table of compensator elements). Throws SessionError naming the key at
// fault (`name` is the array's, "loops[0].compensator"): an unknown type, a parameter missing,
// not a number or out of its range.
Compensator ReadCompensator(const QJsonValue &value, const QString &name);
QJsonArray CompensatorJson(const Compensator &compensator);

// {"kind": "mr", "value": 2.3}; the kinds are the targets' keys.
LoopTarget ReadTarget(const QJsonValue &value, const QString &name);
QJsonObject TargetJson(const LoopTarget &target);

} // namespace velmora
