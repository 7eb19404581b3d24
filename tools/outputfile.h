// tools/outputfile.h — writing a file the user named on the command line, whole or not at all
// (tools layer)
#pragma once

#include <QByteArray>

#include <string>

namespace velmora {

// Writes `bytes` to `path`, a file name taken byte for byte as given (it need not be UTF-8).
// A regular file, new or replaced (through a symbolic link too), is written to a temporary file
// beside it, synced and renamed over it, so that a failure or a crash leaves either the old file
// or the new one, never a part; a replaced file keeps its permissions. Anything else that exists
// there (a FIFO, a character device) is written in place and never replaced. Throws
// std::runtime_error with a French message that names the file and the reason.
void WriteWholeFile(const std::string &path, const QByteArray &bytes);

// The reason for a failed system call, in French, from its errno.
std::string FrenchReason(int error);

} // namespace velmora
