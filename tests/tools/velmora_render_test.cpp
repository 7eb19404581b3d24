// The command-line renderer run as a user would: files, exit statuses and French messages.
#include "core/loopanalysis.h"
#include "core/stepresponse.h"
#include "plot/chartscene.h"
#include "plot/renderchart.h"
#include "plot/sweep.h"
#include "render/chartfile.h"
#include "render/rastersurface.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

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

QImage renderInProcess(
    const ChartSettings &settings, const RenderProfile &profile, ImageSize size = {})
{
    RasterSurface surface(size.width, size.height);
    RenderChart(settings, profile, surface);
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
    settings.axisStyle.grid = true;
    settings.axisStyle.dottedGrid = true;
    settings.gainMax = 20;
    settings.gainStep = 5;
    settings.isogainValues = { 6, 0, -6 };
    settings.isophaseValues = { -90, -270 };
    settings.axisStyle.axisColor = RgbColor(255, 0, 0);
    EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32),
        renderInProcess(settings, ClipboardProfile(), { 450, 700 }));
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
        { { "--width", "149.9" }, "150 <= largeur < 10001" },
        { { "--profile", "window", "--height", "199" }, "200 <= hauteur < 10001" },
        { { "--session", "absent.velmora" }, "impossible de lire la session" },
        { { "--session", "a.velmora", "--session", "b.velmora" }, "une seule session" },
        { { "--profile", "poster" }, "--profile" },
        { { "--axis-color", "red" }, "#RRGGBB" },
        { { "--font-size", "8.5" }, "--font-size" },
        { { "--frobnicate" }, "option inconnue" },
        { { "--gain-max" }, "valeur manquante" },
        { { "--profile", "clipboard", "--width", "399.5" }, "400 <= largeur < 10001" },
        { { "--profile", "clipboard", "--height", "599.5" }, "600 <= hauteur < 10001" },
        { { "--legend", "all" }, "none, names ou margins" },
        { { "--view-phase", "-100,-200" }, "-260 <= A < B <= 10" },
        { { "--view-phase", "-100" }, "--view-phase" },
        { { "--gain-max", "20", "--view-gain", "-5,30" }, "-30 <= A < B <= 20" },
        { { "--view-gain", "a,2" }, "n'est pas un nombre" },
        { { "--scale", "0.5" }, "1 <= R <= 4" },
        { { "--scale", "3", "--width", "4000" }, "10000 au plus" },
        { { "--loop-name", "G", "--loop", "1/s", "--loop-name", "H" }, "--loop-name" },
        { { "--loop", "1/s", "--plot", "step", "--scale", "2" }, "ne vaut que pour l'abaque" },
        { { "--loop-name", "G", "--session", "a.velmora" }, "à donner après --session" },
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
    EXPECT_TRUE(run.err.contains("« " + path("chart.png") + " » : c'est un dossier"))
        << run.err.toStdString();
    EXPECT_TRUE(QFileInfo(path("chart.png")).isDir());
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(VelmoraRender, VectorFilesByTheirExtension)
{
    for (const char *name : { "chart.svg", "chart.PDF" }) {
        const RunResult run = render({ "-o", path(name) });
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const QByteArray start = file.read(5);
        EXPECT_TRUE(start == "<?xml" || start == "%PDF-") << start.toStdString();
    }
}

TEST_F(VelmoraRender, ToolkitReadsNoneOfTheArguments)
{
    // "-platform" and "-display" are the font's name here, not the toolkit's options.
    for (const char *face : { "-platform", "-display" }) {
        const RunResult run = render({ "--font", face, "-o", path("font.png") });
        EXPECT_EQ(run.exitCode, 0) << face << run.err.toStdString();
        EXPECT_TRUE(QFileInfo(path("font.png")).isFile());
    }
}

