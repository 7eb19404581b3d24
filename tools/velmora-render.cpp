// tools/velmora-render.cpp — headless renderer: the chart to a PNG or BMP file from the command
// line
#include "core/chartsettings.h"
#include "core/foncbase.h"
#include "core/fperror.h"
#include "plot/abaque.h"
#include "plot/rastersurface.h"

#include <QGuiApplication>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <functional>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace velmora;

constexpr int ExitIoError = 1;
constexpr int ExitUsage = 2;
constexpr int MaxPrintSize = 10000; // pixels, either side of a clipboard-profile image
constexpr int MaxFontSize = 500; // points

const char *const HelpText = R"(Usage : velmora-render [options] -o FICHIER

Dessine l'abaque (contours isogain et isophase sur le plan de Black) dans un
fichier PNG ou BMP, selon l'extension du FICHIER. Sans autre option, l'image est
exactement celle de la fenêtre de l'abaque avec les réglages par défaut.

Sortie :
  -o, --output FICHIER     fichier à écrire (.png ou .bmp) ; il n'est remplacé
                           qu'une fois l'image entièrement écrite
  --profile PROFIL         window (300 x 475, défaut) ou clipboard (600 x 950,
                           étiquettes avec unités)
  --width N, --height N    taille de l'image du profil clipboard :
                           400 <= largeur <= 10000, 600 <= hauteur <= 10000

Axes (mêmes limites que dans la fenêtre principale) :
  --gain-max V             gain maxi en dB, 0 < V <= 100 (défaut 40)
  --gain-min V             gain mini en dB, -100 < V < 0 (défaut -30)
  --gain-step V            intervalle de graduation du gain, 0 < V < gain maxi / 2
                           (défaut 2)
  --phase-min V            phase mini en degrés, -360 <= V <= -180 (défaut -260)
  --phase-step V           intervalle de graduation de la phase,
                           0 < V < |phase mini| / 2 (défaut 30)

Contours :
  --isogains LISTE         gains en boucle fermée en dB, séparés par des virgules,
                           chacun dans -100 < V < 100 ; LISTE vide : aucun contour
  --isophases LISTE        phases en boucle fermée en degrés, chacune dans
                           -360 < V < -1

Apparence :
  --grid                   quadrillage au lieu des graduations
  --dotted-grid            quadrillage pointillé (avec --grid)
  --font POLICE            police des étiquettes (défaut MS Sans Serif)
  --font-size N            taille en points, entier de 1 à 500 (défaut 8)
  --axis-color #RRGGBB     couleur des axes et graduations (défaut #000000)
  --isogain-color #RRGGBB  couleur des contours isogain
  --isophase-color #RRGGBB couleur des contours isophase

  -h, --help               affiche cette aide

Les nombres s'écrivent avec un point décimal (1.5, -2e1). Code de sortie :
0 réussite, 1 erreur d'écriture ou de calcul, 2 option ou valeur refusée.
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

