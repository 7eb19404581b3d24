// session/loopjson.cpp — a loop's compensator and target in a session file (session layer)
#include "session/loopjson.h"

#include "session/jsonreader.h"

#include <cmath>

namespace velmora {

namespace {

const char *const TypeKey = "type";
const char *const KindKey = "kind";
const char *const ValueKey = "value";

QString keyOf(std::string_view key)
{
    return QString::fromUtf8(key.data(), static_cast<qsizetype>(key.size()));
}

} // namespace

Compensator ReadCompensator(const QJsonValue &value, const QString &name)
{
    if (!value.isArray())
        RefuseKey(name, QStringLiteral("doit être une liste"));
    Compensator compensator;
    const QJsonArray elements = value.toArray();
    for (qsizetype i = 0; i < elements.size(); ++i) {
        const QString item = QStringLiteral("%1[%2]").arg(name).arg(i);
        if (!elements[i].isObject())
            RefuseKey(item, QStringLiteral("doit être un objet"));
        const QJsonObject object = elements[i].toObject();
        const QString type = object.value(QLatin1String(TypeKey)).toString();
        const std::optional<ElementKind> kind = ElementKindOfKey(type.toStdString());
        if (!kind)
            RefuseKey(
                item + '.' + QLatin1String(TypeKey), QStringLiteral("inconnu : « %1 »").arg(type));
        CompensatorElement element { *kind, {} };
        const ElementInfo &info = InfoOf(*kind);
        for (std::size_t p = 0; p < info.parameterCount; ++p) {
            const QString key = item + '.' + keyOf(info.parameters[p].key);
            const QJsonValue v = object.value(keyOf(info.parameters[p].key));
            if (!v.isDouble())
                RefuseKey(key, QStringLiteral("doit être un nombre"));
            if (const std::optional<std::string> refusal = ParameterRefusal(*kind, p, v.toDouble()))
                RefuseKey(key, QStringLiteral(": ") + QString::fromStdString(*refusal));
            element.parameters[p] = v.toDouble();
        }
        compensator.push_back(element);
    }
    return compensator;
}

QJsonArray CompensatorJson(const Compensator &compensator)
{
    QJsonArray array;
    for (const CompensatorElement &element : compensator) {
        const ElementInfo &info = InfoOf(element.kind);
        QJsonObject object { { QLatin1String(TypeKey), keyOf(info.key) } };
        for (std::size_t p = 0; p < info.parameterCount; ++p)
            object[keyOf(info.parameters[p].key)] = element.parameters[p];
        array.append(object);
    }
    return array;
}

LoopTarget ReadTarget(const QJsonValue &value, const QString &name)
{
    if (!value.isObject())
        RefuseKey(name, QStringLiteral("doit être un objet"));
    const QJsonObject object = value.toObject();
    const QString kind = object.value(QLatin1String(KindKey)).toString();
    const std::optional<TargetKind> target = TargetKindOfKey(kind.toStdString());
    if (!target)
        RefuseKey(name + '.' + QLatin1String(KindKey),
            QStringLiteral("inconnu : « %1 » (mr, pm, gm, wb ou wc attendu)").arg(kind));
    const QJsonValue v = object.value(QLatin1String(ValueKey));
    if (!v.isDouble() || !std::isfinite(v.toDouble()))
        RefuseKey(name + '.' + QLatin1String(ValueKey), QStringLiteral("doit être un nombre"));
    return { *target, v.toDouble() };
}

QJsonObject TargetJson(const LoopTarget &target)
{
    return { { QLatin1String(KindKey), keyOf(InfoOf(target.kind).key) },
        { QLatin1String(ValueKey), target.value } };
}

} // namespace velmora
