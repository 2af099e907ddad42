// Reading packs as translators and the original program wrote them, damaged ones included;
// the exported Czech pack; the pack check.
#include "platform/Cp1250.h"
#include "texts/LanguagePack.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumo::language {
namespace {

using S = TextSection;

const QString kCzechLetters = QStringLiteral("ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ áčďéěíňóřšťúůýž");
const QString kShippedData = QStringLiteral(LUMO_TEST_DATA_DIR "/../../data");

Texts loaded(const QByteArray& bytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Pack.lng"));
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    f.close();
    Texts texts;
    EXPECT_TRUE(loadLanguagePack(path, texts));
    return texts;
}

TEST(PackFile, Cp1250PackWithEveryCzechLetter) {
    const QByteArray bytes = "[Menu]\r\n1=" + cp1250::fromUnicode(kCzechLetters) + "\r\n";
    ASSERT_EQ(bytes.size(), 10 + 31 + 2); // one byte per letter
    const Texts texts = loaded(bytes);
    EXPECT_EQ(texts.get(S::Menu, 1), kCzechLetters);
}

TEST(PackFile, Utf8PackWithByteOrderMark) {
    const QByteArray bytes = "\xEF\xBB\xBF[Menu]\n1=" + kCzechLetters.toUtf8() +
                             "\n[HINT]\n1=" + QStringLiteral("Stav – port").toUtf8() + "\n";
    const PackFile pack = parsePack(bytes);
    EXPECT_TRUE(pack.utf8);
    const Texts texts = loaded(bytes);
    EXPECT_EQ(texts.get(S::Menu, 1), kCzechLetters);
    EXPECT_EQ(texts.get(S::HINT, 1), QStringLiteral("Stav – port"));
    // Without the mark the same bytes are code page 1250, as the original program read them.
    const Texts legacy = loaded(bytes.mid(3));
    EXPECT_NE(legacy.get(S::Menu, 1), kCzechLetters);
    EXPECT_EQ(legacy.get(S::Menu, 1), cp1250::toUnicode(kCzechLetters.toUtf8()));
}

TEST(PackFile, OriginalLayoutsLoadUnchanged) {
    // LF and CR LF mixed, sections and keys in any order, section names in any letter case,
    // blanks around names and values, quoted values, comments, a last line without an end.
    const QByteArray bytes = "; made by hand\n[other]\r\n 23 = About \r\n[Menu]\n11=\"Open\"\n"
                             "1=File\r\n[MESSAGE]\n35=Error";
    const Texts texts = loaded(bytes);
    EXPECT_EQ(texts.get(S::OTHER, 23), QStringLiteral("About"));
    EXPECT_EQ(texts.get(S::Menu, 11), QStringLiteral("Open"));
    EXPECT_EQ(texts.get(S::Menu, 1), QStringLiteral("File"));
    EXPECT_EQ(texts.message(35), QStringLiteral("Error"));
    EXPECT_EQ(texts.get(S::Menu, 12), QStringLiteral("Uložit")); // missing key: default
}

TEST(PackFile, FirstSectionAndFirstKeyWin) {
    const Texts texts = loaded("[Menu]\n1=First\n1=Second\n[TAB1]\n1=Page\n[Menu]\n1=Third\n"
                               "2=Ignored\n");
    EXPECT_EQ(texts.get(S::Menu, 1), QStringLiteral("First"));
    EXPECT_EQ(texts.get(S::Menu, 2), QStringLiteral("Vexo - vrátný"));
    EXPECT_EQ(texts.get(S::TAB1, 1), QStringLiteral("Page"));
}

TEST(PackFile, DamagedLinesAreIgnoredAndTheRestApplies) {
    QByteArray bytes = "[Menu]\r\n1=File\r\n2=" + QByteArray(kMaxLineBytes + 10, 'x') + "\r\n";
    bytes += QByteArray("3=Tools\r\n11=Op\x00\x01\x02n\r\n", 20);
    bytes += "abc=not a key\r\n01=leading zero\r\n-5=negative\r\n99999999999=huge\r\n";
    bytes += "=no name\r\n4=Help\r\n";
    const PackFile pack = parsePack(bytes);
    EXPECT_EQ(pack.ignoredLines, (std::vector<int>{3, 5}));
    const Texts texts = loaded(bytes);
    EXPECT_EQ(texts.get(S::Menu, 1), QStringLiteral("File"));
    EXPECT_EQ(texts.get(S::Menu, 2), QStringLiteral("Vexo - vrátný"));
    EXPECT_EQ(texts.get(S::Menu, 3), QStringLiteral("Tools"));
    EXPECT_EQ(texts.get(S::Menu, 11), QStringLiteral("Otevřít"));
    EXPECT_EQ(texts.get(S::Menu, 4), QStringLiteral("Help"));
}

TEST(PackFile, RandomBytesNeverCrash) {
    // A cheap fuzz: every prefix of a scrambled pack parses and loads.
    QByteArray bytes = exportBuiltInPack();
    for (qsizetype i = 0; i < bytes.size(); i += 7)
        bytes[i] = char((i * 131 + 17) & 0xFF);
    for (qsizetype n = 0; n < bytes.size(); n += 97) {
        const PackFile pack = parsePack(bytes.left(n));
        (void)checkPack(pack);
    }
    SUCCEED();
}

TEST(PackFile, ExportIsTheCzechPackInReadingOrder) {
    const QByteArray bytes = exportBuiltInPack();
    EXPECT_TRUE(bytes.startsWith("[Menu]\r\n1=Soubor\r\n11=Otev\xF8\xEDt\r\n"));
    EXPECT_FALSE(bytes.contains("\n\n"));
    EXPECT_EQ(bytes.count("\n"), bytes.count("\r\n"));
    // Every key, and loading it gives every default (line feeds became blanks).
    const PackFile pack = parsePack(bytes);
    EXPECT_EQ(pack.entries.size(), builtInTexts().size());
    EXPECT_TRUE(checkPack(pack).clean());
    for (const TextDef& def : builtInTexts()) {
        const std::optional<QString> value = pack.value(def.key.section, def.key.key);
        ASSERT_TRUE(value) << sectionName(def.key.section).toStdString() << def.key.key;
        EXPECT_EQ(
            *value,
            QString::fromUtf8(def.czech).replace(QLatin1Char('\n'), QLatin1Char(' ')).trimmed());
    }
}

TEST(PackFile, CheckListsMissingEmptyUnknownAndOverLong) {
    const QByteArray bytes = "[Menu]\n1=File\n11=\n12=" + QByteArray(kMaxValueLength + 1, 'y') +
                             "\n999=what\nname=x\n[Extra]\n1=y\n";
    const PackCheck check = checkPack(parsePack(bytes));
    EXPECT_EQ(check.missing.size(), builtInTexts().size() - 3);
    EXPECT_EQ(check.empty, (std::vector<TextKey>{{S::Menu, 11}}));
    ASSERT_EQ(check.unknown.size(), 3u);
    EXPECT_EQ(check.unknown[0].key, QStringLiteral("999"));
    EXPECT_EQ(check.unknown[1].key, QStringLiteral("name"));
    EXPECT_EQ(check.unknown[2].section, QStringLiteral("Extra"));
    ASSERT_EQ(check.overLong.size(), 1u);
    EXPECT_EQ(check.overLong[0].key, QStringLiteral("12"));
    EXPECT_FALSE(check.clean());
}

TEST(ShippedPacks, EnglishHasEveryKeyAndNamesItsManual) {
    const PackFile pack = readPack(kShippedData + QStringLiteral("/English.lng"));
    ASSERT_TRUE(pack.readable);
    const PackCheck check = checkPack(pack);
    // Messages added after this pack was translated may be missing (they show in Czech);
    // every key of the windows must be there.
    for (const TextKey& key : check.missing)
        EXPECT_TRUE(key.section == S::MESSAGE && key.key >= 65)
            << sectionName(key.section).toStdString() << ' ' << key.key;
    EXPECT_TRUE(check.unknown.empty());
    EXPECT_TRUE(check.overLong.empty());
    EXPECT_TRUE(check.ignoredLines.empty());
    // Empty is allowed only where the Czech default is empty too.
    EXPECT_TRUE(check.empty.empty());
    EXPECT_TRUE(pack.value(S::OTHER, 37)->endsWith(QLatin1String(".html")));
    EXPECT_EQ(pack.value(S::Menu, 1), QStringLiteral("File"));
}

} // namespace
} // namespace lumo::language
