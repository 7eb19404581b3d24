// tools/commandoptions.cpp — velmora-render's options described once, and its help (tools layer)
#include "tools/commandoptions.h"

#include "tools/commandline.h"

#include <algorithm>
#include <array>

namespace velmora {

namespace {

constexpr const char *OutputHelp[] = { "fichier à écrire (.png, .bmp, .svg ou .pdf) ; un",
    "fichier ordinaire n'est remplacé qu'une fois l'image",
    "entièrement écrite ; un tube ou un périphérique est",
    "écrit tel quel ; facultatif avec {report} ou", "{report-json}" };
constexpr const char *ProfileHelp[]
    = { "window (300 x 475, défaut) ou clipboard (600 x 950,", "étiquettes avec unités)" };
constexpr const char *PlotHelp[] = { "ce qui est dessiné : chart (l'abaque, défaut), step (la",
    "réponse indicielle en boucle fermée des boucles) ou", "bode (|T| et |S| en dB des boucles)" };
constexpr const char *SizeHelp[]
    = { "taille de l'image, partie fractionnaire ignorée ;", "profil window : {window-width},",
          "{window-height} ; profil clipboard :", "{image-width}, {image-height}",
          "(par défaut la taille du bitmap de la session)" };
constexpr const char *SessionHelp[] = { "dessine une session enregistrée par Velmora",
    "(.velmora) : réglages, listes de valeurs et boucles",
    "visibles ; les options de l'abaque et des boucles se",
    "donnent après {session} et la modifient (des {loop}",
    "ou {loop-csv} remplacent ses boucles)" };
constexpr const char *IsogainsHelp[] = { "gains en boucle fermée en dB, séparés par des",
    "virgules, chacun dans {isogain} ;", "LISTE vide : aucun contour" };
constexpr const char *IsophasesHelp[]
    = { "phases en boucle fermée en degrés, chacune dans", "{isophase}" };
constexpr const char *LoopHelp[] = { "fonction de transfert en boucle ouverte en s, par",
    "exemple \"4/(s*(s+1)*(s+2))\" ou", "\"0.5*exp(-0.2*s)/(s*(0.5*s+1))\" : nombres avec un",
    "point décimal, s, + - * /, ^ entier, parenthèses,",
    "produits implicites (2s, (s+1)(s+2)), retard", "exp(-T*s) avec T >= 0 en secondes" };
constexpr const char *LoopCsvHelp[] = { "réponse mesurée : fréquence, gain (dB), phase (°) par",
    "ligne, séparés par des virgules, points-virgules ou",
    "tabulations ; en-tête et commentaires # permis" };
constexpr const char *LoopHzHelp[] = { "fréquences des fichiers CSV en Hz (rad/s sinon)" };
constexpr const char *LoopColorHelp[] = { "couleur de la boucle suivante dans l'ordre" };
constexpr const char *LoopGainHelp[]
    = { "gain ajouté à la boucle suivante dans l'ordre, en dB,", "{loop-gain}" };
constexpr const char *CompensatorHelp[] = { "correcteur de la boucle suivante dans l'ordre :",
    "produit de nombres et d'éléments lead(wm, phi),", "lag(wz, a), pi(wi), pid(kp, ti, td, n),",
    "notch(wn, zz, zp), poles2(wn, z), zeros2(wn, z), zero(w),",
    "pole(w), gain(dB), /s (intégrateur), appliqué au", "procédé de --loop ou de --loop-csv" };
constexpr const char *TuneHelp[] = { "règle le gain de la boucle suivante dans l'ordre pour",
    "que CIBLE (mr en dB, pm ou gm : marges en ° et dB, wb",
    "ou wc en rad/s) vaille V, boucle fermée stable ;",
    "une cible inaccessible est refusée (code 2)" };
constexpr const char *OmegaHelp[] = { "bornes des fréquences tracées et analysées, en rad/s" };
constexpr const char *MarkersHelp[] = { "fréquences en rad/s marquées sur chaque lieu" };
constexpr const char *ReportHelp[] = { "imprime les marges, la résonance, la bande passante,",
    "la stabilité, la sensibilité Ms et la réponse",
    "indicielle de chaque boucle (tableau, en français)" };
constexpr const char *ReportJsonHelp[] = { "les mêmes grandeurs en JSON" };
constexpr const char *LoopNameHelp[] = { "nom de la boucle suivante dans l'ordre, dans la",
    "légende (par défaut l'expression ou le nom du fichier)" };
constexpr const char *LegendHelp[] = { "légende des boucles : none (aucune), names (noms,",
    "défaut) ou margins (noms, MG, MP, Mr et ωb)" };
constexpr const char *SensitivityHelp[]
    = { "trace en tirets le contour |S| = Ms par le point le", "plus proche du point critique" };
constexpr const char *ViewHelp[] = { "partie de l'abaque montrée : phases de A à B (°),",
    "gains de C à D (dB), A < B et C < D dans les limites",
    "de l'abaque ; graduations plus fines au besoin" };
constexpr const char *ScaleHelp[] = { "dessine l'image R fois plus grande, traits et textes",
    "compris, comme pour un écran de densité R ; 1 <= R <= 4", "(défaut 1)" };
constexpr const char *HelpHelp[] = { "affiche cette aide" };

using S = OptionSection;

const std::array<CommandOption, 27> Options { {
    { Option::Output, "--output", "-o", "FICHIER", S::Output, OutputHelp, false },
    { Option::Profile, "--profile", nullptr, "PROFIL", S::Output, ProfileHelp, false },
    { Option::Plot, "--plot", nullptr, "GRAPHE", S::Output, PlotHelp, false },
    { Option::Width, "--width", nullptr, "N", S::Output, SizeHelp, false },
    { Option::Height, "--height", nullptr, "N", S::Output, {}, false },
    { Option::Session, "--session", nullptr, "FICHIER", S::Session, SessionHelp, false },
    { Option::Isogains, "--isogains", nullptr, "LISTE", S::Contours, IsogainsHelp, true },
    { Option::Isophases, "--isophases", nullptr, "LISTE", S::Contours, IsophasesHelp, true },
    { Option::Loop, "--loop", nullptr, "EXPR", S::Loops, LoopHelp, true },
    { Option::LoopCsv, "--loop-csv", nullptr, "FICHIER", S::Loops, LoopCsvHelp, true },
    { Option::LoopHz, "--loop-hz", nullptr, "", S::Loops, LoopHzHelp, false },
    { Option::LoopColor, "--loop-color", nullptr, "#RRGGBB", S::Loops, LoopColorHelp, true },
    { Option::LoopGainDb, "--loop-gain-db", nullptr, "V", S::Loops, LoopGainHelp, true },
    { Option::OmegaMin, "--omega-min", nullptr, "W", S::Loops, OmegaHelp, false },
    { Option::OmegaMax, "--omega-max", nullptr, "W", S::Loops, {}, false },
    { Option::Markers, "--markers", nullptr, "LISTE", S::Loops, MarkersHelp, false },
    { Option::Report, "--report", nullptr, "", S::Loops, ReportHelp, false },
    { Option::ReportJson, "--report-json", nullptr, "", S::Loops, ReportJsonHelp, false },
    { Option::LoopName, "--loop-name", nullptr, "NOM", S::Loops, LoopNameHelp, true },
    { Option::Legend, "--legend", nullptr, "TYPE", S::Loops, LegendHelp, true },
    { Option::SensitivityContour, "--sensitivity-contour", nullptr, "", S::Loops, SensitivityHelp,
        true },
    { Option::ViewPhase, "--view-phase", nullptr, "A,B", S::Axes, ViewHelp, true },
    { Option::ViewGain, "--view-gain", nullptr, "C,D", S::Axes, {}, true },
    { Option::Scale, "--scale", nullptr, "R", S::Output, ScaleHelp, false },
    { Option::LoopCompensator, "--loop-compensator", nullptr, "EXPR", S::Loops, CompensatorHelp,
        true },
    { Option::Tune, "--tune", nullptr, "CIBLE=V", S::Loops, TuneHelp, true },
    { Option::Help, "--help", "-h", "", S::End, HelpHelp, false },
} };

// The sections' titles, in order.
constexpr std::pair<OptionSection, const char *> Sections[] = {
    { S::Output, "Sortie :" },
    { S::Session, "Session :" },
    { S::Axes, "Axes (mêmes limites que dans la fenêtre principale) :" },
    { S::Contours, "Contours :" },
    { S::Loops, "Boucles ({max-loops} au plus, dans l'ordre où elles sont données) :" },
    { S::Appearance, "Apparence :" },
    { S::End, "" },
};

const char *const Introduction = R"HELP(Usage : velmora-render [options] -o FICHIER
        velmora-render [options] {loop} EXPR {report-json}

Dessine l'abaque (contours isogain et isophase sur le plan de Black) dans un
fichier PNG, BMP, SVG ou PDF, selon l'extension du FICHIER, avec les lieux des
boucles demandées. Sans autre option, l'image est exactement celle de la fenêtre
de l'abaque avec les réglages par défaut. SVG et PDF gardent les tracés en
vectoriel et les textes en texte, à la taille de l'image (le PDF à 96 points par
pouce).
)HELP";

