// session/session.cpp — a session file as UTF-8 JSON (session layer, Qt Core)
#include "session/session.h"

#include "core/floatingpointerror.h"
#include "core/loopanalysis.h"
#include "core/numbertext.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <cmath>

namespace velmora {

const char *const SessionExtension = ".velmora";

namespace {

const char *const Format = "velmora-session";
constexpr int Version = 1;
constexpr std::size_t MaxSessionLoops = 8;
// Far beyond any session (a few kilobytes): a larger file is something else.
constexpr qint64 MaxSessionBytes = 16 * 1024 * 1024;

[[noreturn]] void refuse(const QString &key, const QString &what)
{
    throw SessionError(QStringLiteral("session refusée : « %1 » %2").arg(key, what).toStdString());
}

QString colorText(Color color)
{
    return QStringLiteral("#%1%2%3")
        .arg(RedOf(color), 2, 16, QChar('0'))
        .arg(GreenOf(color), 2, 16, QChar('0'))
        .arg(BlueOf(color), 2, 16, QChar('0'))
        .toUpper();
}

// Reads the keys of one object, each at most once, and refuses what does not fit.
class Reader {
public:
    Reader(const QJsonObject &object, QString prefix)
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
            refuse(name(key), QStringLiteral("doit être un nombre"));
        return v.toDouble();
    }

    double inRange(const char *key, double fallback, Entry entry, const ChartSettings &current,
        bool wholeNumber = false) const
    {
        const double v = number(key, fallback);
        const EntryRange range = RangeOf(entry, current);
        if (!range.contains(v) || (wholeNumber && v != std::floor(v)))
            refuse(name(key),
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
            refuse(name(key), QStringLiteral("doit être true ou false"));
        return v.toBool();
    }

    QString text(const char *key, const QString &fallback) const
    {
        if (!has(key))
            return fallback;
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (!v.isString())
            refuse(name(key), QStringLiteral("doit être un texte"));
        return v.toString();
    }

    Color color(const char *key, Color fallback) const
    {
        if (!has(key))
            return fallback;
        const std::optional<Color> rgb = ColorFromText(text(key, QString()).toStdString());
        if (!rgb)
            refuse(name(key), QStringLiteral("doit être une couleur #RRGGBB"));
        return *rgb;
    }

    QJsonArray array(const char *key) const
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (!v.isArray())
            refuse(name(key), QStringLiteral("doit être une liste"));
        return v.toArray();
    }

