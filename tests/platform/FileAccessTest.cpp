// Reading inputs without ever blocking on a FIFO or a device, size caps, and saves that keep
// symbolic links and refuse to replace anything but a regular file.
#include "platform/FileAccess.h"
#include "platform/AppConfig.h"
#include "platform/AtomicFile.h"
#include "platform/IniDocument.h"
#include "support/DeviceNode.h"
#include "support/FileHelpers.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace lumo;
using lumo::test::readFile;
using lumo::test::writeFile;
using P = FileError::Problem;

namespace {

QString makeFifo(const QTemporaryDir& dir, const QString& name) {
    const QString path = dir.filePath(name);
    EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    return path;
}

// A file of `size` bytes that takes no disk space.
QString makeSparse(const QTemporaryDir& dir, const QString& name, qint64 size) {
    const QString path = dir.filePath(name);
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    EXPECT_TRUE(f.resize(size));
    return path;
}

bool isFifo(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
}

} // namespace

TEST(ReadRegularFile, RefusesFifosDevicesAndFoldersAtOnce) {
    QTemporaryDir dir;
    QByteArray bytes = "left over";
    FileError error;
    // Without a non-blocking open this call never returns: no writer ever comes.
    EXPECT_FALSE(readRegularFile(makeFifo(dir, "pipe.ini"), 1000, &bytes, &error));
    EXPECT_EQ(error.problem, P::NotRegular);
    EXPECT_TRUE(bytes.isEmpty());
    EXPECT_FALSE(readRegularFile(QStringLiteral("/dev/zero"), 1000, &bytes, &error));
    EXPECT_EQ(error.problem, P::NotRegular);
    EXPECT_FALSE(readRegularFile(dir.path(), 1000, &bytes, &error));
    EXPECT_EQ(error.problem, P::Folder);
    EXPECT_FALSE(readRegularFile(dir.filePath("none"), 1000, &bytes, &error));
    EXPECT_EQ(error.problem, P::Missing);
    // A link to a FIFO is a FIFO.
    ASSERT_TRUE(QFile::link(dir.filePath("pipe.ini"), dir.filePath("link.ini")));
    EXPECT_FALSE(readRegularFile(dir.filePath("link.ini"), 1000, &bytes, &error));
    EXPECT_EQ(error.problem, P::NotRegular);
}

TEST(ReadRegularFile, SizeLimitRefusesOrReadsThePrefix) {
    QTemporaryDir dir;
    ASSERT_TRUE(writeFile(dir.filePath("a"), "0123456789"));
    QByteArray bytes;
    FileError error;
    EXPECT_TRUE(readRegularFile(dir.filePath("a"), 10, &bytes, &error));
    EXPECT_EQ(bytes, "0123456789");
    EXPECT_FALSE(readRegularFile(dir.filePath("a"), 9, &bytes, &error));
    EXPECT_EQ(error.problem, P::TooLarge);
    EXPECT_EQ(error.size, 10);
    EXPECT_EQ(error.limit, 9);
    EXPECT_TRUE(readRegularFile(dir.filePath("a"), 4, &bytes, &error, Oversize::ReadPrefix));
    EXPECT_EQ(bytes, "0123");
    // Files the kernel reports as empty but that hold bytes (/proc) are read to their end.
    EXPECT_TRUE(readRegularFile(QStringLiteral("/proc/self/status"), 1 << 20, &bytes, &error));
    EXPECT_TRUE(bytes.startsWith("Name:"));
}

TEST(ReadRegularFile, AReadErrorKeepsTheSystemsReason) {
    QByteArray bytes;
    FileError error;
    // Reading this process's memory at offset 0 fails with EIO.
    if (readRegularFile(QStringLiteral("/proc/self/mem"), 1000, &bytes, &error))
        GTEST_SKIP() << "no /proc/self/mem read error here";
    EXPECT_EQ(error.problem, P::InputOutput);
    EXPECT_EQ(error.systemError, EIO);
}

TEST(IniDocumentLoad, FifoDeviceAndHugeFilesAreRefusedWithoutReadingThem) {
    QTemporaryDir dir;
    IniDocument doc(QByteArray("[a]\r\nb=1\r\n"));
    bool existed = false;
    FileError error;
    EXPECT_FALSE(IniDocument::load(makeFifo(dir, "Config.ini"), &doc, &existed, nullptr, &error));
    EXPECT_TRUE(existed);
    EXPECT_TRUE(doc.isEmpty());
    EXPECT_EQ(error.problem, P::NotRegular);

    const QString huge = makeSparse(dir, "English.lng", 200LL * 1024 * 1024);
    EXPECT_FALSE(IniDocument::load(huge, &doc, &existed, nullptr, &error));
    EXPECT_EQ(error.problem, P::TooLarge);
    EXPECT_EQ(error.limit, IniDocument::kLargestFile);

    ASSERT_TRUE(writeFile(dir.filePath("ok.ini"), "[Setup]\r\nCOM=3\r\n"));
    EXPECT_TRUE(IniDocument::load(dir.filePath("ok.ini"), &doc, &existed, nullptr, &error));
    EXPECT_TRUE(error.ok());
    EXPECT_EQ(doc.readInt("Setup", "COM", 1), 3);
}