const char *const Conclusion = R"HELP(
Les nombres s'écrivent avec un point décimal (1.5, -2e1). Code de sortie :
0 réussite, 1 erreur d'écriture ou de calcul (aucun fichier partiel n'est
laissé), 2 option, valeur, expression ou fichier de mesures refusé (aucun
fichier n'est écrit).
)HELP";

constexpr std::size_t DescriptionColumn = 27;

// One option's entry: its names, then its description from column 27, on the same line when
// the names leave room.
std::string entryOf(std::string names, std::span<const char *const> help, const std::string &range)
{
    std::string text = "  " + names;
    const std::string indent(DescriptionColumn, ' ');
    for (std::size_t i = 0; i < help.size(); ++i) {
        if (i == 0 && text.size() < DescriptionColumn)
            text += std::string(DescriptionColumn - text.size(), ' ');
        else
            text += "\n" + indent;
        text += FilledHelp(help[i], range);
    }
    return text + "\n";
}

std::string namesOf(const CommandOption &option)
{
    std::string names = option.shortName ? std::string(option.shortName) + ", " : "";
    names += option.name;
    if (*option.value)
        names += std::string(" ") + option.value;
    return names;
}

// The placeholders of the help that are ranges of the table of entry limits.
std::string rangeNamed(const std::string &name)
{
    const ChartSettings defaults = DefaultChartSettings();
    const std::pair<const char *, std::pair<Entry, const char *>> ranges[] = {
        { "image-width", { Entry::ImageWidth, "N" } },
        { "image-height", { Entry::ImageHeight, "N" } },
        { "window-width", { Entry::WindowImageWidth, "N" } },
        { "window-height", { Entry::WindowImageHeight, "N" } },
        { "isogain", { Entry::IsogainValue, "V" } },
        { "isophase", { Entry::IsophaseValue, "V" } },
        { "loop-gain", { Entry::LoopGainDb, "V" } },
    };
    for (const auto &[key, entry] : ranges)
        if (name == key)
            return RangeOf(entry.first, defaults).describe(entry.second);
    if (name == "max-loops")
        return std::to_string(MaxLoops);
    return {};
}

} // namespace