    QJsonObject object(const char *key) const
    {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (!v.isObject())
            refuse(name(key), QStringLiteral("doit être un objet"));
        return v.toObject();
    }

private:
    QJsonObject m_object;
    QString m_prefix;
};

void readSettings(const Reader &r, ChartSettings &s)
{
    s.gainMax = r.inRange("gain_max", s.gainMax, Entry::GainMax, s);
    s.gainMin = r.inRange("gain_min", s.gainMin, Entry::GainMin, s);
    s.phaseMin = r.inRange("phase_min", s.phaseMin, Entry::PhaseMin, s);
    // The windows test a step against the extents of the moment and keep it when the extents
    // change later, so a saved step is held only to what the widest extents allow.
    ChartSettings widest = s;
    widest.gainMax = RangeOf(Entry::GainMax, s).high;
    widest.phaseMin = RangeOf(Entry::PhaseMin, s).low;
    s.gainStep = r.inRange("gain_step", s.gainStep, Entry::GainStep, widest);
    s.phaseStep = r.inRange("phase_step", s.phaseStep, Entry::PhaseStep, widest);
    s.axisStyle.grid = r.boolean("grid", s.axisStyle.grid);
    s.axisStyle.dottedGrid = r.boolean("dotted_grid", s.axisStyle.dottedGrid);
    s.axisStyle.fontName
        = r.text("font", QString::fromStdString(s.axisStyle.fontName)).toStdString();
    s.axisStyle.fontSize
        = static_cast<int>(r.inRange("font_size", s.axisStyle.fontSize, Entry::FontSize, s));
    s.axisStyle.axisColor = r.color("axis_color", s.axisStyle.axisColor);
    s.isogainColor = r.color("isogain_color", s.isogainColor);
    s.isophaseColor = r.color("isophase_color", s.isophaseColor);
    s.bitmapWidth
        = static_cast<int>(r.inRange("bitmap_width", s.bitmapWidth, Entry::BitmapWidth, s, true));
    s.bitmapHeight = static_cast<int>(
        r.inRange("bitmap_height", s.bitmapHeight, Entry::BitmapHeight, s, true));
}

// The list's texts as typed, and their values read as the main window reads them when Entrée
// is pressed: a value out of the list's range stands as the list's stand-in.
std::vector<std::string> readTexts(const Reader &r, const char *key,
    const std::vector<std::string> &fallback, std::vector<double> &values, Entry entry,
    double standIn, const ChartSettings &settings)
{
    if (!r.has(key)) {
        values = ValuesFromTexts(fallback);
        return fallback;
    }
    std::vector<std::string> texts;
    const QJsonArray array = r.array(key);
    for (qsizetype i = 0; i < array.size(); ++i) {
        const QString item = QStringLiteral("%1[%2]").arg(r.name(key)).arg(i);
        if (!array[i].isString())
            refuse(item, QStringLiteral("doit être un texte"));
        texts.push_back(array[i].toString().toStdString());
    }
    if (texts.empty()) // a list keeps one row
        texts.emplace_back();
    try {
        values = ValuesFromTexts(texts);
    } catch (const FloatingPointError &error) {
        refuse(r.name(key), QStringLiteral(": ") + QString::fromUtf8(error.what()));
    }
    for (double &v : values)
        if (!Accepted(entry, v, settings))
            v = standIn;
    return texts;
}

SessionLoop readLoop(
    const QJsonValue &value, const QString &name, std::size_t index, const ChartSettings &settings)
{
    if (!value.isObject())
        refuse(name, QStringLiteral("doit être un objet"));
    const Reader r(value.toObject(), name + '.');
    SessionLoop loop;
    const bool expression = r.has("expression");
    const bool csv = r.has("csv");
    if (expression == csv)
        refuse(name, QStringLiteral("doit avoir soit « expression », soit « csv »"));
    if (expression) {
        loop.expression = r.text("expression", QString()).toStdString();
        try {
            TransferFunction::parse(loop.expression);
        } catch (const ExpressionError &error) {
            refuse(r.name("expression"), QStringLiteral(": ") + QString::fromUtf8(error.what()));
        }
    } else {
        loop.csvPath = r.text("csv", QString()).toStdString();
        if (loop.csvPath.empty())
            refuse(r.name("csv"), QStringLiteral("ne doit pas être vide"));
        loop.csvHertz = r.boolean("csv_hz", false);
    }
    loop.color = r.color("color", DefaultLoopColor(index));
    loop.gainDb = r.inRange("gain_db", 0, Entry::LoopGainDb, settings);
    loop.visible = r.boolean("visible", true);
    return loop;
}

} // namespace

Session ReadSession(const QByteArray &json)
{
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        throw SessionError(QStringLiteral("session refusée : JSON illisible à l'octet %1 (%2)")
                               .arg(error.offset)
                               .arg(error.errorString())
                               .toStdString());
    if (!document.isObject())
        throw SessionError("session refusée : un objet JSON est attendu");
    const Reader root(document.object(), QString());
    if (root.text("format", QString()) != QLatin1String(Format))
        refuse(QStringLiteral("format"), QStringLiteral("doit être « %1 »").arg(Format));
    if (root.has("version") && root.number("version", Version) != Version)
        refuse(QStringLiteral("version"), QStringLiteral("doit être %1").arg(Version));

    Session session;
    if (root.has("settings"))
        readSettings(
            Reader(root.object("settings"), QStringLiteral("settings.")), session.settings);
    session.isogainTexts
        = readTexts(root, "isogains", session.isogainTexts, session.settings.isogainValues,
            Entry::IsogainValue, RefusedIsogainStandIn, session.settings);
    session.isophaseTexts
        = readTexts(root, "isophases", session.isophaseTexts, session.settings.isophaseValues,
            Entry::IsophaseValue, RefusedIsophaseStandIn, session.settings);
    if (root.has("loops")) {
        const QJsonArray loops = root.array("loops");
        if (static_cast<std::size_t>(loops.size()) > MaxSessionLoops)
            refuse(QStringLiteral("loops"), QStringLiteral("a plus de 8 boucles"));
        for (qsizetype i = 0; i < loops.size(); ++i)
            session.loops.push_back(readLoop(loops[i], QStringLiteral("loops[%1]").arg(i),
                static_cast<std::size_t>(i), session.settings));
    }
    return session;
}

