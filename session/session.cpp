// session/session.cpp — a session file as UTF-8 JSON (session layer, Qt Core)
#include "session/session.h"

#include "core/floatingpointerror.h"
#include "core/numbertext.h"
#include "core/settingfields.h"
#include "session/atomicfile.h"
#include "session/jsonreader.h"
#include "session/loopjson.h"
#include "session/sessionview.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <tuple>

namespace velmora {

const char *const SessionExtension = ".velmora";

namespace {

const char *const FormatName = "velmora-session";
constexpr int Version = 1;

// The keys of a session file, each written here once.
namespace Key {
constexpr const char *Format = "format";
constexpr const char *Version = "version";
constexpr const char *Settings = "settings";
constexpr const char *Isogains = "isogains";
constexpr const char *Isophases = "isophases";
constexpr const char *Loops = "loops";
constexpr const char *Expression = "expression";
constexpr const char *Csv = "csv";
constexpr const char *CsvHertz = "csv_hz";
constexpr const char *Color = "color";
constexpr const char *GainDb = "gain_db";
constexpr const char *Visible = "visible";
constexpr const char *Name = "name";
constexpr const char *Compensator = "compensator";
constexpr const char *Target = "target";
} // namespace Key

QString colorText(Color color)
{
    return QString::fromStdString(ColorText(color));
}

void readSettings(const JsonReader &r, ChartSettings &s)
{
    const ChartSettings widest = WidestExtents(s);
    for (const SettingField &field : SettingFields()) {
        const char *key = field.sessionKey;
        const SettingValue current = field.get(s);
        switch (field.kind) {
        case SettingKind::Number: {
            // A step is held to what the widest extents allow (see WidestExtents).
            const bool step = field.limitText != nullptr;
            field.set(s,
                r.inRange(key, std::get<double>(current), *field.entry, step ? widest : s,
                    field.wholePixels));
            break;
        }
        case SettingKind::Switch:
            field.set(s, r.boolean(key, std::get<bool>(current)));
            break;
        case SettingKind::Text:
            field.set(s,
                r.text(key, QString::fromStdString(std::get<std::string>(current))).toStdString());
            break;
        case SettingKind::Colour:
            field.set(s, r.color(key, std::get<Color>(current)));
            break;
        }
    }
}

// The list's texts as typed, and their values read as the main window reads them when Entrée
// is pressed: a value out of the list's range stands as the list's stand-in.
std::vector<std::string> readTexts(const JsonReader &r, const char *key,
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
            RefuseKey(item, QStringLiteral("doit être un texte"));
        texts.push_back(array[i].toString().toStdString());
    }
    if (texts.empty()) // a list keeps one row
        texts.emplace_back();
    try {
        values = ValuesFromTexts(texts);
    } catch (const FloatingPointError &error) {
        RefuseKey(r.name(key), QStringLiteral(": ") + QString::fromUtf8(error.what()));
    }
    for (double &v : values)
        if (!Accepted(entry, v, settings))
            v = standIn;
    return texts;
}

LoopSpec readLoop(
    const QJsonValue &value, const QString &name, std::size_t index, const ChartSettings &settings)
{
    if (!value.isObject())
        RefuseKey(name, QStringLiteral("doit être un objet"));
    const JsonReader r(value.toObject(), name + '.');
    LoopSpec loop;
    const bool expression = r.has(Key::Expression);
    const bool csv = r.has(Key::Csv);
    if (expression == csv)
        RefuseKey(name, QStringLiteral("doit avoir soit « expression », soit « csv »"));
    if (expression) {
        loop.expression = r.text(Key::Expression, QString()).toStdString();
        try {
            TransferFunction::parse(loop.expression);
        } catch (const ExpressionError &error) {
            RefuseKey(
                r.name(Key::Expression), QStringLiteral(": ") + QString::fromUtf8(error.what()));
        }
    } else {
        loop.csvPath = r.text(Key::Csv, QString()).toStdString();
        if (loop.csvPath.empty())
            RefuseKey(r.name(Key::Csv), QStringLiteral("ne doit pas être vide"));
        loop.csvHertz = r.boolean(Key::CsvHertz, false);
    }
    loop.color = r.color(Key::Color, DefaultLoopColor(index));
    loop.gainDb = r.inRange(Key::GainDb, 0, Entry::LoopGainDb, settings);
    loop.visible = r.boolean(Key::Visible, true);
    loop.name = r.text(Key::Name, QString()).toStdString();
    if (r.has(Key::Compensator))
        loop.compensator = ReadCompensator(r.value(Key::Compensator), r.name(Key::Compensator));
    if (r.has(Key::Target))
        loop.target = ReadTarget(r.value(Key::Target), r.name(Key::Target));
    return loop;
}

} // namespace

