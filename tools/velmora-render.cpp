// tools/velmora-render.cpp — headless renderer: the chart to a PNG, BMP, SVG or PDF file from the
// command line (tools layer)
#include "core/chartsettings.h"
#include "core/floatingpointerror.h"
#include "core/numbertext.h"
#include "render/chartfile.h"
#include "tools/outputfile.h"

#include <QGuiApplication>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <functional>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace velmora;

constexpr int ExitFailure = 1; // the file could not be written, or a computation failed
constexpr int ExitUsage = 2; // an option or a value was refused

// The help, with each {entry} replaced by its accepted range.
const char *const HelpTemplate = R"(Usage : velmora-render [options] -o FICHIER

Dessine l'abaque (contours isogain et isophase sur le plan de Black) dans un
fichier PNG, BMP, SVG ou PDF, selon l'extension du FICHIER. Sans autre option,
l'image est exactement celle de la fenêtre de l'abaque avec les réglages par
défaut. SVG et PDF gardent les tracés en vectoriel et les textes en texte, à la
taille de l'image (le PDF à 96 points par pouce).

Sortie :
  -o, --output FICHIER     fichier à écrire (.png, .bmp, .svg ou .pdf) ; un
                           fichier ordinaire n'est remplacé qu'une fois l'image
                           entièrement écrite ; un tube ou un périphérique est
                           écrit tel quel
  --profile PROFIL         window (300 x 475, défaut) ou clipboard (600 x 950,
                           étiquettes avec unités)
  --width N, --height N    taille de l'image du profil clipboard, partie
                           fractionnaire ignorée : {image-width},
                           {image-height}

Axes (mêmes limites que dans la fenêtre principale) :
  --gain-max V             gain maxi en dB, {gain-max} (défaut 40)
  --gain-min V             gain mini en dB, {gain-min} (défaut -30)
  --gain-step V            intervalle de graduation du gain,
                           0 < V < gain maxi / 2 (défaut 2)
  --phase-min V            phase mini en degrés, {phase-min} (défaut -260)
  --phase-step V           intervalle de graduation de la phase,
                           0 < V < |phase mini| / 2 (défaut 30)

Contours :
  --isogains LISTE         gains en boucle fermée en dB, séparés par des virgules,
                           chacun dans {isogain} ; LISTE vide : aucun contour
  --isophases LISTE        phases en boucle fermée en degrés, chacune dans
                           {isophase}

Apparence :
  --grid                   quadrillage au lieu des graduations
  --dotted-grid            quadrillage pointillé (avec --grid)
  --font POLICE            police des étiquettes (défaut MS Sans Serif)
  --font-size N            taille en points, entier, {font-size} (défaut 8)
  --axis-color #RRGGBB     couleur des axes et graduations (défaut #000000)
  --isogain-color #RRGGBB  couleur des contours isogain
  --isophase-color #RRGGBB couleur des contours isophase

  -h, --help               affiche cette aide

Les nombres s'écrivent avec un point décimal (1.5, -2e1). Code de sortie :
0 réussite, 1 erreur d'écriture ou de calcul (aucun fichier partiel n'est
laissé), 2 option ou valeur refusée (aucun fichier n'est écrit).
)";

// A refused command line: the message names the option and what it accepts.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string quoted(const std::string &text)
{
    return "« " + text + " »";
}

std::string helpText()
{
    const ChartSettings defaults = DefaultChartSettings();
    const auto range
        = [&](Entry entry, const char *name) { return RangeOf(entry, defaults).describe(name); };
    const std::map<std::string, std::string> ranges {
        { "{image-width}", range(Entry::ImageWidth, "N") },
        { "{image-height}", range(Entry::ImageHeight, "N") },
        { "{gain-max}", range(Entry::GainMax, "V") },
        { "{gain-min}", range(Entry::GainMin, "V") },
        { "{phase-min}", range(Entry::PhaseMin, "V") },
        { "{isogain}", range(Entry::IsogainValue, "V") },
        { "{isophase}", range(Entry::IsophaseValue, "V") },
        { "{font-size}", range(Entry::FontSize, "N") },
    };
    std::string text = HelpTemplate;
    for (const auto &[key, value] : ranges)
        text.replace(text.find(key), key.size(), value);
    return text;
}

