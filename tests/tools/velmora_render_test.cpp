// The command-line renderer run as a user would: files, exit statuses and French messages.
#include "plot/abaque.h"
#include "plot/rastersurface.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

struct RunResult {
    int exitCode = -1;
    QString err;
    QString out;
};

RunResult render(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(VELMORA_RENDER_PATH), arguments);
    EXPECT_TRUE(process.waitForFinished(60'000));
    return { process.exitCode(), QString::fromUtf8(process.readAllStandardError()),
        QString::fromUtf8(process.readAllStandardOutput()) };
}

QImage renderInProcess(const ChartSettings &settings, const RenderProfile &profile)
{
    RasterSurface surface(profile.width, profile.height);
    RenderAbaque(settings, profile, surface);
    return surface.image().convertToFormat(QImage::Format_RGB32);
}

class VelmoraRender : public ::testing::Test {
protected:
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    QStringList entries() const { return QDir(dir.path()).entryList(QDir::Files); }
    QTemporaryDir dir;
};

TEST_F(VelmoraRender, DefaultRenderIsTheChartWindowImage)
{
    const RunResult run = render({ "-o", path("chart.png") });
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
    const QImage written(path("chart.png"));
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32),
        renderInProcess(DefaultChartSettings(), WindowProfile()));
}

TEST_F(VelmoraRender, ClipboardProfileSettingsAndBmp)
{
    const RunResult run = render({ "--profile", "clipboard", "--width", "450.7", "--height=700",
        "--grid", "--dotted-grid", "--gain-max", "20", "--gain-step", "5", "--isogains", "6,0,-6",
        "--isophases", "-90,-270", "--axis-color", "#FF0000", "-o", path("chart.BMP") });
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QImage written(path("chart.BMP"), "BMP");
    ASSERT_FALSE(written.isNull());
    EXPECT_EQ(written.size(), QSize(450, 700));

    ChartSettings settings = DefaultChartSettings();
    settings.style.Grid = true;
    settings.style.DottedGrid = true;
    settings.GainMax = 20;
    settings.GainStep = 5;
    settings.IsogainValues = { 0, 6, 0, -6 };
    settings.IsophaseValues = { 0, -90, -270 };
    settings.style.AxisColor = RgbColor(255, 0, 0);
    EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32),
        renderInProcess(settings, ClipboardProfile(450, 700)));
}

struct Refusal {
    QStringList arguments;
    const char *mention; // what the message must name
};

TEST_F(VelmoraRender, RefusedValuesExitTwoNamingTheOptionAndWriteNothing)
{
    const Refusal refusals[] = {
        { { "--gain-max", "150" }, "--gain-max" },
        { { "--gain-max", "0" }, "0 < G max <= 100" },
        { { "--gain-min", "-100" }, "--gain-min" },
        { { "--phase-min", "-179.9" }, "-360 <= phase min <= -180" },
        { { "--gain-step", "20" }, "G max / 2 = 20" },
        { { "--gain-max", "10", "--gain-step", "6" }, "G max / 2 = 5" },
        { { "--phase-step", "130" }, "--phase-step" },
        { { "--isogains", "12,100" }, "« 100 »" },
        { { "--isophases", "-90,,-270" }, "--isophases" },
        { { "--isophases", "0" }, "-360 < phase < -1" },
        { { "--gain-max", "abc" }, "n'est pas un nombre" },
        { { "--gain-max", "1e400" }, "Débordement en virgule flottante" },
        { { "--profile", "clipboard", "--width", "399" }, "--width" },
        { { "--profile", "clipboard", "--height", "10001" }, "--height" },
        { { "--width", "500" }, "--profile clipboard" },
        { { "--profile", "poster" }, "--profile" },
        { { "--axis-color", "red" }, "#RRGGBB" },
        { { "--font-size", "8.5" }, "--font-size" },
        { { "--frobnicate" }, "option inconnue" },
        { { "--gain-max" }, "valeur manquante" },
    };
    for (const Refusal &refusal : refusals) {
        QStringList arguments = refusal.arguments;
        if (!arguments.contains("--gain-max") || arguments.size() > 1)
            arguments << "-o" << path("refused.png");
        const RunResult run = render(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(refusal.mention))) << run.err.toStdString();
        EXPECT_TRUE(entries().isEmpty()) << arguments.join(' ').toStdString();
    }
}

TEST_F(VelmoraRender, OutputNeedsAKnownExtensionAndAPath)
{
    EXPECT_EQ(render({ "-o", path("chart.jpg") }).exitCode, 2);
    const RunResult missing = render({});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains("-o FICHIER")) << missing.err.toStdString();
}

TEST_F(VelmoraRender, UnwritablePathExitsOneAndLeavesNoFile)
{
    const RunResult run = render({ "-o", path("missing/chart.png") });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("impossible d'écrire")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("dossier inexistant")) << run.err.toStdString();
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(VelmoraRender, FailedWriteKeepsThePreviousFile)
{
    // A directory where the file should go: the rename cannot replace it, and nothing else
    // is left beside it.
    QDir(dir.path()).mkdir("chart.png");
    const RunResult run = render({ "-o", path("chart.png") });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(QFileInfo(path("chart.png")).isDir());
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(VelmoraRender, HelpIsFrench)
{
    const RunResult run = render({ "--help" });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains("Dessine l'abaque"));
    EXPECT_TRUE(run.out.contains("--isophases LISTE"));
}

} // namespace