std::span<const CommandOption> CommandOptions()
{
    return Options;
}

const CommandOption &OptionOf(Option option)
{
    return Options[static_cast<std::size_t>(option)];
}

std::string OptionName(Option option)
{
    return OptionOf(option).name;
}

const SettingField *SettingOption(const std::string &name)
{
    for (const SettingField &field : SettingFields())
        if (field.option && name == field.option)
            return &field;
    return nullptr;
}

std::string FilledHelp(std::string text, const std::string &range)
{
    std::size_t open = 0;
    while ((open = text.find('{', open)) != std::string::npos) {
        const std::size_t close = text.find('}', open);
        if (close == std::string::npos)
            break;
        const std::string key = text.substr(open + 1, close - open - 1);
        const std::string option = "--" + key;
        std::string value = key == "range" ? range : rangeNamed(key);
        if (value.empty()) {
            const bool known = SettingOption(option)
                || std::any_of(Options.begin(), Options.end(),
                    [&](const CommandOption &o) { return option == o.name; });
            value = known ? option : "{" + key + "}";
        }
        text.replace(open, close - open + 1, value);
        open += value.size();
    }
    return text;
}

std::string HelpText()
{
    const ChartSettings defaults = DefaultChartSettings();
    std::string text = FilledHelp(Introduction);
    for (const auto &[section, title] : Sections) {
        text += "\n";
        if (*title)
            text += FilledHelp(title) + "\n";
        for (std::size_t i = 0; i < Options.size(); ++i) {
            const CommandOption &option = Options[i];
            if (option.section != section || option.help.empty())
                continue;
            std::string names = namesOf(option);
            if (i + 1 < Options.size() && Options[i + 1].help.empty())
                names += ", " + namesOf(Options[i + 1]);
            text += entryOf(names, option.help, {});
        }
        for (const SettingField &field : SettingFields()) {
            const bool here = (section == S::Axes && field.section == HelpSection::Axes)
                || (section == S::Appearance && field.section == HelpSection::Appearance);
            if (!here)
                continue;
            std::string names = field.option;
            if (*field.optionValue)
                names += std::string(" ") + field.optionValue;
            const std::string range
                = field.entry ? RangeOf(*field.entry, defaults).describe(field.optionValue) : "";
            text += entryOf(names, field.help, range);
        }
    }
    return text + FilledHelp(Conclusion);
}

} // namespace velmora
