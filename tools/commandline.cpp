// tools/commandline.cpp — velmora-render's options (tools layer)
#include "tools/commandline.h"

#include "core/floatingpointerror.h"
#include "core/numbertext.h"
#include "plot/locus.h"
#include "session/session.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <set>

namespace velmora {

namespace {

// The help, with each {entry} replaced by its accepted range.
const char *const HelpTemplate = R"HELP(Usage : velmora-render [options] -o FICHIER
        velmora-render [options] --loop EXPR --report-json

Dessine l'abaque (contours isogain et isophase sur le plan de Black) dans un
fichier PNG, BMP, SVG ou PDF, selon l'extension du FICHIER, avec les lieux des
boucles demandées. Sans autre option, l'image est exactement celle de la fenêtre
de l'abaque avec les réglages par défaut. SVG et PDF gardent les tracés en
vectoriel et les textes en texte, à la taille de l'image (le PDF à 96 points par
pouce).

Sortie :
  -o, --output FICHIER     fichier à écrire (.png, .bmp, .svg ou .pdf) ; un
                           fichier ordinaire n'est remplacé qu'une fois l'image
                           entièrement écrite ; un tube ou un périphérique est
                           écrit tel quel ; facultatif avec --report ou
                           --report-json
  --profile PROFIL         window (300 x 475, défaut) ou clipboard (600 x 950,
                           étiquettes avec unités)
  --width N, --height N    taille de l'image, partie fractionnaire ignorée ;
                           profil window : {window-width},
                           {window-height} ; profil clipboard :
                           {image-width}, {image-height}
                           (par défaut la taille du bitmap de la session)

Session :
  --session FICHIER        dessine une session enregistrée par Velmora
                           (.velmora) : réglages, listes de valeurs et boucles
                           visibles ; les options de l'abaque et des boucles se
                           donnent après --session et la modifient (des --loop
                           ou --loop-csv remplacent ses boucles)

Axes (mêmes limites que dans la fenêtre principale) :
  --gain-max V             gain maxi en dB, {gain-max} (défaut 40)
  --gain-min V             gain mini en dB, {gain-min} (défaut -30)
  --gain-step V            intervalle de graduation du gain,
                           0 < V < gain maxi / 2 (défaut 2)
  --phase-min V            phase mini en degrés, {phase-min} (défaut -260)
  --phase-step V           intervalle de graduation de la phase,
                           0 < V < |phase mini| / 2 (défaut 30)

Contours :
  --isogains LISTE         gains en boucle fermée en dB, séparés par des
                           virgules, chacun dans {isogain} ;
                           LISTE vide : aucun contour
  --isophases LISTE        phases en boucle fermée en degrés, chacune dans
                           {isophase}

Boucles (8 au plus, dans l'ordre où elles sont données) :
  --loop EXPR              fonction de transfert en boucle ouverte en s, par
                           exemple "4/(s*(s+1)*(s+2))" ou
                           "0.5*exp(-0.2*s)/(s*(0.5*s+1))" : nombres avec un
                           point décimal, s, + - * /, ^ entier, parenthèses,
                           produits implicites (2s, (s+1)(s+2)), retard
                           exp(-T*s) avec T >= 0 en secondes
  --loop-csv FICHIER       réponse mesurée : fréquence, gain (dB), phase (°) par
                           ligne, séparés par des virgules, points-virgules ou
                           tabulations ; en-tête et commentaires # permis
  --loop-hz                fréquences des fichiers CSV en Hz (rad/s sinon)
  --loop-color #RRGGBB     couleur de la boucle suivante dans l'ordre
  --loop-gain-db V         gain ajouté à la boucle suivante dans l'ordre, en dB,
                           {loop-gain}
  --omega-min W, --omega-max W
                           bornes des fréquences tracées et analysées, en rad/s
  --markers LISTE          fréquences en rad/s marquées sur chaque lieu
  --report                 imprime les marges, la résonance, la bande passante
                           et la stabilité de chaque boucle (tableau, en
                           français)
  --report-json            les mêmes grandeurs en JSON

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
laissé), 2 option, valeur, expression ou fichier de mesures refusé (aucun
fichier n'est écrit).
)HELP";

const std::set<std::string> &valueOptions()
{
    static const std::set<std::string> names { "-o", "--output", "--session", "--profile",
        "--width", "--height", "--gain-max", "--gain-min", "--gain-step", "--phase-min",
        "--phase-step", "--isogains", "--isophases", "--font", "--font-size", "--axis-color",
        "--isogain-color", "--isophase-color", "--loop", "--loop-csv", "--loop-color",
        "--loop-gain-db", "--omega-min", "--omega-max", "--markers" };
    return names;
}

// The options that a session's settings and loops stand for.
const std::set<std::string> &sessionSets()
{
    static const std::set<std::string> names { "--gain-max", "--gain-min", "--gain-step",
        "--phase-min", "--phase-step", "--isogains", "--isophases", "--font", "--font-size",
        "--axis-color", "--isogain-color", "--isophase-color", "--grid", "--dotted-grid", "--loop",
        "--loop-csv", "--loop-color", "--loop-gain-db" };
    return names;
}

const std::set<std::string> &flagOptions()
{
    static const std::set<std::string> names { "--grid", "--dotted-grid", "--loop-hz", "--report",
        "--report-json" };
    return names;
}

std::string inGuillemets(const std::string &text)
{
    return "« " + text + " »";
}

double number(const std::string &option, const std::string &text)
{
    try {
        if (const std::optional<double> v = StrictTextToReal(text))
            return *v;
    } catch (const FloatingPointError &error) {
        throw UsageError(option + " : " + inGuillemets(text) + " : " + error.what());
    }
    throw UsageError(option + " : " + inGuillemets(text) + " n'est pas un nombre");
}

double acceptedNumber(const std::string &option, const std::string &text,
    const std::function<bool(double)> &accepted, const std::string &range)
{
    const double v = number(option, text);
    if (!accepted(v))
        throw UsageError(
            option + " : valeur refusée " + inGuillemets(text) + " : il faut " + range);
    return v;
}

double entry(const std::string &option, const std::string &text, Entry which,
    const ChartSettings &current, const std::string &name)
{
    const EntryRange range = RangeOf(which, current);
    return acceptedNumber(
        option, text, [&](double v) { return range.contains(v); }, range.describe(name));
}

std::vector<std::string> commaSeparated(const std::string &text)
{
    std::vector<std::string> items;
    if (text.empty())
        return items;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = text.find(',', start);
        items.push_back(
            text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return items;
        start = comma + 1;
    }
}

std::vector<double> valueList(
    const std::string &option, const std::string &text, Entry which, const std::string &name)
{
    std::vector<double> values;
    const ChartSettings defaults;
    for (const std::string &item : commaSeparated(text))
        values.push_back(entry(option, item, which, defaults, name));
    return values;
}

Color color(const std::string &option, const std::string &text)
{
    const std::optional<Color> rgb = ColorFromText(text);
    if (!rgb)
        throw UsageError(
            option + " : " + inGuillemets(text) + " : couleur attendue sous la forme #RRGGBB");
    return *rgb;
}

double positiveFrequency(const std::string &option, const std::string &text)
{
    return acceptedNumber(
        option, text, [](double v) { return v > 0 && std::isfinite(v); }, "une fréquence > 0");
}

// The options as given, in order: each value option with its value, each flag with none.
struct Given {
    struct Option {
        std::string name;
        std::string value;
    };
    std::vector<Option> options;

