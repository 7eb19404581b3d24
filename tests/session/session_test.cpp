// Session files: what is read back, what is refused and how the refusal names the key.
#include "session/session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

std::string refusal(const char *json)
{
    try {
        ReadSession(QByteArray(json));
    } catch (const SessionError &error) {
        return error.what();
    }
    return "accepted";
}

TEST(Session, WrittenSessionReadsBackTheSame)
{
    Session session;
    ChartSettings &s = session.settings;
    s.gainMax = 25.5;
    s.gainMin = -12;
    s.gainStep = 0.1; // not exact in binary: must come back to the bit
    s.phaseMin = -300;
    s.phaseStep = 45;
    s.axisStyle.grid = true;
    s.axisStyle.dottedGrid = true;
    s.axisStyle.fontName = "DejaVu Serif";
    s.axisStyle.fontSize = 11;
    s.axisStyle.axisColor = RgbColor(1, 2, 3);
    s.isogainColor = RgbColor(200, 100, 0);
    s.isophaseColor = RgbColor(0, 0, 255);
    s.bitmapWidth = 555;
    s.bitmapHeight = 777;
    session.isogainTexts = { "6", "1.50", "  -3" }; // as typed, blanks and all
    session.isophaseTexts = { "-180" };
    session.loops.push_back(
        { "0.5*exp(-0.2*s)/(s*(0.5*s+1))", "", false, RgbColor(9, 8, 7), -4.25, false });
    session.loops.push_back({ "", "mesures/bode.csv", true, RgbColor(0, 90, 200), 3, true });

    const Session back = ReadSession(WriteSession(session));
    const ChartSettings &b = back.settings;
    EXPECT_EQ(b.gainMax, s.gainMax);
    EXPECT_EQ(b.gainMin, s.gainMin);
    EXPECT_EQ(b.gainStep, s.gainStep);
    EXPECT_EQ(b.phaseMin, s.phaseMin);
    EXPECT_EQ(b.phaseStep, s.phaseStep);
    EXPECT_TRUE(b.axisStyle.grid && b.axisStyle.dottedGrid);
    EXPECT_EQ(b.axisStyle.fontName, "DejaVu Serif");
    EXPECT_EQ(b.axisStyle.fontSize, 11);
    EXPECT_EQ(b.axisStyle.axisColor, s.axisStyle.axisColor);
    EXPECT_EQ(b.isogainColor, s.isogainColor);
    EXPECT_EQ(b.isophaseColor, s.isophaseColor);
    EXPECT_EQ(b.bitmapWidth, 555);
    EXPECT_EQ(b.bitmapHeight, 777);
    EXPECT_EQ(back.isogainTexts, session.isogainTexts);
    EXPECT_EQ(b.isogainValues, (std::vector<double> { 6, 1.5, -3 }));
    EXPECT_EQ(b.isophaseValues, (std::vector<double> { -180 }));
    ASSERT_EQ(back.loops.size(), 2u);
    EXPECT_EQ(back.loops[0].expression, session.loops[0].expression);
    EXPECT_EQ(back.loops[0].color, RgbColor(9, 8, 7));
    EXPECT_EQ(back.loops[0].gainDb, -4.25);
    EXPECT_FALSE(back.loops[0].visible);
    EXPECT_EQ(back.loops[1].csvPath, "mesures/bode.csv");
    EXPECT_TRUE(back.loops[1].csvHertz);
    EXPECT_TRUE(back.loops[1].visible);
}