TEST(IniDocumentLoad, UnreadableConfigGivesDefaultsAndTheReasonButCountsAsExisting) {
    QTemporaryDir dir;
    makeFifo(dir, QStringLiteral("Config.ini"));
    const AppConfig config = readConfig(dir.path());
    EXPECT_EQ(config.loadError.problem, P::NotRegular);
    EXPECT_TRUE(config.existed); // so that no first-start file is written over it
    EXPECT_EQ(config.com, 1);
    // Writing at close leaves the FIFO alone.
    QString error;
    EXPECT_FALSE(writeConfigOnClose(dir.path(), false, 2, QStringLiteral("Cesky.lng"), &error));
    EXPECT_TRUE(isFifo(dir.filePath("Config.ini")));
}

TEST(AtomicSave, SavesThroughALinkAndKeepsIt) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("real"));
    const QString target = dir.filePath("real/set.KTF");
    ASSERT_TRUE(writeFile(target, "old"));
    ASSERT_TRUE(
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    // A relative link, as `ln -s real/set.KTF link.KTF` makes it, and a link to that link.
    ASSERT_EQ(::symlink("real/set.KTF", QFile::encodeName(dir.filePath("link.KTF")).constData()),
              0);
    ASSERT_TRUE(QFile::link(dir.filePath("link.KTF"), dir.filePath("link2.KTF")));

    FileError error;
    ASSERT_TRUE(saveFileAtomically(dir.filePath("link2.KTF"), "new", &error));
    EXPECT_EQ(readFile(target), "new");
    EXPECT_TRUE(QFileInfo(dir.filePath("link.KTF")).isSymLink());
    EXPECT_TRUE(QFileInfo(dir.filePath("link2.KTF")).isSymLink());
    EXPECT_EQ(QFile::permissions(target), QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser |
                                              QFile::WriteUser | QFile::ReadGroup);
    // No temporary file is left anywhere.
    EXPECT_EQ(QDir(dir.filePath("real")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"set.KTF"});

    // A dangling link: the save creates the file it names.
    ASSERT_TRUE(QFile::link(dir.filePath("real/later.KTF"), dir.filePath("dangling.KTF")));
    ASSERT_TRUE(saveFileAtomically(dir.filePath("dangling.KTF"), "made", &error));
    EXPECT_EQ(readFile(dir.filePath("real/later.KTF")), "made");
    EXPECT_TRUE(QFileInfo(dir.filePath("dangling.KTF")).isSymLink());
}

TEST(AtomicSave, RefusesFifosDevicesFoldersAndLinkLoops) {
    QTemporaryDir dir;
    const QString fifo = makeFifo(dir, "pipe.KTF");
    ASSERT_TRUE(QFile::link(fifo, dir.filePath("tofifo.KTF")));
    const QString device = test::makePrivateDeviceNode(dir.filePath("device"));
    if (device.isEmpty())
        GTEST_SKIP() << "cannot make a device node here";
    ASSERT_TRUE(QFile::link(device, dir.filePath("tonull.KTF")));
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.KTF"));
    FileError error;
    EXPECT_FALSE(saveFileAtomically(fifo, "x", &error));
    EXPECT_EQ(error.problem, P::NotRegular);
    EXPECT_FALSE(saveFileAtomically(dir.filePath("tofifo.KTF"), "x", &error));
    EXPECT_EQ(error.problem, P::NotRegular);
    EXPECT_TRUE(isFifo(fifo));
    EXPECT_TRUE(QFileInfo(dir.filePath("tofifo.KTF")).isSymLink());
    EXPECT_FALSE(saveFileAtomically(dir.filePath("tonull.KTF"), "x", &error));
    EXPECT_EQ(error.problem, P::NotRegular);
    EXPECT_TRUE(test::isCharacterDevice(device));
    EXPECT_FALSE(saveFileAtomically(dir.filePath("folder.KTF"), "x", &error));
    EXPECT_EQ(error.problem, P::Folder);

    ASSERT_TRUE(QFile::link(dir.filePath("b"), dir.filePath("a")));
    ASSERT_TRUE(QFile::link(dir.filePath("a"), dir.filePath("b")));
    EXPECT_FALSE(saveFileAtomically(dir.filePath("a"), "x", &error));
    EXPECT_EQ(error.problem, P::BadPath);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 6);
}