    bool has(const std::string &name) const
    {
        return std::any_of(
            options.begin(), options.end(), [&](const Option &o) { return o.name == name; });
    }
    // The last value of an option given once or more.
    const std::string &last(const std::string &name) const
    {
        const auto found = std::find_if(
            options.rbegin(), options.rend(), [&](const Option &o) { return o.name == name; });
        return found->value;
    }
    std::vector<std::string> all(const std::string &name) const
    {
        std::vector<std::string> found;
        for (const Option &option : options)
            if (option.name == name)
                found.push_back(option.value);
        return found;
    }
    // The options that follow the first one of this name (all of them when it is not given).
    Given after(const std::string &name) const
    {
        const auto found = std::find_if(
            options.begin(), options.end(), [&](const Option &o) { return o.name == name; });
        return Given { { found == options.end() ? options.begin() : found + 1, options.end() } };
    }
};

Given gather(const std::vector<std::string> &arguments, bool &help)
{
    Given given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::optional<std::string> value;
        if (const std::size_t equals = name.find('=');
            name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
        }
        if (name == "-h" || name == "--help") {
            help = true;
            return given;
        }
        if (flagOptions().count(name)) {
            if (value)
                throw UsageError(name + " ne prend pas de valeur");
            given.options.push_back({ name, {} });
            continue;
        }
        if (!valueOptions().count(name)) {
            if (name.rfind("-", 0) == 0 && name.size() > 1)
                throw UsageError("option inconnue " + inGuillemets(name));
            throw UsageError("argument inattendu " + inGuillemets(name));
        }
        if (!value) {
            if (i + 1 >= arguments.size())
                throw UsageError(name + " : valeur manquante");
            value = arguments[++i];
        }
        given.options.push_back({ name == "--output" ? "-o" : name, *value });
    }
    return given;
}