QByteArray WriteSession(const Session &session)
{
    const ChartSettings &s = session.settings;
    QJsonObject settings {
        { "gain_max", s.gainMax },
        { "gain_min", s.gainMin },
        { "gain_step", s.gainStep },
        { "phase_min", s.phaseMin },
        { "phase_step", s.phaseStep },
        { "grid", s.axisStyle.grid },
        { "dotted_grid", s.axisStyle.dottedGrid },
        { "font", QString::fromStdString(s.axisStyle.fontName) },
        { "font_size", s.axisStyle.fontSize },
        { "axis_color", colorText(s.axisStyle.axisColor) },
        { "isogain_color", colorText(s.isogainColor) },
        { "isophase_color", colorText(s.isophaseColor) },
        { "bitmap_width", s.bitmapWidth },
        { "bitmap_height", s.bitmapHeight },
    };
    const auto texts = [](const std::vector<std::string> &list) {
        QJsonArray array;
        for (const std::string &t : list)
            array.append(QString::fromStdString(t));
        return array;
    };
    QJsonArray loops;
    for (const SessionLoop &loop : session.loops) {
        QJsonObject object;
        if (!loop.expression.empty()) {
            object["expression"] = QString::fromStdString(loop.expression);
        } else {
            object["csv"] = QString::fromStdString(loop.csvPath);
            if (loop.csvHertz)
                object["csv_hz"] = true;
        }
        object["color"] = colorText(loop.color);
        object["gain_db"] = loop.gainDb;
        object["visible"] = loop.visible;
        loops.append(object);
    }
    const QJsonObject root {
        { "format", QLatin1String(Format) },
        { "version", Version },
        { "settings", settings },
        { "isogains", texts(session.isogainTexts) },
        { "isophases", texts(session.isophaseTexts) },
        { "loops", loops },
    };
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

Session ReadSessionFile(const QString &path)
{
    // A regular file only: a FIFO or a device would block or never end.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        throw SessionError(
            QStringLiteral("impossible de lire la session « %1 »").arg(path).toStdString());
    const QByteArray bytes = file.read(MaxSessionBytes + 1);
    if (bytes.size() > MaxSessionBytes)
        throw SessionError(
            QStringLiteral("« %1 » est trop grand pour être une session").arg(path).toStdString());
    Session session = ReadSession(bytes);
    const QDir folder = QFileInfo(path).absoluteDir();
    for (SessionLoop &loop : session.loops)
        if (!loop.csvPath.empty())
            loop.csvPath
                = QDir::cleanPath(folder.absoluteFilePath(QString::fromStdString(loop.csvPath)))
                      .toStdString();
    return session;
}

void WriteSessionFile(Session session, const QString &path)
{
    const QDir folder = QFileInfo(path).absoluteDir();
    for (SessionLoop &loop : session.loops)
        if (!loop.csvPath.empty())
            loop.csvPath
                = folder.relativeFilePath(QString::fromStdString(loop.csvPath)).toStdString();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(WriteSession(session)) < 0 || !file.commit())
        throw SessionError(QStringLiteral("impossible d'enregistrer la session « %1 » : %2")
                               .arg(path, file.errorString())
                               .toStdString());
}

} // namespace velmora