double number(const std::string &option, const std::string &text)
{
    try {
        if (const std::optional<double> v = StrictTextToReal(text))
            return *v;
    } catch (const FloatingPointError &error) {
        throw UsageError(option + " : " + quoted(text) + " : " + error.what());
    }
    throw UsageError(option + " : " + quoted(text) + " n'est pas un nombre");
}

double acceptedNumber(const std::string &option, const std::string &text,
    const std::function<bool(double)> &accepted, const std::string &range)
{
    const double v = number(option, text);
    if (!accepted(v))
        throw UsageError(option + " : valeur refusée " + quoted(text) + " : il faut " + range);
    return v;
}

double entry(const std::string &option, const std::string &text, Entry which,
    const ChartSettings &current, const std::string &name)
{
    const EntryRange range = RangeOf(which, current);
    return acceptedNumber(
        option, text, [&](double v) { return range.contains(v); }, range.describe(name));
}

std::vector<double> valueList(
    const std::string &option, const std::string &text, Entry which, const std::string &name)
{
    std::vector<double> values;
    if (text.empty())
        return values;
    const ChartSettings defaults;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string item
            = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        values.push_back(entry(option, item, which, defaults, name));
        if (comma == std::string::npos)
            return values;
        start = comma + 1;
    }
}

Color color(const std::string &option, const std::string &text)
{
    const bool wellFormed = text.size() == 7 && text[0] == '#'
        && text.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos;
    if (!wellFormed)
        throw UsageError(
            option + " : " + quoted(text) + " : couleur attendue sous la forme #RRGGBB");
    const unsigned long rgb = std::stoul(text.substr(1), nullptr, 16);
    return RgbColor(static_cast<int>(rgb >> 16), static_cast<int>(rgb >> 8), static_cast<int>(rgb));
}

struct Job {
    bool help = false;
    std::string output; // bytes as given
    ChartFormat format = ChartFormat::Png;
    ChartSettings settings = DefaultChartSettings();
    RenderProfile profile = WindowProfile();
};