void readChartOptions(const Given &given, RenderJob &job)
{
    ChartSettings &s = job.settings;
    const auto take = [&](const char *name, double &setting, Entry which, const char *label) {
        if (given.has(name))
            setting = entry(name, given.last(name), which, s, label);
    };
    take("--gain-max", s.gainMax, Entry::GainMax, "G max");
    take("--gain-min", s.gainMin, Entry::GainMin, "G min");
    take("--phase-min", s.phaseMin, Entry::PhaseMin, "phase min");
    // The steps are tested against the extents above, as the windows test them against the
    // current ones.
    if (given.has("--gain-step")) {
        const EntryRange range = RangeOf(Entry::GainStep, s);
        s.gainStep = acceptedNumber(
            "--gain-step", given.last("--gain-step"), [&](double v) { return range.contains(v); },
            "0 < intervalle < G max / 2 = " + PlainDecimal(range.high));
    }
    if (given.has("--phase-step")) {
        const EntryRange range = RangeOf(Entry::PhaseStep, s);
        s.phaseStep = acceptedNumber(
            "--phase-step", given.last("--phase-step"), [&](double v) { return range.contains(v); },
            "0 < intervalle < |phase min| / 2 = " + PlainDecimal(range.high));
    }
    if (given.has("--isogains"))
        s.isogainValues
            = valueList("--isogains", given.last("--isogains"), Entry::IsogainValue, "gain");
    if (given.has("--isophases"))
        s.isophaseValues
            = valueList("--isophases", given.last("--isophases"), Entry::IsophaseValue, "phase");
    // A flag turns its setting on; without it, the setting stays as it was (off by default).
    s.axisStyle.grid = s.axisStyle.grid || given.has("--grid");
    s.axisStyle.dottedGrid = s.axisStyle.dottedGrid || given.has("--dotted-grid");
    if (given.has("--font")) {
        if (given.last("--font").empty())
            throw UsageError("--font : nom de police vide");
        s.axisStyle.fontName = given.last("--font");
    }
    if (given.has("--font-size")) {
        const EntryRange range = RangeOf(Entry::FontSize, s);
        s.axisStyle.fontSize = static_cast<int>(acceptedNumber(
            "--font-size", given.last("--font-size"), [&](double v) { return range.contains(v); },
            "un entier de " + PlainDecimal(range.low) + " à " + PlainDecimal(range.high)));
    }
    if (given.has("--axis-color"))
        s.axisStyle.axisColor = color("--axis-color", given.last("--axis-color"));
    if (given.has("--isogain-color"))
        s.isogainColor = color("--isogain-color", given.last("--isogain-color"));
    if (given.has("--isophase-color"))
        s.isophaseColor = color("--isophase-color", given.last("--isophase-color"));
}