TEST(Session, MissingKeysTakeTheDefaultsAndUnknownKeysAreIgnored)
{
    const Session session = ReadSession(R"J({"format": "velmora-session", "comment": "x",
        "settings": {"gain_max": 60, "theme": "dark"}, "loops": [{"expression": "1/s"}]})J");
    ChartSettings expected = DefaultChartSettings();
    expected.gainMax = 60;
    EXPECT_EQ(session.settings.gainMax, 60);
    EXPECT_EQ(session.settings.gainMin, expected.gainMin);
    EXPECT_EQ(session.settings.isogainValues, expected.isogainValues);
    EXPECT_EQ(session.isophaseTexts, DefaultIsophaseTexts());
    ASSERT_EQ(session.loops.size(), 1u);
    EXPECT_EQ(session.loops[0].color, DefaultLoopColor(0));
    // What the program itself can hold and save reads back: a step kept from wider extents,
    // and list texts out of range, whose values are the lists' stand-ins as Entrée reads them.
    const Session kept = ReadSession(R"J({"format": "velmora-session",
        "settings": {"gain_max": 3, "gain_step": 2, "phase_min": -180, "phase_step": 100},
        "isogains": ["6", "1e300", "150"], "isophases": ["-90", "0.5"]})J");
    EXPECT_EQ(kept.settings.gainStep, 2);
    EXPECT_EQ(kept.settings.phaseStep, 100);
    EXPECT_EQ(kept.isogainTexts, (std::vector<std::string> { "6", "1e300", "150" }));
    EXPECT_EQ(kept.settings.isogainValues,
        (std::vector<double> { 6, RefusedIsogainStandIn, RefusedIsogainStandIn }));
    EXPECT_EQ(kept.settings.isophaseValues, (std::vector<double> { -90, RefusedIsophaseStandIn }));
    EXPECT_EQ(session.loops[0].gainDb, 0);
    EXPECT_TRUE(session.loops[0].visible);
}