QString LoopSourceKey(std::size_t index, const LoopSpec &loop)
{
    return QStringLiteral("%1[%2].%3")
        .arg(QLatin1String(Key::Loops))
        .arg(index)
        .arg(QLatin1String(loop.isMeasured() ? Key::Csv : Key::Expression));
}

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
    const JsonReader root(document.object(), QString());
    if (root.text(Key::Format, QString()) != QLatin1String(FormatName))
        RefuseKey(QLatin1String(Key::Format), QStringLiteral("doit être « %1 »").arg(FormatName));
    if (root.has(Key::Version) && root.number(Key::Version, Version) != Version)
        RefuseKey(QLatin1String(Key::Version), QStringLiteral("doit être %1").arg(Version));

    Session session;
    if (root.has(Key::Settings))
        readSettings(JsonReader(root.object(Key::Settings), QLatin1String(Key::Settings) + '.'),
            session.settings);
    session.isogainTexts
        = readTexts(root, Key::Isogains, session.isogainTexts, session.settings.isogainValues,
            Entry::IsogainValue, RefusedIsogainStandIn, session.settings);
    session.isophaseTexts
        = readTexts(root, Key::Isophases, session.isophaseTexts, session.settings.isophaseValues,
            Entry::IsophaseValue, RefusedIsophaseStandIn, session.settings);
    if (root.has(Key::Loops)) {
        const QJsonArray loops = root.array(Key::Loops);
        if (static_cast<std::size_t>(loops.size()) > MaxLoops)
            RefuseKey(
                QLatin1String(Key::Loops), QStringLiteral("a plus de %1 boucles").arg(MaxLoops));
        for (qsizetype i = 0; i < loops.size(); ++i)
            session.loops.push_back(
                readLoop(loops[i], QStringLiteral("%1[%2]").arg(QLatin1String(Key::Loops)).arg(i),
                    static_cast<std::size_t>(i), session.settings));
    }
    ReadViewKeys(root, session);
    return session;
}

QByteArray WriteSession(const Session &session)
{
    QJsonObject settings;
    for (const SettingField &field : SettingFields()) {
        const SettingValue value = field.get(session.settings);
        QJsonValue written;
        switch (field.kind) {
        case SettingKind::Number:
            written = std::get<double>(value);
            break;
        case SettingKind::Switch:
            written = std::get<bool>(value);
            break;
        case SettingKind::Text:
            written = QString::fromStdString(std::get<std::string>(value));
            break;
        case SettingKind::Colour:
            written = colorText(std::get<Color>(value));
            break;
        }
        settings.insert(QLatin1String(field.sessionKey), written);
    }
    const auto texts = [](const std::vector<std::string> &list) {
        QJsonArray array;
        for (const std::string &t : list)
            array.append(QString::fromStdString(t));
        return array;
    };
    QJsonArray loops;
    for (const LoopSpec &loop : session.loops) {
        QJsonObject object;
        if (!loop.expression.empty()) {
            object[QLatin1String(Key::Expression)] = QString::fromStdString(loop.expression);
        } else {
            object[QLatin1String(Key::Csv)] = QString::fromStdString(loop.csvPath);
            if (loop.csvHertz)
                object[QLatin1String(Key::CsvHertz)] = true;
        }
        object[QLatin1String(Key::Color)] = colorText(loop.color);
        object[QLatin1String(Key::GainDb)] = loop.gainDb;
        object[QLatin1String(Key::Visible)] = loop.visible;
        if (!loop.name.empty())
            object[QLatin1String(Key::Name)] = QString::fromStdString(loop.name);
        if (!loop.compensator.empty())
            object[QLatin1String(Key::Compensator)] = CompensatorJson(loop.compensator);
        if (loop.target)
            object[QLatin1String(Key::Target)] = TargetJson(*loop.target);
        loops.append(object);
    }
    QJsonObject root {
        { QLatin1String(Key::Format), QLatin1String(FormatName) },
        { QLatin1String(Key::Version), Version },
        { QLatin1String(Key::Settings), settings },
        { QLatin1String(Key::Isogains), texts(session.isogainTexts) },
        { QLatin1String(Key::Isophases), texts(session.isophaseTexts) },
        { QLatin1String(Key::Loops), loops },
    };
    WriteViewKeys(session, root);
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
    for (LoopSpec &loop : session.loops)
        if (!loop.csvPath.empty())
            loop.csvPath
                = QDir::cleanPath(folder.absoluteFilePath(QString::fromStdString(loop.csvPath)))
                      .toStdString();
    return session;
}

void WriteSessionFile(Session session, const QString &path)
{
    const QDir folder = QFileInfo(path).absoluteDir();
    for (LoopSpec &loop : session.loops)
        if (!loop.csvPath.empty())
            loop.csvPath
                = folder.relativeFilePath(QString::fromStdString(loop.csvPath)).toStdString();
    try {
        WriteFileAtomically(path, WriteSession(session));
    } catch (const FileWriteError &error) {
        throw SessionError(QStringLiteral("impossible d'enregistrer la session : %1")
                               .arg(QString::fromUtf8(error.what()))
                               .toStdString());
    }
}

} // namespace velmora
