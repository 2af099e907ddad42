#include "platform/IniFile.h"
#include "platform/IniDocument.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumo {
namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("test.ini")) const {
        return m_dir.filePath(name);
    }
    void writeBytes(const QByteArray& bytes, const QString& name = QStringLiteral("test.ini")) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray readBytes(const QString& name = QStringLiteral("test.ini")) const {
        QFile file(path(name));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return file.readAll();
    }

    QTemporaryDir m_dir;
};

TEST_F(IniFileTest, ReadsCaseInsensitivelyWithBlanksAndQuotes) {
    writeBytes("; comment\r\n"
               "[Setup]\r\n"
               "  com  =   3   \r\n"
               "Lang=\"English.lng\"\r\n"
               "Quoted=\" padded \"\r\n"
               "Half=\"open\r\n"
               "Eq=a=b\r\n"
               "Empty=\r\n"
               "[ Other ]\n"
               "com=9\n");
    IniFile ini(path());
    EXPECT_EQ(ini.readString("SETUP", "COM"), "3");
    EXPECT_EQ(ini.readString("setup", "lang"), "English.lng");
    EXPECT_EQ(ini.readString("Setup", "Quoted"), " padded ");
    EXPECT_EQ(ini.readString("Setup", "Half"), "\"open");
    EXPECT_EQ(ini.readString("Setup", "Eq"), "a=b");
    EXPECT_EQ(ini.readString("Setup", "Empty", "dflt"), "");
    EXPECT_TRUE(ini.hasKey("Setup", "Empty"));
    EXPECT_EQ(ini.readString("other", "COM"), "9");
    EXPECT_EQ(ini.readString("Setup", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ini.readString("Nowhere", "COM", "dflt"), "dflt");
    EXPECT_EQ(ini.sections(), QStringList({"Setup", "Other"}));
    EXPECT_EQ(ini.keys("setup"), QStringList({"com", "Lang", "Quoted", "Half", "Eq", "Empty"}));
}

TEST_F(IniFileTest, MissingFileGivesDefaults) {
    IniFile ini(path("none.ini"));
    EXPECT_EQ(ini.readString("Setup", "COM", "x"), "x");
    EXPECT_EQ(ini.readInt("Setup", "COM", 7), 7);
    EXPECT_FALSE(ini.hasKey("Setup", "COM"));
    EXPECT_TRUE(ini.sections().isEmpty());
}

TEST_F(IniFileTest, FirstSectionAndFirstKeyWin) {
    writeBytes("[A]\nk=1\nk=2\n[a]\nk=3\nj=4\n");
    IniFile ini(path());
    EXPECT_EQ(ini.readString("A", "k"), "1");
    // Like the system reader, only the first section of a name is searched.
    EXPECT_FALSE(ini.hasKey("A", "j"));
}

TEST_F(IniFileTest, ReadIntTakesLeadingDigits) {
    writeBytes("[S]\na=12\nb= -5x\nc=abc\nd=\ne=+7\nf=99999999999\ng=3.5\n");
    IniFile ini(path());
    EXPECT_EQ(ini.readInt("S", "a", 0), 12);
    EXPECT_EQ(ini.readInt("S", "b", 0), -5);
    EXPECT_EQ(ini.readInt("S", "c", 42), 42);
    EXPECT_EQ(ini.readInt("S", "d", 42), 42);
    EXPECT_EQ(ini.readInt("S", "e", 0), 7);
    EXPECT_EQ(ini.readInt("S", "f", 42), 42); // out of range
    EXPECT_EQ(ini.readInt("S", "g", 0), 3);
    EXPECT_EQ(ini.readInt("S", "none", -1), -1);
}

TEST_F(IniFileTest, WriteChangesOnlyThatLine) {
    const QByteArray before = "; keep me\n"
                              "[Setup]\r\n"
                              "COM = 2\n"
                              "junk line without equals\r\n"
                              "\r\n"
                              "[Ports]\n"
                              "COM2=/dev/ttyUSB0";
    writeBytes(before);
    IniFile ini(path());
    ASSERT_TRUE(ini.writeInt("setup", "com", 5));
    QByteArray expected = before;
    expected.replace("COM = 2\n", "com=5\n");
    EXPECT_EQ(readBytes(), expected);
    EXPECT_EQ(ini.readInt("Setup", "COM", 0), 5);
}

TEST_F(IniFileTest, NewKeyGoesAfterLastLineOfItsSection) {
    writeBytes("[Setup]\r\nCOM=1\r\n\r\n[Ports]\r\nCOM1=/dev/x\r\n");
    IniFile ini(path());
    ASSERT_TRUE(ini.writeString("Setup", "USB", "1"));
    EXPECT_EQ(readBytes(),
              QByteArray("[Setup]\r\nCOM=1\r\nUSB=1\r\n\r\n[Ports]\r\nCOM1=/dev/x\r\n"));
    ASSERT_TRUE(ini.writeString("Ports", "COM2", "/dev/y"));
    EXPECT_EQ(readBytes(), QByteArray("[Setup]\r\nCOM=1\r\nUSB=1\r\n\r\n[Ports]\r\nCOM1=/dev/x\r\n"
                                      "COM2=/dev/y\r\n"));
}

TEST_F(IniFileTest, NewSectionIsAppendedAndUnterminatedLastLineEnded) {
    writeBytes("[A]\nx=1");
    IniFile ini(path());
    ASSERT_TRUE(ini.writeString("B", "y", "2"));
    EXPECT_EQ(readBytes(), QByteArray("[A]\nx=1\r\n[B]\r\ny=2\r\n"));
    ASSERT_TRUE(ini.writeString("A", "z", "3"));
    EXPECT_EQ(readBytes(), QByteArray("[A]\nx=1\r\nz=3\r\n[B]\r\ny=2\r\n"));
}

TEST_F(IniFileTest, WriteCreatesMissingFileAndBatchKeepsOrder) {
    IniFile ini(path("new.ini"));
    ASSERT_TRUE(ini.writeStrings({{"One", "a", "1"}, {"Two", "b", "2"}, {"One", "c", "3"}}));
    EXPECT_EQ(readBytes("new.ini"), QByteArray("[One]\r\na=1\r\nc=3\r\n[Two]\r\nb=2\r\n"));
}

TEST_F(IniFileTest, ValuesAreStoredInCodePage1250) {
    IniFile ini(path());
    ASSERT_TRUE(ini.writeString("Menu", "1", QStringLiteral("Uložit")));
    EXPECT_EQ(readBytes(), QByteArray("[Menu]\r\n1=Ulo\x9Eit\r\n"));
    EXPECT_EQ(ini.readString("Menu", "1"), QStringLiteral("Uložit"));
}

TEST_F(IniFileTest, UnsafeNamesAndValuesCannotInjectLines) {
    IniFile ini(path());
    EXPECT_FALSE(ini.writeString("S", "a=b", "1"));
    EXPECT_FALSE(ini.writeString("S]", "a", "1"));
    EXPECT_FALSE(ini.writeString("S", "", "1"));
    EXPECT_FALSE(QFile::exists(path())); // a refused write saves nothing
    ASSERT_TRUE(ini.writeString("S", "a", "1\r\n[Evil]\r\nb=2"));
    EXPECT_FALSE(ini.hasKey("Evil", "b"));
    EXPECT_EQ(ini.readString("S", "a"), "1  [Evil]  b=2");
}

TEST_F(IniFileTest, FailedWriteReportsReasonAndKeepsFile) {
    // A directory in place of the file: it can be neither read as a file nor replaced.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("sub.ini"));
    IniFile ini(path("sub.ini"));
    EXPECT_FALSE(ini.writeString("S", "a", "1"));
    EXPECT_FALSE(ini.lastError().isEmpty());
    EXPECT_TRUE(QFileInfo(path("sub.ini")).isDir());

    IniFile nowhere(m_dir.filePath("no/such/folder.ini"));
    EXPECT_FALSE(nowhere.writeString("S", "a", "1"));
    EXPECT_FALSE(nowhere.lastError().isEmpty());
}

TEST(IniDocument, BinaryJunkIsHarmlessAndRoundTrips) {
    QByteArray junk;
    for (int i = 0; i < 600; ++i)
        junk.append(static_cast<char>((i * 37 + 11) % 256));
    junk += "\n[S]\r\nk=v\r\n";
    IniDocument document(junk);
    EXPECT_EQ(document.toBytes(), junk);
    EXPECT_EQ(document.readString("S", "k"), "v");
}

TEST(IniDocument, ReadsSeeEarlierChanges) {
    IniDocument document(QByteArray("[S]\r\nk=1\r\n"));
    EXPECT_EQ(document.readString("S", "k"), "1");
    ASSERT_TRUE(document.setValue("S", "k", "2"));
    EXPECT_EQ(document.readString("S", "k"), "2");
    ASSERT_TRUE(document.setValue("S", "j", "3"));
    ASSERT_TRUE(document.setValue("T", "k", "4"));
    EXPECT_EQ(document.readString("S", "j"), "3");
    EXPECT_EQ(document.readString("T", "k"), "4");
    document.removeLines([](const QByteArray& line) { return line.startsWith("k="); });
    EXPECT_FALSE(document.hasKey("S", "k"));
    EXPECT_FALSE(document.hasKey("T", "k"));
    EXPECT_EQ(document.toBytes(), QByteArray("[S]\r\nj=3\r\n[T]\r\n"));
}

TEST(IniDocument, ListingsNameEachSectionAndKeyOnceWhateverTheCase) {
    // "Čas" and "čAS" in code page 1250: the same name to the reader, listed once, first spelling.
    IniDocument document(QByteArray("[Setup]\nCOM=1\n\xC8"
                                    "as=2\ncom=3\n\xE8"
                                    "AS=4\nLang=5\n[other]\n[SETUP]\nx=6\n"
                                    "[\xC8"
                                    "as]\n[\xE8"
                                    "AS]\n"));
    EXPECT_EQ(document.sections(), QStringList({"Setup", "other", QString::fromUtf8("Čas")}));
    EXPECT_EQ(document.keys("setup"), QStringList({"COM", QString::fromUtf8("Čas"), "Lang"}));
    // A long file: every key once, in the order of first appearance.
    QByteArray many("[S]\n");
    for (int i = 0; i < 20000; ++i)
        many += "k" + QByteArray::number(i) + "=v\nK" + QByteArray::number(i) + "=w\n";
    const QStringList keys = IniDocument(many).keys("S");
    ASSERT_EQ(keys.size(), 20000);
    EXPECT_EQ(keys.front(), "k0");
    EXPECT_EQ(keys.back(), "k19999");
}

TEST(IniDocument, ByteOrderMarkBeforeFirstSection) {
    IniDocument document(QByteArray("\xEF\xBB\xBF[Menu]\r\n1=File\r\n"));
    EXPECT_EQ(document.readString("Menu", "1"), "File");
}

} // namespace
} // namespace lumo