// Runs velmora-render with arguments given byte for byte (QProcess would re-encode them).
int renderWithBytes(const std::vector<std::string> &arguments)
{
    std::vector<char *> argv { const_cast<char *>(VELMORA_RENDER_PATH) };
    for (const std::string &a : arguments)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        execv(VELMORA_RENDER_PATH, argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(VelmoraRender, FileNameKeepsItsBytesEvenWhenNotUtf8)
{
    const std::string name = dir.path().toStdString() + "/caf\xe9.png";
    ASSERT_EQ(renderWithBytes({ "-o", name }), 0);
    struct stat status { };
    EXPECT_EQ(stat(name.c_str(), &status), 0);
    EXPECT_TRUE(S_ISREG(status.st_mode));
    // Nothing else beside it: no name re-encoded on the way.
    int names = 0;
    for (const auto &entry : std::filesystem::directory_iterator(dir.path().toStdString())) {
        EXPECT_EQ(entry.path().string(), name);
        ++names;
    }
    EXPECT_EQ(names, 1);
}

TEST_F(VelmoraRender, SymbolicLinkToARegularFileIsFollowedAndKept)
{
    QFile target(path("target.png"));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    target.write("old");
    target.close();
    ASSERT_TRUE(QFile::link(path("target.png"), path("link.png")));
    const RunResult run = render({ "-o", path("link.png") });
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(QFileInfo(path("link.png")).isSymLink());
    EXPECT_EQ(QImage(path("target.png")).convertToFormat(QImage::Format_RGB32),
        renderInProcess(DefaultChartSettings(), WindowProfile()));
}

TEST_F(VelmoraRender, FifoIsWrittenInPlaceAndStaysAFifo)
{
    const std::string fifo = path("pipe.png").toStdString();
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    QByteArray received;
    std::thread reader([&] {
        std::ifstream in(fifo, std::ios::binary);
        received = QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
    });
    const RunResult run = render({ "-o", QString::fromStdString(fifo) });
    reader.join();
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    struct stat status { };
    ASSERT_EQ(lstat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    EXPECT_EQ(QImage::fromData(received, "PNG").convertToFormat(QImage::Format_RGB32),
        renderInProcess(DefaultChartSettings(), WindowProfile()));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System), QStringList { "pipe.png" });
}

TEST_F(VelmoraRender, DeviceIsNeverReplacedAndItsWriteErrorIsReportedInFrench)
{
    // /dev/full takes the open and refuses every write: disk full.
    struct stat before { };
    ASSERT_EQ(stat("/dev/full", &before), 0);
    ASSERT_TRUE(S_ISCHR(before.st_mode));
    ASSERT_TRUE(QFile::link("/dev/full", path("full.png")));
    const RunResult run = render({ "-o", path("full.png") });
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("disque plein")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("libpng")) << run.err.toStdString();
    struct stat after { };
    ASSERT_EQ(stat("/dev/full", &after), 0);
    EXPECT_TRUE(S_ISCHR(after.st_mode));
    EXPECT_EQ(after.st_rdev, before.st_rdev);
    EXPECT_EQ(entries(), QStringList { "full.png" });
}

TEST_F(VelmoraRender, HelpIsFrench)
{
    const RunResult run = render({ "--help" });
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains("Dessine l'abaque"));
    EXPECT_TRUE(run.out.contains("--isophases LISTE"));
}

} // namespace

