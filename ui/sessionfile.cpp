// ui/sessionfile.cpp — the document saved to a session file and opened from one (ui layer)
#include "ui/sessionfile.h"

#include "session/session.h"
#include "ui/chartdocument.h"

namespace velmora {

namespace {

QStringList toStringList(const std::vector<std::string> &texts)
{
    QStringList list;
    for (const std::string &t : texts)
        list << QString::fromStdString(t);
    return list;
}

std::vector<std::string> toStrings(const QStringList &texts)
{
    std::vector<std::string> strings;
    for (const QString &t : texts)
        strings.push_back(t.toStdString());
    return strings;
}

} // namespace

void SaveSessionFile(const ChartDocument &document, const QString &path)
{
    Session session;
    session.settings = document.settings();
    session.isogainTexts = toStrings(document.texts(ValueList::Isogain));
    session.isophaseTexts = toStrings(document.texts(ValueList::Isophase));
    for (const DocumentLoop &loop : document.loops()) {
        SessionLoop saved;
        saved.expression = loop.expression.toStdString();
        saved.csvPath = loop.csvPath.toStdString();
        saved.csvHertz = loop.csvHertz;
        saved.color = loop.color;
        saved.gainDb = loop.gainDb;
        saved.visible = loop.visible;
        session.loops.push_back(saved);
    }
    WriteSessionFile(std::move(session), path);
}

void OpenSessionFile(ChartDocument &document, const QString &path)
{
    const Session session = ReadSessionFile(path);
    std::vector<DocumentLoop> loops;
    for (std::size_t i = 0; i < session.loops.size(); ++i) {
        const SessionLoop &saved = session.loops[i];
        DocumentLoop loop;
        if (!saved.expression.empty()) {
            loop = DocumentLoop::fromExpression(
                QString::fromStdString(saved.expression), saved.color);
        } else {
            try {
                loop = DocumentLoop::fromCsv(
                    QString::fromStdString(saved.csvPath), saved.csvHertz, saved.color);
            } catch (const std::exception &error) {
                throw SessionError(QStringLiteral("session refusée : « loops[%1].csv » : %2")
                                       .arg(i)
                                       .arg(QString::fromUtf8(error.what()))
                                       .toStdString());
            }
        }
        loop.gainDb = saved.gainDb;
        loop.visible = saved.visible;
        loops.push_back(std::move(loop));
    }
    document.replace(session.settings, toStringList(session.isogainTexts),
        toStringList(session.isophaseTexts), std::move(loops));
}

} // namespace velmora