void readProfile(const Given &given, RenderJob &job)
{
    const ChartSettings &s = job.settings;
    const std::string profile = given.has("--profile") ? given.last("--profile") : "window";
    const bool clipboard = profile == "clipboard";
    if (clipboard || profile == "window") {
        // The clipboard's size is the settings' bitmap size (a session's, or 600 x 950).
        int width = clipboard ? s.bitmapWidth : WindowProfile().width;
        int height = clipboard ? s.bitmapHeight : WindowProfile().height;
        // The fraction is dropped, as the bitmap-size dialog drops it.
        if (given.has("--width"))
            width = static_cast<int>(entry("--width", given.last("--width"),
                clipboard ? Entry::ImageWidth : Entry::WindowImageWidth, s, "largeur"));
        if (given.has("--height"))
            height = static_cast<int>(entry("--height", given.last("--height"),
                clipboard ? Entry::ImageHeight : Entry::WindowImageHeight, s, "hauteur"));
        job.profile = clipboard ? ClipboardProfile(width, height) : WindowProfile(width, height);
    } else {
        throw UsageError(
            "--profile : " + inGuillemets(profile) + " inconnu : window ou clipboard attendu");
    }
}

void readLoops(const Given &given, RenderJob &job)
{
    // Loops given here replace those of a session.
    if (given.has("--loop") || given.has("--loop-csv"))
        job.loops.clear();
    for (const auto &[option, value] : given.options) {
        if (option != "--loop" && option != "--loop-csv")
            continue;
        if (job.loops.size() == MaxLoops)
            throw UsageError(
                option + " : " + std::to_string(MaxLoops) + " boucles au plus sur une abaque");
        LoopRequest loop;
        (option == "--loop" ? loop.expression : loop.csvPath) = value;
        if (value.empty())
            throw UsageError(option + " : valeur vide");
        loop.hertz = job.hertz;
        loop.origin = option;
        loop.color = DefaultLoopColor(job.loops.size());
        job.loops.push_back(loop);
    }
    const std::vector<std::string> colors = given.all("--loop-color");
    const std::vector<std::string> gains = given.all("--loop-gain-db");
    for (const auto &[option, count] : { std::pair { "--loop-color", colors.size() },
             std::pair { "--loop-gain-db", gains.size() } })
        if (count > job.loops.size())
            throw UsageError(std::string(option) + " : donnée " + std::to_string(count)
                + " fois pour " + std::to_string(job.loops.size()) + " boucle(s)");
    for (std::size_t i = 0; i < colors.size(); ++i)
        job.loops[i].color = color("--loop-color", colors[i]);
    for (std::size_t i = 0; i < gains.size(); ++i)
        job.loops[i].gainDb
            = entry("--loop-gain-db", gains[i], Entry::LoopGainDb, job.settings, "gain");
}

// What only the command line says: frequencies, markers and reports.
void readAnalysis(const Given &given, RenderJob &job)
{
    if (given.has("--omega-min"))
        job.omegaMin = positiveFrequency("--omega-min", given.last("--omega-min"));
    if (given.has("--omega-max"))
        job.omegaMax = positiveFrequency("--omega-max", given.last("--omega-max"));
    if (job.omegaMin && job.omegaMax && !(*job.omegaMin < *job.omegaMax))
        throw UsageError("--omega-min doit être inférieure à --omega-max");
    if (given.has("--markers"))
        for (const std::string &item : commaSeparated(given.last("--markers")))
            job.markers.push_back(positiveFrequency("--markers", item));
    job.report = given.has("--report");
    job.reportJson = given.has("--report-json");
}

