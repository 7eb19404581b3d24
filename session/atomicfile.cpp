// session/atomicfile.cpp — writing a file whole or not at all (session layer, Qt Core)
#include "session/atomicfile.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velmora {

namespace {

std::string shown(const std::string &path)
{
    return "« " + QFile::decodeName(QByteArray::fromStdString(path)).toStdString() + " »";
}

[[noreturn]] void fail(const std::string &path, int error)
{
    throw FileWriteError("impossible d'écrire " + shown(path) + " : " + FrenchReason(error));
}

// Writes everything or returns the errno of the failed call.
int writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(left));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += written;
        left -= written;
    }
    return 0;
}

void writeInPlace(const std::string &path, const QByteArray &bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        fail(path, errno);
    const int error = writeAll(fd, bytes);
    const int closed = ::close(fd) == 0 ? 0 : errno;
    if (error != 0 || closed != 0)
        fail(path, error != 0 ? error : closed);
}

std::string directoryOf(const std::string &path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names once its symbolic links are followed, also when the last link names a
// file that does not exist yet: that file is the one to create.
std::string finalTarget(const std::string &path)
{
    std::string current = path;
    for (int links = 0; links < 40; ++links) {
        struct stat status { };
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return current;
        std::vector<char> target(PATH_MAX + 1);
        const ssize_t length = ::readlink(current.c_str(), target.data(), PATH_MAX);
        if (length < 0)
            return current;
        const std::string named(target.data(), static_cast<std::size_t>(length));
        current = named.front() == '/' ? named : directoryOf(current) + "/" + named;
    }
    fail(path, ELOOP);
}

void replaceAtomically(const std::string &path, const QByteArray &bytes, const struct stat *old)
{
    const std::string target = finalTarget(path);
    std::string pattern = directoryOf(target) + "/.velmora-XXXXXX";
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        fail(path, errno);
    const mode_t mode = old ? (old->st_mode & 07777) : [] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return static_cast<mode_t>(0666 & ~mask);
    }();
    int error = ::fchmod(fd, mode) == 0 ? 0 : errno;
    if (error == 0)
        error = writeAll(fd, bytes);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(pattern.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(pattern.c_str());
        fail(path, error);
    }
}

} // namespace

std::string FrenchReason(int error)
{
    switch (error) {
    case ENOENT:
        return "dossier inexistant";
    case EACCES:
    case EPERM:
        return "permission refusée";
    case ENOSPC:
        return "disque plein";
    case EDQUOT:
        return "quota de disque dépassé";
    case EROFS:
        return "système de fichiers en lecture seule";
    case EISDIR:
        return "c'est un dossier";
    case ENOTDIR:
        return "un élément du chemin n'est pas un dossier";
    case ENAMETOOLONG:
        return "nom trop long";
    case EPIPE:
        return "le lecteur du tube s'est arrêté";
    case ELOOP:
        return "trop de liens symboliques";
    default:
        return "erreur d'entrée-sortie (errno " + std::to_string(error) + ")";
    }
}

void WriteFileAtomically(const std::string &path, const QByteArray &bytes)
{
    struct stat status { };
    if (::stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode))
            fail(path, EISDIR);
        if (!S_ISREG(status.st_mode)) {
            writeInPlace(path, bytes);
            return;
        }
        // A file nobody may write, or this user may not: it is not replaced behind the user's
        // back (root may write anything, so the permission bits decide for root).
        if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0
            || ::access(path.c_str(), W_OK) != 0)
            throw FileWriteError(
                "impossible d'écrire " + shown(path) + " : fichier en lecture seule");
        replaceAtomically(path, bytes, &status);
        return;
    }
    if (errno != ENOENT)
        fail(path, errno);
    replaceAtomically(path, bytes, nullptr);
}

void WriteFileAtomically(const QString &path, const QByteArray &bytes)
{
    WriteFileAtomically(QFile::encodeName(path).toStdString(), bytes);
}

} // namespace velmora
