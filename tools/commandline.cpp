// tools/commandline.cpp — velmora-render's options read into a job (tools layer)
#include "tools/commandline.h"

#include "core/compensatortext.h"
#include "core/floatingpointerror.h"
#include "core/numbertext.h"
#include "session/session.h"
#include "tools/commandoptions.h"
#include "tools/givenoptions.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <functional>
#include <iterator>
#include <tuple>

namespace velmora {

namespace {

// The settings, each from its row of the table of settings.
void readSettings(const Given &given, ChartSettings &s)
{
    for (const SettingField &field : SettingFields()) {
        if (!field.option || !given.has(field.option))
            continue;
        const std::string option = field.option;
        const std::string &text = given.last(option);
        switch (field.kind) {
        case SettingKind::Number: {
            // The steps are tested against the extents read before them, as the windows test
            // them against the current ones.
            const EntryRange range = RangeOf(*field.entry, s);
            const std::string limit = field.limitText ? field.limitText + PlainDecimal(range.high)
                : range.wholeNumbers
                ? "un entier de " + PlainDecimal(range.low) + " à " + PlainDecimal(range.high)
                : range.describe(field.name);
            field.set(s,
                AcceptedNumber(
                    option, text, [&](double v) { return range.contains(v); }, limit));
            break;
        }
        case SettingKind::Switch: // a flag turns its setting on
            field.set(s, true);
            break;
        case SettingKind::Text:
            if (text.empty())
                throw UsageError(option + " : nom de police vide");
            field.set(s, text);
            break;
        case SettingKind::Colour:
            field.set(s, OptionColor(option, text));
            break;
        }
    }
}

// The value lists: their texts are what the command line gives, their values those texts.
void readLists(const Given &given, Session &session)
{
    const ChartSettings defaults;
    const auto list = [&](Option option, Entry which, const char *name,
                          std::vector<std::string> &texts, std::vector<double> &values) {
        if (!given.has(option))
            return;
        texts = CommaSeparated(given.last(option));
        values.clear();
        for (const std::string &item : texts)
            values.push_back(EntryNumber(OptionName(option), item, which, defaults, name));
    };
    list(Option::Isogains, Entry::IsogainValue, "gain", session.isogainTexts,
        session.settings.isogainValues);
    list(Option::Isophases, Entry::IsophaseValue, "phase", session.isophaseTexts,
        session.settings.isophaseValues);
}

void readProfile(const Given &given, RenderJob &job)
{
    const ChartSettings &s = job.session.settings;
    const std::string profile = given.has(Option::Profile) ? given.last(Option::Profile) : "window";
    const bool clipboard = profile == "clipboard";
    if (!clipboard && profile != "window")
        throw UsageError(OptionName(Option::Profile) + " : " + InGuillemets(profile)
            + " inconnu : window ou clipboard attendu");
    job.profile = clipboard ? ClipboardProfile() : WindowProfile();
    if (given.has(Option::Plot)) {
        const std::string &plot = given.last(Option::Plot);
        if (plot == "step")
            job.plot = PlotKind::Step;
        else if (plot == "bode")
            job.plot = PlotKind::Bode;
        else if (plot != "chart")
            throw UsageError(OptionName(Option::Plot) + " : " + InGuillemets(plot)
                + " inconnu : chart, step ou bode attendu");
    }
    // The clipboard's size is the settings' bitmap size (a session's, or 600 x 950).
    job.size = clipboard ? ImageSize { s.bitmapWidth, s.bitmapHeight } : ImageSize {};
    // The fraction is dropped, as the bitmap-size dialog drops it.
    if (given.has(Option::Width))
        job.size.width
            = static_cast<int>(EntryNumber(OptionName(Option::Width), given.last(Option::Width),
                clipboard ? Entry::ImageWidth : Entry::WindowImageWidth, s, "largeur"));
    if (given.has(Option::Height))
        job.size.height
            = static_cast<int>(EntryNumber(OptionName(Option::Height), given.last(Option::Height),
                clipboard ? Entry::ImageHeight : Entry::WindowImageHeight, s, "hauteur"));
    if (given.has(Option::Scale)) {
        const std::string option = OptionName(Option::Scale);
        job.scale = AcceptedNumber(
            option, given.last(Option::Scale), [](double v) { return v >= 1 && v <= 4; },
            "1 <= R <= 4");
        const ImageSize image = ScaledSize(job.size, job.scale);
        if (image.width > 10000 || image.height > 10000)
            throw UsageError(option + " : l'image ferait " + std::to_string(image.width) + " x "
                + std::to_string(image.height) + " pixels, 10000 au plus de chaque côté");
    }
}

// KIND=VALUE, KIND one of the targets' keys.
LoopTarget target(const std::string &text)
{
    const std::string option = OptionName(Option::Tune);
    const std::size_t equals = text.find('=');
    const std::optional<TargetKind> kind
        = equals == std::string::npos ? std::nullopt : TargetKindOfKey(text.substr(0, equals));
    if (!kind)
        throw UsageError(option + " : " + InGuillemets(text)
            + " : CIBLE=V attendu, CIBLE étant mr, pm, gm, wb ou wc");
    const double value = OptionNumber(option, text.substr(equals + 1));
    if (!std::isfinite(value))
        throw UsageError(option + " : " + InGuillemets(text) + " : valeur finie attendue");
    return { *kind, value };
}

void readLoops(const Given &given, bool hertz, RenderJob &job)
{
    std::vector<LoopSpec> &loops = job.session.loops;
    // Loops given here replace those of a session.
    if (given.has(Option::Loop) || given.has(Option::LoopCsv)) {
        loops.clear();
        job.loopOrigins.clear();
    }
    for (const auto &[option, value] : given.items) {
        const bool expression = option == OptionName(Option::Loop);
        if (!expression && option != OptionName(Option::LoopCsv))
            continue;
        if (loops.size() == MaxLoops)
            throw UsageError(
                option + " : " + std::to_string(MaxLoops) + " boucles au plus sur une abaque");
        if (value.empty())
            throw UsageError(option + " : valeur vide");
        LoopSpec loop;
        (expression ? loop.expression : loop.csvPath) = value;
        loop.csvHertz = hertz;
        loop.color = DefaultLoopColor(loops.size());
        loops.push_back(loop);
        job.loopOrigins.push_back(option);
    }
    const std::vector<std::string> colors = given.all(Option::LoopColor);
    const std::vector<std::string> gains = given.all(Option::LoopGainDb);
    const std::vector<std::string> names = given.all(Option::LoopName);
    const std::vector<std::string> compensators = given.all(Option::LoopCompensator);
    const std::vector<std::string> tunes = given.all(Option::Tune);
    for (const auto &[option, count] : { std::pair { Option::LoopColor, colors.size() },
             std::pair { Option::LoopGainDb, gains.size() },
             std::pair { Option::LoopName, names.size() },
             std::pair { Option::LoopCompensator, compensators.size() },
             std::pair { Option::Tune, tunes.size() } })
        if (count > loops.size())
            throw UsageError(OptionName(option) + " : donnée " + std::to_string(count)
                + " fois pour " + std::to_string(loops.size()) + " boucle(s)");
    for (std::size_t i = 0; i < colors.size(); ++i)
        loops[i].color = OptionColor(OptionName(Option::LoopColor), colors[i]);
    for (std::size_t i = 0; i < gains.size(); ++i)
        loops[i].gainDb = EntryNumber(OptionName(Option::LoopGainDb), gains[i], Entry::LoopGainDb,
            job.session.settings, "gain");
    for (std::size_t i = 0; i < names.size(); ++i)
        loops[i].name = names[i];
    for (std::size_t i = 0; i < compensators.size(); ++i) {
        try {
            loops[i].compensator = ParseCompensator(compensators[i]);
        } catch (const std::exception &error) {
            throw UsageError(OptionName(Option::LoopCompensator) + " "
                + InGuillemets(compensators[i]) + " : " + error.what());
        }
    }
    for (std::size_t i = 0; i < tunes.size(); ++i)
        loops[i].target = target(tunes[i]);
}

// "A,B" with min <= A < B <= max.
std::pair<double, double> interval(Option option, const std::string &text, double min, double max)
{
    const std::string name = OptionName(option);
    const std::vector<std::string> items = CommaSeparated(text);
    const std::string wanted
        = "il faut A,B avec " + PlainDecimal(min) + " <= A < B <= " + PlainDecimal(max);
    if (items.size() != 2)
        throw UsageError(name + " : " + InGuillemets(text) + " : " + wanted);
    const double low = OptionNumber(name, items[0]);
    const double high = OptionNumber(name, items[1]);
    if (!(low < high && low >= min && high <= max))
        throw UsageError(name + " : valeur refusée " + InGuillemets(text) + " : " + wanted);
    return { low, high };
}

// How the chart shows the loops, and the part of it shown.
void readPresentation(const Given &given, Session &session)
{
    if (given.has(Option::Legend)) {
        const std::string &kind = given.last(Option::Legend);
        const std::pair<const char *, LegendKind> kinds[] = { { "none", LegendKind::None },
            { "names", LegendKind::Names }, { "margins", LegendKind::Margins } };
        const auto found = std::find_if(
            std::begin(kinds), std::end(kinds), [&](const auto &k) { return kind == k.first; });
        if (found == std::end(kinds))
            throw UsageError(OptionName(Option::Legend) + " : " + InGuillemets(kind)
                + " inconnu : none, names ou margins attendu");
        session.legend = found->second;
    }
    if (given.has(Option::SensitivityContour))
        session.showSensitivity = true;
    const ChartSettings &s = session.settings;
    if (given.has(Option::ViewPhase) || given.has(Option::ViewGain)) {
        ViewExtents view
            = session.view.value_or(ViewExtents { s.phaseMin, s.phaseMax, s.gainMin, s.gainMax });
        if (given.has(Option::ViewPhase))
            std::tie(view.phaseMin, view.phaseMax) = interval(
                Option::ViewPhase, given.last(Option::ViewPhase), s.phaseMin, s.phaseMax);
        if (given.has(Option::ViewGain))
            std::tie(view.gainMin, view.gainMax)
                = interval(Option::ViewGain, given.last(Option::ViewGain), s.gainMin, s.gainMax);
        session.view = view;
    }
}

// What only the command line says: frequencies, markers and reports.
void readAnalysis(const Given &given, RenderJob &job)
{
    if (given.has(Option::OmegaMin))
        job.omegaMin
            = PositiveFrequency(OptionName(Option::OmegaMin), given.last(Option::OmegaMin));
    if (given.has(Option::OmegaMax))
        job.omegaMax
            = PositiveFrequency(OptionName(Option::OmegaMax), given.last(Option::OmegaMax));
    if (job.omegaMin && job.omegaMax && !(*job.omegaMin < *job.omegaMax))
        throw UsageError(OptionName(Option::OmegaMin) + " doit être inférieure à "
            + OptionName(Option::OmegaMax));
    if (given.has(Option::Markers))
        for (const std::string &item : CommaSeparated(given.last(Option::Markers)))
            job.markers.push_back(PositiveFrequency(OptionName(Option::Markers), item));
    job.report = given.has(Option::Report);
    job.reportJson = given.has(Option::ReportJson);
}

// The session's settings, lists and visible loops, as the desktop program draws them.
void readSession(const std::string &path, RenderJob &job)
{
    Session session;
    try {
        session = ReadSessionFile(QFile::decodeName(QByteArray::fromStdString(path)));
    } catch (const SessionError &error) {
        throw UsageError(OptionName(Option::Session) + " : " + error.what());
    }
    std::vector<LoopSpec> loops = std::move(session.loops);
    job.session = std::move(session);
    for (LoopSpec &loop : loops) {
        if (!loop.visible)
            continue;
        loop.csvPath = QFile::encodeName(QString::fromStdString(loop.csvPath)).toStdString();
        job.session.loops.push_back(std::move(loop));
        job.loopOrigins.push_back(OptionName(Option::Session));
    }
}

// A session sets the chart and the loops: what it sets cannot be given before it, where it
// would be silently replaced.
void checkBeforeSession(const Given &given)
{
    for (const Given::Item &item : given.items) {
        if (item.name == OptionName(Option::Session))
            return;
        const auto option = std::find_if(CommandOptions().begin(), CommandOptions().end(),
            [&](const CommandOption &o) { return item.name == o.name; });
        const bool sessionSets
            = SettingOption(item.name) || (option != CommandOptions().end() && option->setsSession);
        if (sessionSets)
            throw UsageError(item.name + " : à donner après " + OptionName(Option::Session)
                + ", qui règle l'abaque et les boucles");
    }
}

void checkOutputs(const Given &given, RenderJob &job)
{
    const std::string report = OptionName(Option::Report);
    const std::string reportJson = OptionName(Option::ReportJson);
    const bool wantsFile = given.has(Option::Output);
    if (wantsFile && given.last(Option::Output).empty())
        throw UsageError(
            std::string(OptionOf(Option::Output).shortName) + " : nom de fichier vide");
    if (!wantsFile && !job.report && !job.reportJson)
        throw UsageError("l'option " + std::string(OptionOf(Option::Output).shortName)
            + " FICHIER est obligatoire (sauf avec " + report + " ou " + reportJson + ")");
    if (job.plot != PlotKind::Chart && job.session.loops.empty())
        throw UsageError(OptionName(Option::Plot) + " " + given.last(Option::Plot)
            + " demande au moins une boucle");
    if ((job.report || job.reportJson) && job.session.loops.empty())
        throw UsageError(report + " et " + reportJson + " demandent au moins une boucle ("
            + OptionName(Option::Loop) + ", " + OptionName(Option::LoopCsv)
            + " ou une session qui en a)");
    if (job.report && job.reportJson)
        throw UsageError(report + " et " + reportJson + " ne vont pas ensemble");
    if (job.plot != PlotKind::Chart && job.scale != 1)
        throw UsageError(OptionName(Option::Scale) + " ne vaut que pour l'abaque ("
            + OptionName(Option::Plot) + " chart)");
    if (wantsFile) {
        job.output = given.last(Option::Output);
        const std::optional<ChartFormat> format = FormatOfFileName(*job.output);
        if (!format)
            throw UsageError(std::string(OptionOf(Option::Output).shortName)
                + " : extension inconnue : .png, .bmp, .svg ou .pdf attendu");
        job.format = *format;
    }
}

} // namespace

RenderJob ParseCommandLine(const std::vector<std::string> &arguments)
{
    RenderJob job;
    const Given given = GatherOptions(arguments, job.help);
    if (job.help)
        return job;
    const std::vector<std::string> sessions = given.all(Option::Session);
    if (sessions.size() > 1)
        throw UsageError(OptionName(Option::Session) + " : une seule session à la fois");
    if (!sessions.empty()) {
        checkBeforeSession(given);
        readSession(sessions.front(), job);
    }
    // The options that follow a session change it.
    const Given changes = given.after(Option::Session);
    readSettings(changes, job.session.settings);
    readLists(changes, job.session);
    readProfile(given, job);
    readLoops(changes, given.has(Option::LoopHz), job);
    readPresentation(changes, job.session);
    readAnalysis(given, job);
    checkOutputs(given, job);
    return job;
}

} // namespace velmora
