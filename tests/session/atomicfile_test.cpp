// The one writer of every file the program writes, and the one reader of data files: a failure
// leaves the old file as it was and says so in French; links, read-only files, FIFOs, devices
// and folders each get their documented treatment.
#include "core/loopspec.h"
#include "session/atomicfile.h"
#include "session/session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace velmora;

namespace {

QByteArray contentsOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(absent)");
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

std::string failureOf(const QString &path, const QByteArray &bytes)
{
    try {
        WriteFileAtomically(path, bytes);
    } catch (const FileWriteError &error) {
        return error.what();
    }
    return "written";
}

class AtomicFile : public ::testing::Test {
protected:
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir dir;
};

TEST_F(AtomicFile, ReplacesWholeAndKeepsPermissionsAndLinks)
{
    put(path("a.png"), "old");
    ASSERT_EQ(::chmod(QFile::encodeName(path("a.png")).constData(), 0640), 0);
    WriteFileAtomically(path("a.png"), "new");
    EXPECT_EQ(contentsOf(path("a.png")), "new");
    struct stat status { };
    ASSERT_EQ(::stat(QFile::encodeName(path("a.png")).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);

    // A link to a file that does not exist yet: the file it names is written, the link kept.
    ASSERT_TRUE(QFile::link(path("target.png"), path("link.png")));
    WriteFileAtomically(path("link.png"), "through");
    EXPECT_TRUE(QFileInfo(path("link.png")).isSymLink());
    EXPECT_EQ(contentsOf(path("target.png")), "through");
    // No temporary file is left beside them.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 3);
}

TEST_F(AtomicFile, RefusesReadOnlyFilesAndFoldersAndSaysWhyInFrench)
{
    put(path("locked.velmora"), "kept");
    ASSERT_EQ(::chmod(QFile::encodeName(path("locked.velmora")).constData(), 0444), 0);
    const std::string locked = failureOf(path("locked.velmora"), "lost");
    EXPECT_NE(locked.find("lecture seule"), std::string::npos) << locked;
    EXPECT_EQ(contentsOf(path("locked.velmora")), "kept");

    QDir(dir.path()).mkdir("folder.png");
    EXPECT_NE(failureOf(path("folder.png"), "x").find("c'est un dossier"), std::string::npos);
    EXPECT_NE(failureOf(path("none/x.png"), "x").find("dossier inexistant"), std::string::npos);
}

TEST_F(AtomicFile, AFullDiskLeavesTheOldFileAsItWas)
{
    // A filesystem of 16 KiB: root may mount one; elsewhere there is nothing to fill.
    const QByteArray mountPoint = QFile::encodeName(path("small"));
    QDir(dir.path()).mkdir("small");
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here (not root)";
    const QString session = path("small/essai.velmora");
    Session before;
    LoopSpec loop;
    loop.expression = "4/(s*(s+1)*(s+2))";
    before.loops.push_back(loop);
    WriteSessionFile(before, session);
    const QByteArray old = contentsOf(session);
    // A session too large for what is left, yet small enough (under 16 KiB) that a buffered
    // writer would learn of the failure only when flushing: the write fails part-way.
    Session large;
    large.isogainTexts.assign(800, "12.5");
    const qsizetype size = WriteSession(large).size();
    ASSERT_GT(size, 12 * 1024);
    ASSERT_LT(size, 16 * 1024);
    std::string message;
    try {
        WriteSessionFile(large, session);
    } catch (const SessionError &error) {
        message = error.what();
    }
    EXPECT_NE(message.find("disque plein"), std::string::npos) << message;
    EXPECT_EQ(contentsOf(session), old);
    EXPECT_EQ(QDir(path("small")).entryList(QDir::Files | QDir::Hidden).size(), 1);
    ::umount(mountPoint.constData());
}

TEST_F(AtomicFile, DataFilesAreRegularFilesOfBoundedSize)
{
    const auto refusal = [](const std::string &file) {
        try {
            ReadDataFile(file, 1000);
        } catch (const LoadError &error) {
            return std::string(error.what());
        }
        return std::string("read");
    };
    EXPECT_NE(refusal("/dev/zero").find("ce n'est pas un fichier ordinaire"), std::string::npos);
    EXPECT_NE(refusal(dir.path().toStdString()).find("c'est un dossier"), std::string::npos);
    // A FIFO is refused at once, without waiting for a writer.
    const QByteArray fifo = QFile::encodeName(path("pipe.csv"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    EXPECT_NE(
        refusal(fifo.toStdString()).find("ce n'est pas un fichier ordinaire"), std::string::npos);
    put(path("big.csv"), QByteArray(1001, '1'));
    EXPECT_NE(refusal(path("big.csv").toStdString()).find("trop grand"), std::string::npos);
    put(path("ok.csv"), "1,0,-90\n");
    EXPECT_EQ(ReadDataFile(path("ok.csv").toStdString(), 1000), "1,0,-90\n");
    // The message names the file as resolved, without "..".
    const std::string missing = refusal(dir.path().toStdString() + "/sub/../../"
        + QFileInfo(dir.path()).fileName().toStdString() + "/gone.csv");
    EXPECT_NE(missing.find("« " + path("gone.csv").toStdString() + " »"), std::string::npos)
        << missing;
    EXPECT_NE(missing.find("fichier inexistant"), std::string::npos);
}

} // namespace