namespace {

TEST_F(VelmoraRender, ReportJsonHasExactlyTheAgreedFieldsAndTheComputedValues)
{
    const char *expressions[] = { "4/(s*(s+1)*(s+2))", "0.5*exp(-0.2*s)/(s*(0.5*s+1))",
        "2*(1-0.5*s)/(s*(s+1)*(0.2*s+1))" };
    QStringList arguments;
    for (const char *e : expressions)
        arguments << "--loop" << e;
    arguments << "--loop-gain-db"
              << "1.5"
              << "--report-json";
    const RunResult run = render(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(entries().isEmpty()); // no -o: no file
    QJsonParseError error {};
    const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << run.out.toStdString();
    ASSERT_EQ(document.object().keys(), QStringList { "loops" });
    const QJsonArray loops = document.object()["loops"].toArray();
    ASSERT_EQ(loops.size(), 3);
    const QStringList fields { "bandwidth_rad_s", "closed_loop_rhp_poles",
        "closed_loop_rhp_poles_at_least", "expression", "gain_crossover_count",
        "gain_crossover_count_at_least", "gain_crossover_rad_s", "gain_crossovers_rad_s", "gain_db",
        "gain_margin_db", "peak_db", "peak_rad_s", "phase_crossover_count",
        "phase_crossover_count_at_least", "phase_crossover_rad_s", "phase_crossovers_rad_s",
        "phase_margin_deg", "sensitivity_peak_db", "sensitivity_peak_rad_s", "stable",
        "step_final_value", "step_overshoot_percent", "step_peak_time_s", "step_rise_time_s",
        "step_settling_time_s" };
    for (int i = 0; i < 3; ++i) {
        const QJsonObject loop = loops[i].toObject();
        EXPECT_EQ(loop.keys(), fields);
        EXPECT_EQ(loop["expression"].toString(), QString(expressions[i]));
        const LoopQuantities q
            = AnalyseLoop(TransferFunction::parse(expressions[i]), i == 0 ? 1.5 : 0, {}).quantities;
        EXPECT_EQ(loop["stable"].toBool(), q.stable);
        EXPECT_EQ(loop["closed_loop_rhp_poles"].toInt(), q.closedLoopRhpPoles);
        EXPECT_EQ(loop["closed_loop_rhp_poles_at_least"], QJsonValue(false));
        const auto same = [&](const char *key, const std::optional<double> &v) {
            if (v)
                EXPECT_EQ(loop[key].toDouble(), *v) << key; // shortest exact text reads back
            else
                EXPECT_TRUE(loop[key].isNull()) << key;
        };
        same("gain_margin_db", q.gainMarginDb);
        same("phase_crossover_rad_s", q.phaseCrossover);
        same("phase_margin_deg", q.phaseMarginDeg);
        same("gain_crossover_rad_s", q.gainCrossover);
        same("peak_db", q.peakDb);
        same("peak_rad_s", q.peakOmega);
        same("bandwidth_rad_s", q.bandwidth);
        same("sensitivity_peak_db", q.stable ? q.sensitivityPeakDb : std::nullopt);
        same("sensitivity_peak_rad_s", q.stable ? q.sensitivityPeakOmega : std::nullopt);
        const std::optional<StepResponse> step = q.stable
            ? ClosedLoopStep(TransferFunction::parse(expressions[i]), i == 0 ? 1.5 : 0)
            : std::nullopt;
        same("step_final_value",
            step ? std::optional<double>(step->figures.finalValue) : std::nullopt);
        same("step_overshoot_percent", step ? step->figures.overshootPercent : std::nullopt);
        same("step_peak_time_s", step ? step->figures.peakTime : std::nullopt);
        same("step_rise_time_s", step ? step->figures.riseTimeS : std::nullopt);
        same("step_settling_time_s", step ? step->figures.settlingTimeS : std::nullopt);
        EXPECT_EQ(loop["phase_crossovers_rad_s"].toArray().size(),
            static_cast<qsizetype>(q.phaseCrossovers.size()));
        EXPECT_EQ(loop["gain_crossover_count"].toInt(), q.gainCrossoverCount);
        // The delay's phase crossovers are infinitely many: no count.
        EXPECT_EQ(loop["phase_crossover_count"],
            i == 1 ? QJsonValue(QJsonValue::Null) : QJsonValue(q.phaseCrossoverCount));
        EXPECT_EQ(loop["phase_crossover_count_at_least"],
            i == 1 ? QJsonValue(QJsonValue::Null) : QJsonValue(false));
    }
    // The unstable loop has no peak, no bandwidth, no Ms and no step response.
    EXPECT_TRUE(loops[2].toObject()["peak_db"].isNull());
    EXPECT_TRUE(loops[2].toObject()["step_overshoot_percent"].isNull());
    EXPECT_TRUE(loops[2].toObject()["sensitivity_peak_db"].isNull());
    EXPECT_FALSE(loops[0].toObject()["step_settling_time_s"].isNull());
    EXPECT_FALSE(loops[2].toObject()["stable"].toBool());
    EXPECT_EQ(loops[2].toObject()["closed_loop_rhp_poles"].toInt(), 2);
}

TEST_F(VelmoraRender, ReportIsAFrenchTableAndLociDrawOverTheChart)
{
    const RunResult run = render(
        { "--loop", "4/(s*(s+1)*(s+2))", "--report", "--markers", "0.5", "-o", path("loop.png") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Boucle 1 : 4/(s*(s+1)*(s+2))"));
    EXPECT_TRUE(run.out.contains("marge de gain                 3.522 dB à 1.414 rad/s"))
        << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("marge de phase                11.42° à 1.143 rad/s"));
    EXPECT_TRUE(run.out.contains("stable, aucun pôle à partie réelle positive"));
    const QImage withLoop = QImage(path("loop.png")).convertToFormat(QImage::Format_RGB32);
    const QImage chart = renderInProcess(DefaultChartSettings(), WindowProfile());
    ASSERT_EQ(withLoop.size(), chart.size());
    // Red pixels of the locus, where the chart has none.
    int red = 0;
    for (int y = 0; y < chart.height(); ++y)
        for (int x = 0; x < chart.width(); ++x)
            red += withLoop.pixel(x, y) == qRgb(200, 0, 0) && chart.pixel(x, y) != qRgb(200, 0, 0);
    EXPECT_GT(red, 300);
}

TEST_F(VelmoraRender, RefusedLoopsExitTwoWithTheReasonAndWriteNothing)
{
    QTemporaryDir data;
    const QString bad = data.filePath("bad.csv");
    {
        QFile file(bad);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("w,g,p\n1,0,-90\n0.5,-1,-100\n");
    }
    const QString lost = data.filePath("lost.velmora");
    {
        QFile file(lost);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(R"J({"format": "velmora-session", "loops": [{"csv": "sub/../gone.csv"}]})J");
    }
    QStringList nine;
    for (int i = 0; i < 9; ++i)
        nine << "--loop"
             << "1/s";
    const Refusal refusals[] = {
        { { "--loop", "4/(s*(s+1)" }, "colonne 11 : « ) » attendue" },
        { { "--loop", "1/(s-s)" }, "dénominateur nul" },
        { { "--loop", "exp(0.2*s)/s" }, "avance" },
        { { "--loop-csv", bad }, "ligne 3 : les fréquences doivent croître strictement" },
        { { "--loop-csv", data.filePath("missing.csv") }, "impossible de lire" },
        // Only regular files are read: neither a device, which never ends, nor a folder.
        { { "--loop-csv", "/dev/zero" }, "ce n'est pas un fichier ordinaire" },
        { { "--loop-csv", data.path() }, "c'est un dossier" },
        { nine, "8 boucles au plus" },
        { { "--loop", "1/s", "--loop-color", "#FF0000", "--loop-color", "#00FF00" },
            "--loop-color : donnée 2 fois pour 1 boucle(s)" },
        { { "--loop", "1/s", "--loop-gain-db", "100" }, "-100 < gain < 100" },
        { { "--loop", "1/s", "--omega-min", "10", "--omega-max", "1" }, "--omega-min" },
        { { "--loop", "1/s", "--markers", "1,-2" }, "--markers" },
        { { "--report" }, "au moins une boucle" },
        { { "--session", lost }, "--session : impossible de lire" },
    };
    for (const Refusal &refusal : refusals) {
        const RunResult run = render(QStringList(refusal.arguments) << "-o" << path("refused.png"));
        EXPECT_EQ(run.exitCode, 2) << refusal.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(refusal.mention))) << run.err.toStdString();
        EXPECT_TRUE(entries().isEmpty());
    }
    // The session's data file is named by its plain path.
    EXPECT_TRUE(render({ "--session", lost, "-o", path("x.png") })
                    .err.contains("« " + data.filePath("gone.csv") + " »"));
}

TEST_F(VelmoraRender, SessionDrawsAsItsOptionsWouldAndLaterOptionsChangeIt)
{
    {
        QFile data(path("plant.csv"));
        ASSERT_TRUE(data.open(QIODevice::WriteOnly));
        data.write("f;gain;phase\n0.1;20;-95\n1;0;-150\n10;-30;-250\n");
        QFile session(path("tuned.velmora"));
        ASSERT_TRUE(session.open(QIODevice::WriteOnly));
        session.write(R"JSON({"format": "velmora-session", "version": 1,
            "settings": {"gain_max": 20, "grid": true, "bitmap_width": 500, "bitmap_height": 800},
            "isogains": ["6", "0", "-3"],
            "loops": [{"expression": "4/(s*(s+1)*(s+2))", "color": "#00AA00", "gain_db": 2},
                      {"expression": "1/s", "visible": false},
                      {"csv": "plant.csv", "csv_hz": true, "color": "#0000FF"}]})JSON");
    }
    const QStringList same { "--gain-max", "20", "--grid", "--isogains", "6,0,-3", "--loop",
        "4/(s*(s+1)*(s+2))", "--loop-gain-db", "2", "--loop-color", "#00AA00", "--loop-csv",
        path("plant.csv"), "--loop-hz", "--loop-color", "#0000FF" };
    const auto image = [&](QStringList arguments, const char *name) {
        const RunResult run = render(arguments << "-o" << path(name));
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return QImage(path(name)).convertToFormat(QImage::Format_RGB32);
    };
    const QString session = path("tuned.velmora");
    const QImage fromSession = image({ "--session", session }, "session.png");
    EXPECT_EQ(fromSession, image(same, "options.png"));
    // What the session sets cannot come before it; options after it change it.
    const RunResult before
        = render({ "--gain-max", "30", "--session", session, "-o", path("before.png") });
    EXPECT_EQ(before.exitCode, 2);
    EXPECT_TRUE(before.err.contains("--gain-max : à donner après --session"))
        << before.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("before.png")));
    EXPECT_EQ(image({ "--session", session, "--gain-max", "30" }, "after.png"),
        image(QStringList(same) << "--gain-max"
                                << "30",
            "after-options.png"));
    // The clipboard profile takes the session's bitmap size.
    EXPECT_EQ(image({ "--session", session, "--profile", "clipboard" }, "big.png").size(),
        QSize(500, 800));
    // The hidden loop is neither drawn nor reported; a loop given after the session replaces
    // its loops.
    const RunResult report = render({ "--session", session, "--report" });
    EXPECT_TRUE(report.out.contains("Boucle 2 : " + path("plant.csv"))) << report.out.toStdString();
    EXPECT_FALSE(report.out.contains("1/s"));
    const RunResult replaced = render({ "--session", session, "--loop", "2/(s+1)^3", "--report" });
    EXPECT_TRUE(replaced.out.contains("Boucle 1 : 2/(s+1)^3"));
    EXPECT_FALSE(replaced.out.contains("Boucle 2"));
}