bool takesValue(const std::string &name)
{
    static const char *const names[]
        = { "-o", "--output", "--profile", "--width", "--height", "--gain-max", "--gain-min",
              "--gain-step", "--phase-min", "--phase-step", "--isogains", "--isophases", "--font",
              "--font-size", "--axis-color", "--isogain-color", "--isophase-color" };
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

Job parse(const std::vector<std::string> &args)
{
    Job job;
    std::map<std::string, std::string> given;
    bool grid = false;
    bool dottedGrid = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const std::size_t equals = name.find('=');
            name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (name == "-h" || name == "--help") {
            job.help = true;
            return job;
        }
        if (name == "--grid" || name == "--dotted-grid") {
            if (value)
                throw UsageError(name + " ne prend pas de valeur");
            (name == "--grid" ? grid : dottedGrid) = true;
            continue;
        }
        if (!takesValue(name)) {
            if (name.rfind("-", 0) == 0 && name.size() > 1)
                throw UsageError("option inconnue " + quoted(name));
            throw UsageError("argument inattendu " + quoted(name));
        }
        if (!value) {
            if (i + 1 >= args.size())
                throw UsageError(name + " : valeur manquante");
            value = args[++i];
        }
        given[name == "--output" ? "-o" : name] = *value;
    }

    const auto has = [&](const char *name) { return given.count(name) > 0; };
    if (!has("-o") || given["-o"].empty())
        throw UsageError("l'option -o FICHIER est obligatoire");
    job.output = given["-o"];
    const std::optional<ChartFormat> format = FormatOfFileName(job.output);
    if (!format)
        throw UsageError("-o : extension inconnue : .png, .bmp, .svg ou .pdf attendu");
    job.format = *format;

    ChartSettings &s = job.settings;
    const auto take = [&](const char *name, double &setting, Entry which, const char *label) {
        if (has(name))
            setting = entry(name, given[name], which, s, label);
    };
    take("--gain-max", s.gainMax, Entry::GainMax, "G max");
    take("--gain-min", s.gainMin, Entry::GainMin, "G min");
    take("--phase-min", s.phaseMin, Entry::PhaseMin, "phase min");
    // The steps are tested against the extents above, as the windows test them against the
    // current ones.
    if (has("--gain-step")) {
        const EntryRange range = RangeOf(Entry::GainStep, s);
        s.gainStep = acceptedNumber(
            "--gain-step", given["--gain-step"], [&](double v) { return range.contains(v); },
            "0 < intervalle < G max / 2 = " + PlainDecimal(range.high));
    }
    if (has("--phase-step")) {
        const EntryRange range = RangeOf(Entry::PhaseStep, s);
        s.phaseStep = acceptedNumber(
            "--phase-step", given["--phase-step"], [&](double v) { return range.contains(v); },
            "0 < intervalle < |phase min| / 2 = " + PlainDecimal(range.high));
    }
    if (has("--isogains"))
        s.isogainValues = valueList("--isogains", given["--isogains"], Entry::IsogainValue, "gain");
    if (has("--isophases"))
        s.isophaseValues
            = valueList("--isophases", given["--isophases"], Entry::IsophaseValue, "phase");
    s.axisStyle.grid = grid;
    s.axisStyle.dottedGrid = dottedGrid;
    if (has("--font")) {
        if (given["--font"].empty())
            throw UsageError("--font : nom de police vide");
        s.axisStyle.fontName = given["--font"];
    }
    if (has("--font-size")) {
        const EntryRange range = RangeOf(Entry::FontSize, s);
        s.axisStyle.fontSize = static_cast<int>(acceptedNumber(
            "--font-size", given["--font-size"], [&](double v) { return range.contains(v); },
            "un entier de " + PlainDecimal(range.low) + " à " + PlainDecimal(range.high)));
    }
    if (has("--axis-color"))
        s.axisStyle.axisColor = color("--axis-color", given["--axis-color"]);
    if (has("--isogain-color"))
        s.isogainColor = color("--isogain-color", given["--isogain-color"]);
    if (has("--isophase-color"))
        s.isophaseColor = color("--isophase-color", given["--isophase-color"]);

    const std::string profile = has("--profile") ? given["--profile"] : "window";
    if (profile == "clipboard") {
        int width = s.bitmapWidth;
        int height = s.bitmapHeight;
        // The fraction is dropped, as the bitmap-size dialog drops it.
        if (has("--width"))
            width = static_cast<int>(
                entry("--width", given["--width"], Entry::ImageWidth, s, "largeur"));
        if (has("--height"))
            height = static_cast<int>(
                entry("--height", given["--height"], Entry::ImageHeight, s, "hauteur"));
        job.profile = ClipboardProfile(width, height);
    } else if (profile == "window") {
        if (has("--width") || has("--height"))
            throw UsageError("--width et --height ne valent que pour --profile clipboard");
    } else {
        throw UsageError(
            "--profile : " + quoted(profile) + " inconnu : window ou clipboard attendu");
    }
    return job;
}

// The toolkit's own notices are English and about the session: they say nothing to the user of
// this tool, whose failures are reported in French by the tool itself.
void silenceToolkitNotices(QtMsgType, const QMessageLogContext &, const QString &) { }

} // namespace

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    Job job;
    try {
        job = parse(args);
    } catch (const UsageError &error) {
        std::cerr << "velmora-render : " << error.what() << "\n"
                  << "Essayez « velmora-render --help ».\n";
        return ExitUsage;
    }
    if (job.help) {
        std::cout << helpText();
        return 0;
    }

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
        WriteWholeFile(job.output, ChartFileBytes(job.format, job.settings, job.profile));
    } catch (const std::exception &error) {
        std::cerr << "velmora-render : " << error.what() << "\n";
        return ExitFailure;
    }
    return 0;
}
