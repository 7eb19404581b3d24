// core/loopspec.cpp — a loop described once, loaded and analysed (core layer)
#include "core/loopspec.h"

#include "core/compensatedmodel.h"
#include "core/compensatortext.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace velmora {

namespace {

std::string resolved(const std::string &path)
{
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? std::filesystem::path(path) : absolute).lexically_normal().string();
}

[[noreturn]] void refuse(const std::string &path, const std::string &reason)
{
    throw LoadError("impossible de lire « " + resolved(path) + " » : " + reason);
}

std::string reasonOf(int error)
{
    switch (error) {
    case ENOENT:
        return "fichier inexistant";
    case EACCES:
    case EPERM:
        return "permission refusée";
    case ENOTDIR:
        return "un élément du chemin n'est pas un dossier";
    case ELOOP:
        return "trop de liens symboliques";
    default:
        return "erreur d'entrée-sortie (errno " + std::to_string(error) + ")";
    }
}

} // namespace

std::string LoopSpec::displayName() const
{
    if (!name.empty())
        return name;
    if (!expression.empty())
        return expression;
    return std::filesystem::path(csvPath).filename().string();
}

bool LoopSpec::sameSource(const LoopSpec &other) const
{
    return expression == other.expression && csvPath == other.csvPath
        && (expression.empty() ? csvHertz == other.csvHertz : true)
        && compensator == other.compensator;
}

std::string ReadDataFile(const std::string &path, std::size_t limit)
{
    // The file is looked at before it is opened: opening a FIFO would block until a writer
    // comes, and a device may never end.
    struct stat status { };
    if (::stat(path.c_str(), &status) != 0)
        refuse(path, reasonOf(errno));
    if (S_ISDIR(status.st_mode))
        refuse(path, "c'est un dossier");
    if (!S_ISREG(status.st_mode))
        refuse(path, "ce n'est pas un fichier ordinaire");
    if (static_cast<std::uintmax_t>(status.st_size) > limit)
        refuse(
            path, "fichier trop grand (" + std::to_string(limit / (1024 * 1024)) + " Mio au plus)");
    std::ifstream file(path, std::ios::binary);
    if (!file)
        refuse(path, reasonOf(errno != 0 ? errno : EACCES));
    std::string bytes;
    bytes.resize(limit + 1);
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    // A file that grew since it was looked at is held to the same limit.
    if (bytes.size() > limit)
        refuse(
            path, "fichier trop grand (" + std::to_string(limit / (1024 * 1024)) + " Mio au plus)");
    return bytes;
}

LoadedLoop WithCompensator(const LoadedLoop &loop, const Compensator &compensator)
{
    CheckCompensator(compensator);
    LoadedLoop changed = loop;
    if (loop.data) {
        changed.model = MakeCompensatedModel(loop.plant, compensator);
        return changed;
    }
    changed.function = compensator.empty()
        ? loop.plantFunction
        : std::make_shared<const TransferFunction>(
            CompensatedFunction(*loop.plantFunction, compensator));
    changed.model = compensator.empty() ? loop.plant : MakeRationalModel(changed.function);
    return changed;
}

LoadedLoop LoadLoop(const LoopSpec &spec)
{
    CheckCompensator(spec.compensator);
    LoadedLoop loop;
    if (!spec.isMeasured()) {
        const auto plant
            = std::make_shared<const TransferFunction>(TransferFunction::parse(spec.expression));
        loop.plant = MakeRationalModel(plant);
        loop.plantFunction = plant;
        loop.function = spec.compensator.empty() ? plant
                                                 : std::make_shared<const TransferFunction>(
                                                     CompensatedFunction(*plant, spec.compensator));
        loop.model = spec.compensator.empty() ? loop.plant : MakeRationalModel(loop.function);
    } else {
        loop.data = std::make_shared<const MeasuredResponse>(
            ReadMeasuredResponse(ReadDataFile(spec.csvPath), spec.csvHertz));
        loop.plant = MakeMeasuredModel(loop.data);
        loop.model = MakeCompensatedModel(loop.plant, spec.compensator);
    }
    return loop;
}

LoopAnalysis AnalyseLoadedLoop(
    const LoadedLoop &loop, double gainDb, const AnalysisOptions &options)
{
    if (!loop.model)
        return {};
    return AnalyseResponse(loop.model, gainDb, options);
}

} // namespace velmora