// The closed loop drawn instead of the chart: the plots the Réponse window shows, at the size
// asked for.
TEST_F(VelmoraRender, PlotsTheStepResponseAndTheClosedLoopBode)
{
    const char *loop = "4/(s*(s+1)*(s+2))";
    const auto image = [&](QStringList arguments, const QString &name) {
        const RunResult run = render(arguments << "-o" << dir.filePath(name));
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return QImage(dir.filePath(name)).convertToFormat(QImage::Format_RGB32);
    };
    const QImage chart
        = image({ "--loop", loop, "--width", "640", "--height", "420" }, "chart.png");
    for (const char *plot : { "step", "bode" }) {
        const QImage drawn
            = image({ "--loop", loop, "--plot", plot, "--width", "640", "--height", "420" },
                QString::fromLatin1(plot) + ".png");
        EXPECT_EQ(drawn.size(), QSize(640, 420)) << plot;
        EXPECT_NE(drawn.copy(0, 0, 300, 420), chart.copy(0, 0, 300, 420)) << plot;
    }
    const RunResult refused = render({ "--loop", loop, "--plot", "nyquist", "-o", path("x.png") });
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains("chart, step ou bode")) << refused.err.toStdString();
    const RunResult noLoop = render({ "--plot", "step", "-o", path("y.png") });
    EXPECT_EQ(noLoop.exitCode, 2);
    EXPECT_FALSE(QFile::exists(path("y.png")));
}

