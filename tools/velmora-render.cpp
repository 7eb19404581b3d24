// tools/velmora-render.cpp — headless renderer: the chart, with loops, to a PNG, BMP, SVG or PDF
// file, and the loops' quantities as a table or JSON (tools layer)
#include "core/loopanalysis.h"
#include "core/loopreport.h"
#include "core/memorytuning.h"
#include "plot/locus.h"
#include "render/chartfile.h"
#include "tools/commandline.h"
#include "tools/outputfile.h"

#include <QFile>
#include <QGuiApplication>

#include <csignal>
#include <fstream>
#include <iostream>
#include <sstream>

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

// Every loop analysed; a refused expression or data file is a UsageError.
std::vector<std::pair<ReportedLoop, DrawnLoop>> analyse(const RenderJob &job)
{
    AnalysisOptions options = AnalysisOptionsFor(job.settings);
    options.omegaMin = job.omegaMin;
    options.omegaMax = job.omegaMax;
    std::vector<std::pair<ReportedLoop, DrawnLoop>> loops;
    for (const LoopRequest &request : job.loops) {
        LoopAnalysis analysis;
        std::string name;
        if (!request.expression.empty()) {
            name = request.expression;
            try {
                analysis = AnalyseLoop(
                    TransferFunction::parse(request.expression), request.gainDb, options);
            } catch (const ExpressionError &error) {
                throw UsageError(
                    request.origin + " « " + request.expression + " » : " + error.what());
            }
        } else {
            name = shownName(request.csvPath);
            std::ifstream file(request.csvPath, std::ios::binary);
            if (!file)
                throw UsageError(request.origin + " : impossible de lire « " + name + " »");
            std::stringstream text;
            text << file.rdbuf();
            try {
                analysis = AnalyseMeasuredLoop(
                    ReadMeasuredResponse(text.str(), request.hertz), request.gainDb, options);
            } catch (const DataError &error) {
                throw UsageError(request.origin + " « " + name + " » : " + error.what());
            }
        }
        ReportedLoop reported { name, analysis.quantities };
        loops.push_back({ std::move(reported), DrawnLoop { std::move(analysis), request.color } });
    }
    return loops;
}

} // namespace

int main(int argc, char **argv)
{
    KeepFreedMemoryForReuse();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    RenderJob job;
    std::vector<std::pair<ReportedLoop, DrawnLoop>> loops;
    try {
        job = ParseCommandLine(arguments);
        if (job.help) {
            std::cout << HelpText();
            return 0;
        }
        loops = analyse(job);
    } catch (const UsageError &error) {
        std::cerr << "velmora-render : " << error.what() << "\n"
                  << "Essayez « velmora-render --help ».\n";
        return ExitUsage;
    } catch (const std::exception &error) {
        std::cerr << "velmora-render : " << error.what() << "\n";
        return ExitFailure;
    }

    if (job.report || job.reportJson) {
        std::vector<ReportedLoop> reported;
        for (const auto &loop : loops)
            reported.push_back(loop.first);
        std::cout << (job.reportJson ? ReportJson(reported) : ReportText(reported)) << std::flush;
    }
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
        std::vector<DrawnLoop> drawn;
        for (auto &loop : loops)
            drawn.push_back(std::move(loop.second));
        const LociLayer layer(std::move(drawn), job.markers, job.settings.axisStyle.axisColor);
        const ChartLayer *overlays[] = { &layer };
        WriteWholeFile(*job.output,
            ChartFileBytes(job.format, job.settings, job.profile,
                job.loops.empty() ? std::span<const ChartLayer *const> {} : overlays));
    } catch (const std::exception &error) {
        std::cerr << "velmora-render : " << error.what() << "\n";
        return ExitFailure;
    }
    return 0;
}
