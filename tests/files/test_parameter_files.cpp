// Loading and saving parameter files from hostile places: FIFOs, devices, links, values that a
// settings file cannot hold, and messages that stay Czech and short.
#include "files/ParameterFiles.h"
#include "files/ParameterJson.h"
#include "files/SettingsFile.h"
#include "support/DeviceNode.h"
#include "support/FileHelpers.h"
#include "texts/Texts.h"
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace lumo;
using lumo::test::readFile;
using lumo::test::writeFile;

namespace {
QString fifo(const QTemporaryDir& dir, const char* name) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    return path;
}
} // namespace

TEST(ParameterFileLoad, FifosAndDevicesAreRefusedWithACzechReason) {
    QTemporaryDir dir;
    for (const QString& path :
         {fifo(dir, "pipe.json"), fifo(dir, "pipe.KTF"), QStringLiteral("/dev/zero.KTF")}) {
        ParameterSet params;
        params.setText(QStringLiteral("Edit1"), QStringLiteral("55"));
        const ParameterSet before = params;
        QString error;
        EXPECT_FALSE(loadParameterFile(path, params, &error)) << qPrintable(path);
        EXPECT_TRUE(params.sameValues(before));
        EXPECT_TRUE(error.contains(path)) << qPrintable(error);
    }
    ParameterSet params;
    QString error;
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dir.filePath("zero.KTF")));
    EXPECT_FALSE(loadParameterFile(dir.filePath("zero.KTF"), params, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("není to obyčejný soubor"))) << qPrintable(error);
    EXPECT_FALSE(loadParameterFile(dir.filePath("pipe.json"), params, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Soubor \""))) << qPrintable(error);
    EXPECT_TRUE(error.contains(QStringLiteral("není to obyčejný soubor"))) << qPrintable(error);
}