// A compensator multiplies the plant, expression or measured data; a target sets the gain, and
// an unreachable one is refused with its reason and writes nothing.
TEST_F(VelmoraRender, CompensatorsAndTargetsApplyToTheirLoops)
{
    const char *plant = "4/(s*(s+1)*(s+2))";
    const auto json = [&](const QStringList &arguments) {
        const RunResult run = render(QStringList(arguments) << "--report-json");
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return QJsonDocument::fromJson(run.out.toUtf8()).object()["loops"].toArray();
    };
    const QJsonObject tuned = json({ "--loop", plant, "--tune", "mr=2.3" })[0].toObject();
    EXPECT_NEAR(tuned["peak_db"].toDouble(), 2.3, 1e-6);
    EXPECT_NEAR(tuned["gain_db"].toDouble(), -9.63, 0.01);
    // lead(1.5, 40) times the plant, as a compensator and written into the expression.
    const QJsonObject compensated
        = json({ "--loop", plant, "--loop-compensator", "lead(1.5,40)" })[0].toObject();
    const QJsonObject written = json({ "--loop", QString("lead(1.5,40)*") + plant })[0].toObject();
    for (const char *key : { "phase_margin_deg", "gain_margin_db", "peak_db", "bandwidth_rad_s" })
        EXPECT_NEAR(compensated[key].toDouble(), written[key].toDouble(),
            1e-9 * std::max(1.0, std::fabs(written[key].toDouble())))
            << key;
    {
        QFile data(path("plant.csv"));
        ASSERT_TRUE(data.open(QIODevice::WriteOnly));
        data.write("0.1,32,-96\n0.5,17.5,-121\n1,7,-162\n1.5,-0.5,-191\n3,-14,-228\n10,-44,-256\n");
    }
    const QJsonObject measured = json({ "--loop-csv", path("plant.csv"), "--loop-compensator",
        "lead(1.5,40)", "--tune", "pm=45" })[0]
                                     .toObject();
    EXPECT_NEAR(measured["phase_margin_deg"].toDouble(), 45, 1e-6);
    // The table's heading names the compensator and the gain the loop was tuned to.
    const RunResult table = render(
        { "--loop", plant, "--loop-compensator", "lead(1.5,40)", "--tune", "pm=50", "--report" });
    EXPECT_TRUE(table.out.startsWith(
        QString("Boucle 1 : ") + plant + ", correcteur lead(1.5,40), gain ajouté -"))
        << table.out.toStdString();

    const RunResult refused
        = render({ "--loop", plant, "--tune", "gm=-30", "-o", path("refused.png") });
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains("--tune (boucle 1)")) << refused.err.toStdString();
    EXPECT_TRUE(refused.err.contains("inaccessible")) << refused.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("refused.png")));
    const RunResult badElement
        = render({ "--loop", plant, "--loop-compensator", "lead(1.5,95)", "-o", path("x.png") });
    EXPECT_EQ(badElement.exitCode, 2);
    EXPECT_TRUE(badElement.err.contains("colonne")) << badElement.err.toStdString();
    EXPECT_EQ(render({ "--loop", plant, "--tune", "xx=1", "-o", path("y.png") }).exitCode, 2);
}