TEST(Session, RefusalNamesTheKeyAtFault)
{
    const struct {
        const char *json;
        const char *mention;
    } cases[] = {
        { R"J({"format": "velmora-session", "settings": {"gain_max": "40"}})J",
            "« settings.gain_max » doit être un nombre" },
        { R"J({"format": "velmora-session", "settings": {"gain_max": 150}})J",
            "« settings.gain_max » hors limites" },
        // A step is held to what the widest extents allow (the windows keep a step when the
        // extents shrink after it).
        { R"J({"format": "velmora-session", "settings": {"gain_max": 10, "gain_step": 50}})J",
            "« settings.gain_step »" },
        { R"J({"format": "velmora-session", "settings": {"phase_step": 180}})J",
            "« settings.phase_step »" },
        { R"J({"format": "velmora-session", "settings": {"font_size": 8.5}})J",
            "« settings.font_size »" },
        { R"J({"format": "velmora-session", "settings": {"bitmap_width": 399}})J",
            "« settings.bitmap_width »" },
        { R"J({"format": "velmora-session", "settings": {"grid": 1}})J",
            "« settings.grid » doit être true ou false" },
        { R"J({"format": "velmora-session", "settings": {"axis_color": "red"}})J",
            "« settings.axis_color » doit être une couleur #RRGGBB" },
        { R"J({"format": "velmora-session", "isogains": ["6", 3]})J", "« isogains[1] »" },
        { R"J({"format": "velmora-session", "loops": [{"expression": "4/(s*(s+1)"}]})J",
            "« loops[0].expression » : colonne 11" },
        { R"J({"format": "velmora-session", "loops": [{"expression": "1/s", "csv": "a.csv"}]})J",
            "« loops[0] » doit avoir soit" },
        { R"J({"format": "velmora-session", "loops": [{"expression": "1/s", "gain_db": 100}]})J",
            "« loops[0].gain_db »" },
        { R"J({"format": "velmora-session", "loops": [1,2,3,4,5,6,7,8,9]})J", "« loops »" },
        { R"J({"format": "velmora-session", "version": 2})J", "« version »" },
        { R"J({"format": "autre chose"})J", "« format »" },
        { R"J({"format": "velmora-session", )J", "JSON illisible" },
        { R"J([1, 2])J", "un objet JSON est attendu" },
        { R"J({"format": "velmora-session", "legend": "all"})J", "« legend » doit être" },
        { R"J({"format": "velmora-session", "sensitivity_contour": "yes"})J",
            "« sensitivity_contour » doit être true ou false" },
        { R"J({"format": "velmora-session", "view": [1, 2]})J", "« view » doit être un objet" },
        { R"J({"format": "velmora-session", "view": {"phase": [-100, -200]}})J",
            "« view.phase » doit être [début, fin]" },
        { R"J({"format": "velmora-session", "view": {"phase": [-200, -100], "gain": [-40, 0]}})J",
            "« view.gain » doit être [début, fin] en dB, début < fin, de -30 à 40" },
        { R"J({"format": "velmora-session", "view": {"phase": [-200, 20], "gain": [-3, 3]}})J",
            "« view.phase »" },
        { R"J({"format": "velmora-session", "view": {"gain": [-3, 3]}})J", "« view.phase »" },
    };
    for (const auto &c : cases) {
        const std::string reason = refusal(c.json);
        EXPECT_NE(reason.find(c.mention), std::string::npos) << c.json << "\n" << reason;
        EXPECT_EQ(reason.rfind("session refusée", 0), 0u) << reason;
    }
}

// How the chart shows the loops, and the part of it shown, within the extents the same file sets.
TEST(Session, LegendSensitivityViewAndNamesReadBack)
{
    Session session;
    session.settings.gainMax = 60;
    session.loops.push_back({ "4/(s*(s+1)*(s+2))", "", false, 0, 0, true, "procédé réglé" });
    for (const LegendKind legend : { LegendKind::None, LegendKind::Names, LegendKind::Margins }) {
        for (const bool sensitivity : { false, true }) {
            session.legend = legend;
            session.showSensitivity = sensitivity;
            session.view = sensitivity ? std::optional<ViewExtents>({ -200.5, -160, 41, 55.25 })
                                       : std::nullopt;
            const Session back = ReadSession(WriteSession(session));
            EXPECT_EQ(back.legend, legend);
            EXPECT_EQ(back.showSensitivity, sensitivity);
            EXPECT_EQ(back.view, session.view);
            EXPECT_EQ(back.loops[0].name, "procédé réglé");
        }
    }
    const Session plain = ReadSession(R"J({"format": "velmora-session"})J");
    EXPECT_EQ(plain.legend, LegendKind::Names);
    EXPECT_FALSE(plain.showSensitivity);
    EXPECT_FALSE(plain.view);
    EXPECT_TRUE(WriteSession(plain).contains("\"legend\": \"names\""));
}

TEST(Session, FilesKeepDataPathsRelativeToTheSessionAndNeverHalfWritten)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkpath("projet/mesures"));
    const QString file = dir.filePath("projet/réglage.velmora");
    Session session;
    session.loops.push_back(
        { "", dir.filePath("projet/mesures/bode.csv").toStdString(), false, 0, 0, true });
    WriteSessionFile(session, file);
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().contains("\"csv\": \"mesures/bode.csv\""));
    EXPECT_EQ(ReadSessionFile(file).loops[0].csvPath, session.loops[0].csvPath);
    // Nothing but the session itself is left in the folder.
    EXPECT_EQ(
        QDir(dir.filePath("projet")).entryList(QDir::Files), QStringList { "réglage.velmora" });

    // A file that cannot be written is refused in French, never reported as saved.
    try {
        WriteSessionFile(session, dir.filePath("absent/réglage.velmora"));
        ADD_FAILURE() << "saved into a folder that does not exist";
    } catch (const SessionError &error) {
        EXPECT_EQ(std::string(error.what()).rfind("impossible d'enregistrer la session", 0), 0u);
    }
}

TEST(Session, UnreadableOrOversizedFilesAreRefusedWithTheirName)
{
    QTemporaryDir dir;
    const auto reason = [](const QString &path) -> std::string {
        try {
            ReadSessionFile(path);
        } catch (const SessionError &error) {
            return error.what();
        }
        return "accepted";
    };
    EXPECT_NE(reason(dir.filePath("absent.velmora")).find("impossible de lire la session"),
        std::string::npos);
    EXPECT_NE(reason(dir.path()).find("impossible de lire"), std::string::npos);
    QFile big(dir.filePath("big.velmora"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(17 * 1024 * 1024));
    big.close();
    EXPECT_NE(reason(big.fileName()).find("trop grand"), std::string::npos);
}

} // namespace