// The session's settings and its visible loops, as the desktop program draws them.
void readSession(const std::string &path, RenderJob &job)
{
    Session session;
    try {
        session = ReadSessionFile(QFile::decodeName(QByteArray::fromStdString(path)));
    } catch (const SessionError &error) {
        throw UsageError(std::string("--session : ") + error.what());
    }
    job.settings = session.settings;
    for (const SessionLoop &loop : session.loops) {
        if (!loop.visible)
            continue;
        LoopRequest request;
        request.expression = loop.expression;
        request.csvPath = QFile::encodeName(QString::fromStdString(loop.csvPath)).toStdString();
        request.hertz = loop.csvHertz;
        request.gainDb = loop.gainDb;
        request.color = loop.color;
        request.origin = "--session";
        job.loops.push_back(request);
    }
}

} // namespace

RenderJob ParseCommandLine(const std::vector<std::string> &arguments)
{
    RenderJob job;
    const Given given = gather(arguments, job.help);
    if (job.help)
        return job;
    // A session sets the chart and the loops; the options that follow it change them.
    const std::vector<std::string> sessions = given.all("--session");
    if (sessions.size() > 1)
        throw UsageError("--session : une seule session à la fois");
    if (!sessions.empty()) {
        // What the session sets cannot be given before it: it would be silently replaced.
        for (const Given::Option &option : given.options) {
            if (option.name == "--session")
                break;
            if (sessionSets().count(option.name))
                throw UsageError(
                    option.name + " : à donner après --session, qui règle l'abaque et les boucles");
        }
        readSession(sessions.front(), job);
    }
    const Given chartOptions = given.after("--session");
    job.hertz = given.has("--loop-hz");
    readChartOptions(chartOptions, job);
    readProfile(given, job);
    readLoops(chartOptions, job);
    readAnalysis(given, job);
    const bool wantsFile = given.has("-o");
    if (wantsFile && given.last("-o").empty())
        throw UsageError("-o : nom de fichier vide");
    if (!wantsFile && !job.report && !job.reportJson)
        throw UsageError(
            "l'option -o FICHIER est obligatoire (sauf avec --report ou --report-json)");
    if ((job.report || job.reportJson) && job.loops.empty())
        throw UsageError(
            "--report et --report-json demandent au moins une boucle (--loop, --loop-csv ou une "
            "session qui en a)");
    if (job.report && job.reportJson)
        throw UsageError("--report et --report-json ne vont pas ensemble");
    if (wantsFile) {
        job.output = given.last("-o");
        const std::optional<ChartFormat> format = FormatOfFileName(*job.output);
        if (!format)
            throw UsageError("-o : extension inconnue : .png, .bmp, .svg ou .pdf attendu");
        job.format = *format;
    }
    return job;
}

std::string HelpText()
{
    const ChartSettings defaults = DefaultChartSettings();
    const auto range
        = [&](Entry entry, const char *name) { return RangeOf(entry, defaults).describe(name); };
    const std::map<std::string, std::string> ranges {
        { "{image-width}", range(Entry::ImageWidth, "N") },
        { "{image-height}", range(Entry::ImageHeight, "N") },
        { "{window-width}", range(Entry::WindowImageWidth, "N") },
        { "{window-height}", range(Entry::WindowImageHeight, "N") },
        { "{gain-max}", range(Entry::GainMax, "V") },
        { "{gain-min}", range(Entry::GainMin, "V") },
        { "{phase-min}", range(Entry::PhaseMin, "V") },
        { "{isogain}", range(Entry::IsogainValue, "V") },
        { "{isophase}", range(Entry::IsophaseValue, "V") },
        { "{font-size}", range(Entry::FontSize, "N") },
        { "{loop-gain}", range(Entry::LoopGainDb, "V") },
    };
    std::string text = HelpTemplate;
    for (const auto &[key, value] : ranges)
        text.replace(text.find(key), key.size(), value);
    return text;
}

} // namespace velmora