TEST_F(VelmoraRender, WindowProfileDrawsAtAnyAcceptedSize)
{
    const RunResult run = render({ "--width", "640.9", "--height", "480", "-o", path("wide.png") });
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QImage(path("wide.png")).convertToFormat(QImage::Format_RGB32),
        renderInProcess(DefaultChartSettings(), WindowProfile(), { 640, 480 }));
}

// The image of a dense screen, the legend and the names, the sensitivity contour and a part of
// the chart, each as the program draws them in process.
TEST_F(VelmoraRender, ReportOptionsDrawAsTheSceneSays)
{
    const auto image = [&](QStringList arguments, const char *name) {
        const RunResult run = render(arguments << "-o" << path(name));
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        return QImage(path(name)).convertToFormat(QImage::Format_RGB32);
    };
    const char *loop = "4/(s*(s+1)*(s+2))";
    ChartScene scene;
    scene.loops.push_back(
        { std::make_shared<const LoopAnalysis>(AnalyseLoop(TransferFunction::parse(loop), 0, {})),
            DefaultLoopColor(0), "procédé" });
    scene.legend = LegendKind::Margins;
    scene.showSensitivity = true;
    scene.view = ViewExtents { -220, -100, -15, 12.5 };
    const QStringList options { "--loop", loop, "--loop-name", "procédé", "--legend", "margins",
        "--sensitivity-contour", "--view-phase=-220,-100", "--view-gain", "-15,12.5" };
    for (const double scale : { 1.0, 2.0, 1.5 }) {
        const QImage written
            = image(QStringList(options) << "--scale" << QString::number(scale), "scaled.png");
        EXPECT_EQ(written.size(),
            QSize(ScaledSize({ 300, 475 }, scale).width, ScaledSize({ 300, 475 }, scale).height));
        EXPECT_EQ(written,
            ChartImage(scene, WindowProfile(), ScaledSize({ 300, 475 }, scale), scale)
                .convertToFormat(QImage::Format_RGB32))
            << scale;
    }
    // The names and margins are texts of the vector files.
    ASSERT_EQ(render(QStringList(options) << "--profile"
                                          << "clipboard"
                                          << "-o" << path("chart.svg"))
                  .exitCode,
        0);
    QFile svg(path("chart.svg"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(svg.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("procédé")));
    EXPECT_TRUE(text.contains(QStringLiteral("MG ")));
    // Without a legend the name is nowhere; at scale 1 the chart without loops is the default.
    EXPECT_NE(image({ "--loop", loop, "--legend", "none" }, "none.png"),
        image({ "--loop", loop }, "names.png"));
    EXPECT_EQ(image({ "--scale", "1" }, "plain.png"),
        renderInProcess(DefaultChartSettings(), WindowProfile()));
}

} // namespace
