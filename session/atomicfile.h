// session/atomicfile.h — the one way the program writes a file: whole or not at all (session
// layer, Qt Core)
#pragma once

#include <QByteArray>
#include <QString>

#include <stdexcept>
#include <string>

namespace velmora {

// A file that could not be written: the French message names the file and the reason.
class FileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes `bytes` to `path`, a file name taken byte for byte (it need not be UTF-8). Every file
// the program writes (sessions, exported charts, velmora-render's output) goes through here:
// - A regular file, new or replaced, is written to a temporary file beside it, every write
//   checked, synced and renamed over it: a failure (a full disk) or a crash leaves the old file
//   as it was, never a part of the new one. A replaced file keeps its permissions; a new one
//   gets 0666 less the umask.
// - A symbolic link is followed to the file it names, also when that file does not exist yet,
//   and is kept: the file it names is written.
// - A regular file the user may not write (read-only, 0444) is refused, as cp refuses it
//   without -f, and stays as it was.
// - A FIFO, a character device or a socket is written in place and never replaced.
// - A folder is refused.
// Throws FileWriteError.
void WriteFileAtomically(const std::string &path, const QByteArray &bytes);
void WriteFileAtomically(const QString &path, const QByteArray &bytes);

// The reason for a failed system call, in French, from its errno.
std::string FrenchReason(int error);

} // namespace velmora
