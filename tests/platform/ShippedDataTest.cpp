// Filling the working folder with the shipped data: everything lands in an empty folder, and
// nothing the user changed, replaced or removed is ever overwritten or brought back.
#include "platform/ShippedData.h"
#include "support/FileHelpers.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace lumo;
using lumo::test::readFile;
using lumo::test::writeFile;

namespace {

class ShippedDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir().mkpath(shipped()));
        ship("English.lng", "[Menu]\r\n1=File\r\n");
        ship("Cesky.lng", "[Menu]\r\n1=Soubor\r\n");
        ship("PowerOn.WAV", QByteArray("RIFF\0\0\0\0WAVE", 12));
    }
    QString shipped() const { return m_dir.filePath("share/lumo"); }
    QString folder() const { return m_dir.filePath("home/Lumo"); }
    QString inFolder(const QString& name) const { return QDir(folder()).filePath(name); }
    void ship(const QString& name, const QByteArray& bytes) {
        ASSERT_TRUE(writeFile(QDir(shipped()).filePath(name), bytes));
    }
    QByteArray shippedBytes(const QString& name) const {
        return readFile(QDir(shipped()).filePath(name));
    }

    QTemporaryDir m_dir;
};

TEST_F(ShippedDataTest, AMissingFolderIsCreatedAndFilledWithEveryShippedFile) {
    const auto result = shippedData::fillFolder(shipped(), folder());
    EXPECT_FALSE(result.folderFailed);
    EXPECT_TRUE(result.failedPath.isEmpty());
    EXPECT_TRUE(result.folderCreated);
    EXPECT_EQ(result.copied, (QStringList{"Cesky.lng", "English.lng", "PowerOn.WAV"}));
    for (const QString name : {"Cesky.lng", "English.lng", "PowerOn.WAV"})
        EXPECT_EQ(readFile(inFolder(name)), shippedBytes(name)) << name.toStdString();

    // A second start finds everything in place and changes nothing.
    const auto again = shippedData::fillFolder(shipped(), folder());
    EXPECT_FALSE(again.folderCreated);
    EXPECT_TRUE(again.copied.isEmpty());
    EXPECT_TRUE(again.updated.isEmpty());
    EXPECT_TRUE(again.kept.isEmpty());
}

TEST_F(ShippedDataTest, AChangedFileIsNeverOverwrittenAnUntouchedOneFollowsANewerRelease) {
    shippedData::fillFolder(shipped(), folder());
    ASSERT_TRUE(writeFile(inFolder("English.lng"), "[Menu]\r\n1=My file\r\n"));
    ship("English.lng", "[Menu]\r\n1=File\r\n11=Open\r\n");
    ship("Cesky.lng", "[Menu]\r\n1=Soubor\r\n11=Otevřít\r\n");

    const auto result = shippedData::fillFolder(shipped(), folder());
    EXPECT_EQ(readFile(inFolder("English.lng")), "[Menu]\r\n1=My file\r\n");
    EXPECT_EQ(readFile(inFolder("Cesky.lng")), shippedBytes("Cesky.lng"));
    EXPECT_EQ(result.kept, QStringList{"English.lng"});
    EXPECT_EQ(result.updated, QStringList{"Cesky.lng"});

    // The edited file stays the user's at every later start too.
    ship("English.lng", "[Menu]\r\n1=File\r\n11=Open\r\n12=Save\r\n");
    shippedData::fillFolder(shipped(), folder());
    EXPECT_EQ(readFile(inFolder("English.lng")), "[Menu]\r\n1=My file\r\n");
}

TEST_F(ShippedDataTest, ARemovedFileStaysRemovedANewlyShippedOneArrives) {
    shippedData::fillFolder(shipped(), folder());
    ASSERT_TRUE(QFile::remove(inFolder("PowerOn.WAV")));
    ship("Lumo-EN.html", "<html></html>");

    const auto result = shippedData::fillFolder(shipped(), folder());
    EXPECT_FALSE(QFile::exists(inFolder("PowerOn.WAV")));
    EXPECT_EQ(readFile(inFolder("Lumo-EN.html")), "<html></html>");
    EXPECT_EQ(result.copied, QStringList{"Lumo-EN.html"});
}

