#include "texts/LanguagePack.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <dirent.h>

namespace lumo::language {
namespace {

using S = TextSection;

const QString kSamplePack = QStringLiteral(LUMO_TEST_DATA_DIR "/texts/English.lng");

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

TEST(LanguagePack, PresentKeysOverrideOthersKeepDefaults) {
    Texts texts;
    ASSERT_TRUE(loadLanguagePack(kSamplePack, texts));
    EXPECT_EQ(texts.get(S::Menu, 1), "File");
    EXPECT_EQ(fileLabel(texts), "File: ");
    EXPECT_EQ(texts.get(S::Menu, 11), "Open");
    EXPECT_EQ(texts.get(S::Menu, 12), QStringLiteral("Uložit"));
    EXPECT_EQ(texts.get(S::TAB1, 81), "Service password");
    EXPECT_EQ(texts.message(35), "Communication error");
    EXPECT_EQ(texts.message(36), QStringLiteral("Obsah paměti není správný"));
    EXPECT_EQ(texts.get(S::OTHER, 48).count('\n'), 2);
}

TEST(LanguagePack, ValuesAreTrimmedUnquotedAndDecodedFrom1250) {
    Texts texts;
    ASSERT_TRUE(loadLanguagePack(kSamplePack, texts));
    EXPECT_EQ(texts.get(S::TAB1, 11), "Dialling"); // section name in other letter case
    EXPECT_EQ(groupBoxCaption(texts.get(S::TAB1, 11)), " Dialling ");
    EXPECT_EQ(texts.message(37), ""); // present but empty: empty, not the default
    EXPECT_EQ(texts.message(55), QStringLiteral("Číslo bloku:"));
    EXPECT_EQ(texts.get(S::REMOTE, 25), QStringLiteral("Žádný box"));
    EXPECT_EQ(texts.get(S::TAB1, 76) + " *", "Klavesa *");
    EXPECT_EQ(texts.get(S::REMOTE, 999), ""); // keys outside the table are ignored
}

TEST(LanguagePack, LoadingAnotherPackStartsFromDefaults) {
    QTemporaryDir dir;
    const QString pack = dir.filePath("Mini.lng");
    writeFile(pack, "[Menu]\r\n2=Unit\r\n");
    Texts texts;
    ASSERT_TRUE(loadLanguagePack(kSamplePack, texts));
    ASSERT_TRUE(loadLanguagePack(pack, texts));
    EXPECT_EQ(texts.get(S::Menu, 1), "Soubor"); // the earlier pack's value is gone
    EXPECT_EQ(texts.get(S::Menu, 2), "Unit");
}

TEST(LanguagePack, MissingOrDamagedFile) {
    Texts texts;
    texts.set(S::Menu, 1, "stale");
    EXPECT_FALSE(loadLanguagePack("/no/such/pack.lng", texts));
    EXPECT_EQ(texts.get(S::Menu, 1), "Soubor");

    QTemporaryDir dir;
    QByteArray junk;
    for (int i = 0; i < 2000; ++i)
        junk.append(static_cast<char>((i * 73 + 5) % 256));
    writeFile(dir.filePath("Junk.lng"), junk);
    EXPECT_TRUE(loadLanguagePack(dir.filePath("Junk.lng"), texts));
    EXPECT_EQ(texts.message(35), "Chyba komunikace");
}

class PackChoiceTest : public ::testing::Test {
protected:
    QString folder() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

TEST_F(PackChoiceTest, ExistingPackIsUsedWhateverItsLetterCase) {
    writeFile(file("English.lng"), "[Menu]\r\n1=File\r\n");
    Texts texts;
    const PackChoice choice = applyLanguage(folder(), file("ENGLISH.LNG"), texts);
    EXPECT_EQ(choice.outcome, PackChoice::Outcome::LoadPack);
    EXPECT_EQ(texts.get(S::Menu, 1), "File");
}

TEST_F(PackChoiceTest, MissingPackWithConfigFallsBackToCzechAndKeepsConfig) {
    writeFile(file("Cesky.lng"), "[Menu]\r\n1=Soubor CZ\r\n");
    writeFile(file("Config.ini"), "[Setup]\r\nLang=Gone.lng\r\nTimeOutRS=40\r\n");
    Texts texts;
    texts.set(S::Menu, 1, "File");
    const PackChoice choice = applyLanguage(folder(), file("Gone.lng"), texts);
    EXPECT_EQ(choice.outcome, PackChoice::Outcome::LoadPack);
    EXPECT_EQ(QFileInfo(choice.languageFile).fileName(), "Cesky.lng");
    EXPECT_EQ(texts.get(S::Menu, 1), "Soubor CZ");
    // The hand-edited time-out must not be lost with the file.
    EXPECT_TRUE(QFile::exists(file("Config.ini")));
}

TEST_F(PackChoiceTest, MissingPackAndCzechWithConfigIsAnErrorThatChangesNothing) {
    writeFile(file("Config.ini"), "[Setup]\r\nLang=Gone.lng\r\n");
    Texts texts;
    texts.set(S::Menu, 1, "File");
    const PackChoice choice = applyLanguage(folder(), file("Gone.lng"), texts);
    EXPECT_EQ(choice.outcome, PackChoice::Outcome::Error);
    EXPECT_EQ(QFileInfo(choice.languageFile).fileName(), "Cesky.lng");
    EXPECT_EQ(texts.get(S::Menu, 1), "File");
    EXPECT_EQ(kLanguageFileError, "Language file error / chybí jazykový soubor");
}

TEST_F(PackChoiceTest, MissingPackWithoutConfigGivesDefaultsSilently) {
    writeFile(file("Cesky.lng"), "[Menu]\r\n1=Soubor CZ\r\n");
    Texts texts;
    texts.set(S::Menu, 1, "File");
    const PackChoice choice = applyLanguage(folder(), file("Gone.lng"), texts);
    EXPECT_EQ(choice.outcome, PackChoice::Outcome::Defaults);
    EXPECT_EQ(choice.languageFile, file("Gone.lng"));
    EXPECT_EQ(texts.get(S::Menu, 1), "Soubor"); // built-in, not the pack on disk
}

TEST_F(PackChoiceTest, MenuListsFirstElevenPacksInFileSystemOrder) {
    for (int i = 1; i <= 12; ++i)
        writeFile(file(QStringLiteral("Pack%1.%2").arg(i).arg(i % 2 ? "lng" : "LNG")), "");
    writeFile(file("readme.txt"), "");
    QStringList expected;
    DIR* dir = opendir(QFile::encodeName(folder()).constData());
    ASSERT_NE(dir, nullptr);
    while (dirent* entry = readdir(dir)) {
        const QString name = QFile::decodeName(entry->d_name);
        if (name.endsWith(".lng", Qt::CaseInsensitive))
            expected.append(name);
    }
    closedir(dir);
    ASSERT_EQ(expected.size(), 12);

    const std::vector<MenuEntry> entries = languageMenuEntries(folder());
    ASSERT_EQ(entries.size(), 11u);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].path, file(expected[static_cast<qsizetype>(i)]));
        EXPECT_EQ(entries[i].caption, expected[static_cast<qsizetype>(i)].chopped(4));
    }
}

TEST_F(PackChoiceTest, MenuOfEmptyFolderIsEmpty) {
    EXPECT_TRUE(languageMenuEntries(folder()).empty());
}

} // namespace
} // namespace lumo::language
