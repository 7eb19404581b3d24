// tools/velmora-render.cpp — headless renderer: the chart, with loops, to a PNG, BMP, SVG or PDF
// file, and the loops' quantities as a table or JSON (tools layer)
#include "core/compensatortext.h"
#include "core/loopreport.h"
#include "core/loopresponse.h"
#include "core/memorytuning.h"
#include "plot/responseplots.h"
#include "render/chartfile.h"
#include "session/atomicfile.h"
#include "tools/commandline.h"
#include "tools/commandoptions.h"

#include <QFile>
#include <QGuiApplication>

#include <csignal>
#include <iostream>

namespace {

using namespace velmora;

constexpr int ExitFailure = 1; // the file could not be written, or a computation failed
constexpr int ExitUsage = 2; // an option, a value, an expression or a data file was refused

// The toolkit's own notices are English and about the session: they say nothing to the user of
// this tool, whose failures are reported in French by the tool itself.
void silenceToolkitNotices(QtMsgType, const QMessageLogContext &, const QString &) { }

std::string shownName(const std::string &path)
{
    return QFile::decodeName(QByteArray::fromStdString(path)).toStdString();
}

// What the job draws of the closed loop: its loops' responses.
struct ClosedLoops {
    std::vector<StepPlotLoop> steps;
    std::vector<BodePlotLoop> bodes;
};

// The scene of the job: its settings and every loop analysed; a refused expression or data file
// is a UsageError. The reported loops carry their step figures when a report is asked for; the
// closed loops are filled when a plot of them is.
ChartScene analyse(const RenderJob &job, std::vector<ReportedLoop> &reported, ClosedLoops &closed)
{
    AnalysisOptions options = AnalysisOptionsFor(job.session.settings);
    options.omegaMin = job.omegaMin;
    options.omegaMax = job.omegaMax;
    ChartScene scene;
    scene.settings = job.session.settings;
    scene.markers = job.markers;
    scene.legend = job.session.legend;
    scene.showSensitivity = job.session.showSensitivity;
    scene.view = job.session.view;
    scene.bounds = { job.omegaMin, job.omegaMax };
    for (std::size_t i = 0; i < job.session.loops.size(); ++i) {
        const LoopSpec &spec = job.session.loops[i];
        const std::string &origin = job.loopOrigins[i];
        const std::string name = spec.isMeasured() ? shownName(spec.csvPath) : spec.expression;
        LoadedLoop loaded;
        try {
            loaded = LoadLoop(spec);
        } catch (const ExpressionError &error) {
            throw UsageError(origin + " « " + spec.expression + " » : " + error.what());
        } catch (const DataError &error) {
            throw UsageError(origin + " « " + name + " » : " + error.what());
        } catch (const LoadError &error) {
            throw UsageError(origin + " : " + error.what());
        }
        // A target sets the gain, as "Régler le gain..." does in the program.
        double gainDb = spec.gainDb;
        if (spec.target) {
            try {
                gainDb = TuneGain(loaded.model, spec.gainDb, spec.target->kind, spec.target->value)
                             .gainDb;
            } catch (const TuningError &error) {
                throw UsageError(OptionName(Option::Tune) + " (boucle " + std::to_string(i + 1)
                    + ") : " + error.what());
            }
        }
        auto analysis
            = std::make_shared<const LoopAnalysis>(AnalyseLoadedLoop(loaded, gainDb, options));
        const LoopQuantities &q = analysis->quantities;
        const bool plotsClosedLoop = job.output && job.plot != PlotKind::Chart;
        std::optional<StepResponse> step;
        if (loaded.function && q.stable && (job.report || job.reportJson || plotsClosedLoop))
            step = ClosedLoopStep(*loaded.function, gainDb);
        reported.push_back({ name, q,
            step ? std::optional<StepFigures>(step->figures) : std::nullopt, spec.isMeasured(),
            gainDb, spec.compensator.empty() ? "" : CompensatorText(spec.compensator) });
        if (plotsClosedLoop) {
            const ClosedLoopBode bode = ClosedLoopBodeOf(*analysis);
            closed.steps.push_back(
                { spec.color, spec.displayName(), std::move(step), spec.isMeasured() });
            closed.bodes.push_back({ spec.color, spec.displayName(), bode.omega, bode.closedDb,
                bode.sensitivityDb, q.peakDb, q.peakOmega, q.bandwidth, q.lowFrequencyClosedLoopDb,
                q.sensitivityPeakDb, q.sensitivityPeakOmega });
        }
        SceneLoop drawn { std::move(analysis), spec.color, spec.displayName() };
        if (spec.target && spec.target->kind == TargetKind::Mr)
            drawn.targetDb = spec.target->value;
        scene.loops.push_back(std::move(drawn));
    }
    return scene;
}

} // namespace

int main(int argc, char **argv)
{
    KeepFreedMemoryForReuse();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    RenderJob job;
    ChartScene scene;
    std::vector<ReportedLoop> reported;
    ClosedLoops closed;
    try {
        job = ParseCommandLine(arguments);
        if (job.help) {
            std::cout << HelpText();
            return 0;
        }
        scene = analyse(job, reported, closed);
    } catch (const UsageError &error) {
        std::cerr << "velmora-render : " << error.what() << "\n"
                  << "Essayez « velmora-render --help ».\n";
        return ExitUsage;
    } catch (const std::exception &error) {
        std::cerr << "velmora-render : " << error.what() << "\n";
        return ExitFailure;
    }

    if (job.report || job.reportJson)
        std::cout << (job.reportJson ? ReportJson(reported) : ReportText(reported)) << std::flush;
    if (!job.output)
        return 0;

    // A write to a pipe whose reader has gone is an error to report, not a reason to die.
    std::signal(SIGPIPE, SIG_IGN);
    // A headless tool never needs a display, whatever the environment says, and the toolkit is
    // given none of the arguments: "--font -platform" names a font, not a platform.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(silenceToolkitNotices);
    int toolkitArgc = 1;
    char programName[] = "velmora-render";
    char *toolkitArgv[] = { programName, nullptr };
    QGuiApplication app(toolkitArgc, toolkitArgv);
    try {
        QByteArray bytes;
        switch (job.plot) {
        case PlotKind::Chart:
            bytes = ChartFileBytes(
                job.format, scene, job.profile, ScaledSize(job.size, job.scale), job.scale);
            break;
        case PlotKind::Step:
            bytes = DrawingFileBytes(job.format, job.size,
                [&](DrawingSurface &surface) { DrawStepPlot(surface, closed.steps); },
                { "Réponse indicielle", "Réponse indicielle en boucle fermée" });
            break;
        case PlotKind::Bode:
            bytes = DrawingFileBytes(job.format, job.size,
                [&](DrawingSurface &surface) { DrawBodePlot(surface, closed.bodes); },
                { "Bode", "Boucle fermée : |T| et |S|" });
            break;
        }
        WriteFileAtomically(*job.output, bytes);
    } catch (const std::exception &error) {
        std::cerr << "velmora-render : " << error.what() << "\n";
        return ExitFailure;
    }
    return 0;
}