// A bound as the labels write it, without the leading blank of the exponent form.
std::string boundText(double v)
{
    std::string text = RealToText(v);
    if (!text.empty() && text.front() == ' ')
        text.erase(0, 1);
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

std::vector<double> valueList(const std::string &option, const std::string &text,
    const std::function<bool(double)> &accepted, const std::string &range)
{
    std::vector<double> values { 0.0 }; // element 0 is never a contour value
    if (text.empty())
        return values;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        const std::string item
            = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        values.push_back(acceptedNumber(option, item, accepted, range));
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

int wholePixels(const std::string &option, const std::string &text, double low, const char *what)
{
    const double v = acceptedNumber(
        option, text, [low](double x) { return low < x && x < MaxPrintSize + 1; },
        boundText(low) + " < " + what + " < " + std::to_string(MaxPrintSize + 1));
    return static_cast<int>(v); // fraction dropped, as the bitmap-size dialog does
}

std::string lowerExtension(const std::string &path)
{
    const std::size_t slash = path.find_last_of('/');
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    std::string extension = path.substr(dot);
    for (char &c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

struct Job {
    bool help = false;
    std::string output;
    const char *format = "PNG";
    ChartSettings settings = DefaultChartSettings();
    RenderProfile profile = WindowProfile();
};

const std::vector<std::string> &valueOptions()
{
    static const std::vector<std::string> names { "-o", "--output", "--profile", "--width",
        "--height", "--gain-max", "--gain-min", "--gain-step", "--phase-min", "--phase-step",
        "--isogains", "--isophases", "--font", "--font-size", "--axis-color", "--isogain-color",
        "--isophase-color" };
    return names;
}

bool takesValue(const std::string &name)
{
    const auto &names = valueOptions();
    return std::find(names.begin(), names.end(), name) != names.end();
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
    const std::string extension = lowerExtension(job.output);
    if (extension == ".bmp")
        job.format = "BMP";
    else if (extension != ".png")
        throw UsageError(
            "-o : extension " + quoted(extension) + " inconnue : .png ou .bmp attendu");

    ChartSettings &s = job.settings;
    const auto take = [&](const char *name, double &setting,
                          const std::function<bool(double)> &accepted, const std::string &range) {
        if (has(name))
            setting = acceptedNumber(name, given[name], accepted, range);
    };
    take("--gain-max", s.GainMax, GainMaxAccepted, "0 < G max <= 100");
    take("--gain-min", s.GainMin, GainMinAccepted, "-100 < G min < 0");
    take("--phase-min", s.PhaseMin, PhaseMinAccepted, "-360 <= phase min <= -180");
    // The steps are tested against the extents above, as the windows test them against the
    // current ones.
    take(
        "--gain-step", s.GainStep, [&](double v) { return GainStepAccepted(v, s.GainMax); },
        "0 < intervalle < G max / 2 = " + boundText(s.GainMax / 2));
    take(
        "--phase-step", s.PhaseStep, [&](double v) { return PhaseStepAccepted(v, s.PhaseMin); },
        "0 < intervalle < |phase min| / 2 = " + boundText(std::fabs(s.PhaseMin) / 2));
    if (has("--isogains"))
        s.IsogainValues = valueList(
            "--isogains", given["--isogains"], IsogainValueAccepted, "-100 < gain < 100");
    if (has("--isophases"))
        s.IsophaseValues = valueList(
            "--isophases", given["--isophases"], IsophaseValueAccepted, "-360 < phase < -1");
    s.style.Grid = grid;
    s.style.DottedGrid = dottedGrid;
    if (has("--font")) {
        if (given["--font"].empty())
            throw UsageError("--font : nom de police vide");
        s.style.FontName = given["--font"];
    }
    if (has("--font-size")) {
        const double size = acceptedNumber(
            "--font-size", given["--font-size"],
            [](double v) { return v >= 1 && v <= MaxFontSize && v == std::floor(v); },
            "un entier de 1 à " + std::to_string(MaxFontSize));
        s.style.FontSize = static_cast<int>(size);
    }
    if (has("--axis-color"))
        s.style.AxisColor = color("--axis-color", given["--axis-color"]);
    if (has("--isogain-color"))
        s.IsogainColor = color("--isogain-color", given["--isogain-color"]);
    if (has("--isophase-color"))
        s.IsophaseColor = color("--isophase-color", given["--isophase-color"]);

    const std::string profile = has("--profile") ? given["--profile"] : "window";
    if (profile == "clipboard") {
        int width = s.BitmapWidth;
        int height = s.BitmapHeight;
        if (has("--width"))
            width = wholePixels("--width", given["--width"], 399, "largeur");
        if (has("--height"))
            height = wholePixels("--height", given["--height"], 599, "hauteur");
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

// Why a file could not be written, in French, from the error number of the failed call.
std::string ioReason(int error)
{
    switch (error) {
    case ENOENT:
        return "dossier inexistant";
    case EACCES:
    case EPERM:
        return "permission refusée";
    case ENOSPC:
        return "disque plein";
    case EROFS:
        return "système de fichiers en lecture seule";
    case EISDIR:
        return "c'est un dossier";
    case ENOTDIR:
        return "un élément du chemin n'est pas un dossier";
    default:
        return "erreur d'entrée-sortie";
    }
}

// Writes through a temporary file renamed over the target at the end: no partial file is left.
void save(const QImage &image, const Job &job)
{
    QSaveFile file(QString::fromStdString(job.output));
    errno = 0;
    if (!file.open(QIODevice::WriteOnly)) {
        throw std::runtime_error(
            "impossible d'écrire " + quoted(job.output) + " : " + ioReason(errno));
    }
    errno = 0;
    if (!image.save(&file, job.format) || !file.commit()) {
        const int error = errno;
        file.cancelWriting();
        throw std::runtime_error(
            "impossible d'écrire " + quoted(job.output) + " : " + ioReason(error));
    }
}

void quietToolkitNotices(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::cerr << "velmora-render : " << message.toStdString() << "\n";
}

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
        std::cout << HelpText;
        return 0;
    }

    // A headless tool never needs a display, whatever the environment says; the toolkit's own
    // notices (in English, about the session) say nothing to the user of this tool.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietToolkitNotices);
    QGuiApplication app(argc, argv);
    try {
        RasterSurface surface(job.profile.width, job.profile.height);
        RenderAbaque(job.settings, job.profile, surface);
        save(surface.image(), job);
    } catch (const std::exception &error) {
        std::cerr << "velmora-render : " << error.what() << "\n";
        return ExitIoError;
    }
    return 0;
}