TEST(ParameterFileLoad, JsonProblemsAreCzechAndAReadErrorIsNotCalledBadJson) {
    QTemporaryDir dir;
    ParameterSet params;
    QString error;
    ASSERT_TRUE(writeFile(dir.filePath("a.json"), "{\"Edit1\": \"1\", \"Nonsense\": 1}"));
    EXPECT_FALSE(loadParameterFile(dir.filePath("a.json"), params, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("neznámý klíč \"Nonsense\""))) << qPrintable(error);
    ASSERT_TRUE(writeFile(dir.filePath("b.json"), "{\"Edit1\": "));
    EXPECT_FALSE(loadParameterFile(dir.filePath("b.json"), params, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("není platný JSON"))) << qPrintable(error);
    ASSERT_TRUE(writeFile(dir.filePath("c.json"), "[]"));
    EXPECT_FALSE(loadParameterFile(dir.filePath("c.json"), params, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("JSON neobsahuje objekt"))) << qPrintable(error);

    // A file that cannot be read: the system's reason, not a JSON complaint.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.json")));
    EXPECT_FALSE(loadParameterFile(dir.filePath("folder.json"), params, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("je to složka"))) << qPrintable(error);
    EXPECT_FALSE(error.contains(QStringLiteral("JSON"))) << qPrintable(error);
    ASSERT_TRUE(QFile::link(QStringLiteral("/proc/self/mem"), dir.filePath("mem.json")));
    if (!loadParameterFile(dir.filePath("mem.json"), params, &error)) {
        EXPECT_TRUE(error.contains(QStringLiteral("vstupně-výstupní chyba"))) << qPrintable(error);
        EXPECT_FALSE(error.contains(QStringLiteral("JSON"))) << qPrintable(error);
    }
    // Larger than any parameter set.
    QFile big(dir.filePath("big.json"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(kLargestJsonFile + 1));
    big.close();
    EXPECT_FALSE(loadParameterFile(dir.filePath("big.json"), params, &error));
    EXPECT_TRUE(error.contains(QString::number(kLargestJsonFile + 1))) << qPrintable(error);
}

TEST(ParameterFileSave, KtfRefusesValuesItCannotHoldNamingTheFieldAndCuttingTheValue) {
    QTemporaryDir dir;
    const QString out = dir.filePath("out.KTF");
    QString error;

    ParameterSet tooLong;
    tooLong.setText(QStringLiteral("Edit12"), QString(33, QLatin1Char('7')));
    EXPECT_FALSE(saveParameterFile(out, tooLong, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Edit12"))) << qPrintable(error);
    EXPECT_TRUE(error.contains(QStringLiteral("33"))) << qPrintable(error);
    EXPECT_FALSE(QFile::exists(out));

    ParameterSet huge;
    huge.setText(QStringLiteral("Edit3"), QString(500 * 1024, QLatin1Char('9')));
    EXPECT_FALSE(saveParameterFile(out, huge, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Edit3")));
    EXPECT_LT(error.size(), 400) << "the value must not be echoed whole";

    ParameterSet foreign;
    foreign.setText(QStringLiteral("Edit2"), QStringLiteral("12Ж"));
    EXPECT_FALSE(saveParameterFile(out, foreign, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("Edit2"))) << qPrintable(error);
    EXPECT_TRUE(error.contains(QStringLiteral("Ж"))) << qPrintable(error);
    EXPECT_FALSE(QFile::exists(out));

    // The same sets go to JSON unharmed, and a set of 32 Czech letters fits a settings file.
    EXPECT_TRUE(saveParameterFile(dir.filePath("out.json"), foreign, &error));
    ParameterSet fits;
    fits.setText(QStringLiteral("Edit2"), QString(32, QChar(0x10D))); // č
    EXPECT_TRUE(saveParameterFile(out, fits, &error)) << qPrintable(error);
}

TEST(ParameterFileSave, SavesThroughLinksAndNeverReplacesAFifoOrADevice) {
    QTemporaryDir dir;
    const QString real = dir.filePath("real.KTF");
    ASSERT_TRUE(writeFile(real, "old"));
    ASSERT_TRUE(QFile::link(real, dir.filePath("link.KTF")));
    QString error;
    ASSERT_TRUE(saveParameterFile(dir.filePath("link.KTF"), ParameterSet(), &error));
    EXPECT_TRUE(QFileInfo(dir.filePath("link.KTF")).isSymLink());
    EXPECT_EQ(readFile(real), settingsFile::toBytes(ParameterSet()));

    const QString pipe = fifo(dir, "pipe.json");
    ASSERT_TRUE(QFile::link(pipe, dir.filePath("topipe.json")));
    const QString device = test::makePrivateDeviceNode(dir.filePath("device.KTF"));
    QStringList targets{pipe, dir.filePath("topipe.json")};
    if (!device.isEmpty()) {
        ASSERT_TRUE(QFile::link(device, dir.filePath("null.KTF")));
        targets << device << dir.filePath("null.KTF");
    }
    for (const QString& path : targets) {
        EXPECT_FALSE(saveParameterFile(path, ParameterSet(), &error)) << qPrintable(path);
        EXPECT_TRUE(error.contains(QStringLiteral("není to obyčejný soubor"))) << qPrintable(error);
    }
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(pipe).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    if (!device.isEmpty()) {
        EXPECT_TRUE(test::isCharacterDevice(device));
    }
}

TEST(ParameterFileNames, UnknownExtensionMessageIsATextOfTheActiveLanguage) {
    Texts texts;
    texts.set(TextSection::MESSAGE, 310, QStringLiteral("\"%1\": needs .KTF or .json"));
    EXPECT_EQ(unknownParameterFileMessage(QStringLiteral("x.txt"), &texts),
              QStringLiteral("\"x.txt\": needs .KTF or .json"));
    EXPECT_TRUE(unknownParameterFileMessage(QStringLiteral("x.txt"))
                    .contains(QStringLiteral("název souboru musí končit")));
}