TEST_F(ShippedDataTest, FilesAlreadyThereWithoutARecordCountAsTheUsers) {
    // A folder made by hand or by an older copy: a differing file is kept, an identical one is
    // taken over and follows later releases.
    ASSERT_TRUE(QDir().mkpath(folder()));
    ASSERT_TRUE(writeFile(inFolder("English.lng"), "[Menu]\r\n1=Mine\r\n"));
    ASSERT_TRUE(writeFile(inFolder("Cesky.lng"), shippedBytes("Cesky.lng")));
    const auto first = shippedData::fillFolder(shipped(), folder());
    EXPECT_FALSE(first.folderCreated);
    EXPECT_EQ(first.kept, QStringList{"English.lng"});
    EXPECT_EQ(first.copied, QStringList{"PowerOn.WAV"});

    ship("Cesky.lng", "[Menu]\r\n1=Soubor!\r\n");
    ship("English.lng", "[Menu]\r\n1=File!\r\n");
    shippedData::fillFolder(shipped(), folder());
    EXPECT_EQ(readFile(inFolder("Cesky.lng")), "[Menu]\r\n1=Soubor!\r\n");
    EXPECT_EQ(readFile(inFolder("English.lng")), "[Menu]\r\n1=Mine\r\n");
}

TEST_F(ShippedDataTest, NamesMatchCaseInsensitivelyAndLinksAreLeftAlone) {
    ASSERT_TRUE(QDir().mkpath(folder()));
    ASSERT_TRUE(writeFile(inFolder("english.LNG"), "[Menu]\r\n1=Mine\r\n"));
    const QString elsewhere = m_dir.filePath("tones.wav");
    ASSERT_TRUE(writeFile(elsewhere, "my own tone"));
    ASSERT_TRUE(QFile::link(elsewhere, inFolder("PowerOn.WAV")));

    const auto result = shippedData::fillFolder(shipped(), folder());
    EXPECT_FALSE(QFile::exists(inFolder("English.lng"))) << "no second pack beside the user's";
    EXPECT_EQ(readFile(inFolder("english.LNG")), "[Menu]\r\n1=Mine\r\n");
    EXPECT_TRUE(QFileInfo(inFolder("PowerOn.WAV")).isSymLink());
    EXPECT_EQ(readFile(elsewhere), "my own tone");
    EXPECT_EQ(result.kept, (QStringList{"English.lng", "PowerOn.WAV"}));
}

TEST_F(ShippedDataTest, AFileInTheFoldersPlaceIsReportedAndLeftAlone) {
    ASSERT_TRUE(QDir().mkpath(m_dir.filePath("home")));
    ASSERT_TRUE(writeFile(folder(), "not a folder"));
    const auto result = shippedData::fillFolder(shipped(), folder());
    EXPECT_TRUE(result.folderFailed);
    EXPECT_EQ(result.failedPath, folder());
    EXPECT_EQ(result.error.problem, FileError::Problem::BadPath);
    EXPECT_EQ(readFile(folder()), "not a folder");

    // Below a file the folder cannot be made either, and the reason is the system's.
    const auto below = shippedData::fillFolder(shipped(), folder() + "/Lumo");
    EXPECT_TRUE(below.folderFailed);
    EXPECT_EQ(below.error.problem, FileError::Problem::BadPath);
}

TEST(ShippedDataPlaces, TheDataLiesBesideTheProgramAndTheHomeFolderFollowsTheEnvironment) {
    EXPECT_EQ(shippedData::folderBesideProgram("/usr/bin"), "/usr/share/lumo");
    EXPECT_EQ(shippedData::folderBesideProgram("/work/build/release/src"),
              "/work/build/release/share/lumo");
    qputenv("LUMO_WORKDIR", "/tmp/somewhere");
    EXPECT_EQ(shippedData::homeWorkingFolder(), "/tmp/somewhere");
    qunsetenv("LUMO_WORKDIR");
    EXPECT_EQ(shippedData::homeWorkingFolder(), QDir::home().filePath("Lumo"));
}

} // namespace
