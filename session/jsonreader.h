// session/jsonreader.h — the keys of one JSON object read at most once each, and what does not
// fit refused in French, naming the key (session layer, Qt Core)
#pragma once

#include "core/chartsettings.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

namespace velmora {

// Throws SessionError: "session refusée : « key » what".
[[noreturn]] void RefuseKey(const QString &key, const QString &what);

// Reads the keys of one object, each at most once, and refuses what does not fit.
class JsonReader {
public:
    JsonReader(const QJsonObject &object, QString prefix)
        : m_object(object)
        , m_prefix(std::move(prefix))
    {
    }

    bool has(const char *key) const { return m_object.contains(QLatin1String(key)); }

    QString name(const char *key) const { return m_prefix + QLatin1String(key); }

    double number(const char *key, double fallback) const
    {
        if (!has(key))
            return fallback;
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (!v.isDouble())
            RefuseKey(name(key), QStringLiteral("doit être un nombre"));
        return v.toDouble();
    }

    double inRange(const char *key, double fallback, Entry entry, const ChartSettings &current,
        bool wholeNumber = false) const
    {
        const double v = number(key, fallback);
        const EntryRange range = RangeOf(entry, current);
        if (!range.contains(v) || (wholeNumber && v != std::floor(v)))
            RefuseKey(name(key),
                QStringLiteral("hors limites : il faut %1%2")
                    .arg(QString::fromStdString(range.describe("valeur")),
                        wholeNumber ? QStringLiteral(", entier") : QString()));
        return v;
    }

    bool boolean(const char *key, bool fallback) const
    {
        if (!has(key))
            return fallback;
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (!v.isBool())
            RefuseKey(name(key), QStringLiteral("doit être true ou false"));
        return v.toBool();
    }

    QString text(const char *key, const QString &fallback) const
    {
        if (!has(key))
            return fallback;
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (!v.isString())
            RefuseKey(name(key), QStringLiteral("doit être un texte"));
        return v.toString();
    }

    Color color(const char *key, Color fallback) const
    {
        if (!has(key))
            return fallback;
        const std::optional<Color> rgb = ColorFromText(text(key, QString()).toStdString());
        if (!rgb)
            RefuseKey(name(key), QStringLiteral("doit être une couleur #RRGGBB"));
        return *rgb;
    }

    QJsonArray array(const char *key) const
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (!v.isArray())
            RefuseKey(name(key), QStringLiteral("doit être une liste"));
        return v.toArray();
    }

    QJsonValue value(const char *key) const { return m_object.value(QLatin1String(key)); }

    QJsonObject object(const char *key) const
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (!v.isObject())
            RefuseKey(name(key), QStringLiteral("doit être un objet"));
        return v.toObject();
    }

private:
    QJsonObject m_object;
    QString m_prefix;
};

} // namespace velmora
