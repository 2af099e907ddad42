// Settings files against the record table: writing, reading, and damaged input.
#include "files/SettingsFile.h"
#include "params/FieldTable.h"
#include "support/FileHelpers.h"
#include "texts/Texts.h"
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>

using namespace lumo;

namespace {

using test::readFile;
using test::writeFile;

QByteArray readData(const QString& name) {
    QFile f(QStringLiteral(LUMO_TEST_DATA_DIR "/files/") + name);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << qPrintable(name);
    return f.readAll();
}

QString dataPath(const QString& name) {
    return QStringLiteral(LUMO_TEST_DATA_DIR "/files/") + name;
}

bool isBoolean(const QString& name) {
    return name.startsWith(QLatin1String("RadioButton")) ||
           name.startsWith(QLatin1String("CheckBox"));
}

// Every value of the two sets equal (enabled and visible states aside).
void expectSameValues(const ParameterSet& a, const ParameterSet& b) {
    for (const QString& n : allParameterNames()) {
        if (isBoolean(n))
            EXPECT_EQ(a.isChecked(n), b.isChecked(n)) << qPrintable(n);
        else
            EXPECT_EQ(a.text(n), b.text(n)) << qPrintable(n);
    }
}

// A set that differs from the defaults in many places, to see what a load replaces.
ParameterSet edited() {
    ParameterSet p;
    p.setChecked(QStringLiteral("RadioButton24"), true);
    p.setChecked(QStringLiteral("CheckBox5"), true);
    p.setText(QStringLiteral("Edit158"), QStringLiteral("12"));
    p.setVisible(QStringLiteral("Edit158"), true);
    p.setText(QStringLiteral("ComboBox2"), QStringLiteral("600-750"));
    p.setText(QStringLiteral("ComboBox1"), QStringLiteral("4"));
    p.setText(QStringLiteral("Edit2"), QStringLiteral("777"));
    return p;
}

} // namespace

TEST(SettingsFileWrite, DefaultSetGivesTheCheckedInFile) {
    const QByteArray bytes = settingsFile::toBytes(ParameterSet());
    ASSERT_EQ(bytes.size(), 8550);
    EXPECT_EQ(bytes, readData(QStringLiteral("default.KTF")));

    // Record 1 and record 4 byte by byte.
    EXPECT_EQ(bytes[0], 6);
    EXPECT_EQ(bytes.mid(1, 6), QByteArray("Dial: "));
    EXPECT_EQ(bytes.mid(7, 10), QByteArray(10, '\0'));
    EXPECT_EQ(bytes[17], 1);
    EXPECT_EQ(bytes[18], '1');
    EXPECT_EQ(bytes.mid(19, 30), QByteArray(30, ' '));
    EXPECT_EQ(bytes[49], '\0');
    const QByteArray r4 = bytes.mid(150, 50);
    EXPECT_EQ(r4.mid(1, 6), QByteArray("HgU1: "));
    EXPECT_EQ(r4[17], 2);
    EXPECT_EQ(r4.mid(18, 2), QByteArray("55"));
}

TEST(SettingsFileWrite, ValuesAreCutTo32CharactersInCodePage1250) {
    ParameterSet p;
    p.setText(QStringLiteral("Edit1"), QString(40, QLatin1Char('9')));
    p.setText(QStringLiteral("Edit2"), QStringLiteral("Čž"));
    const QByteArray bytes = settingsFile::toBytes(p);
    const QByteArray m1 = bytes.mid(36 * 50, 50);
    EXPECT_EQ(m1.mid(1, 6), QByteArray("M001: "));
    EXPECT_EQ(m1[17], 32);
    EXPECT_EQ(m1.mid(18, 32), QByteArray(32, '9')); // the last byte is the value's, not zero
    const QByteArray m2 = bytes.mid(37 * 50, 50);
    EXPECT_EQ(m2[17], 2);
    EXPECT_EQ(m2.mid(18, 2), QByteArray("\xC8\x9E"));
}

TEST(SettingsFileWrite, SavingTwiceGivesIdenticalFiles) {
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.KTF"));
    const QString b = dir.filePath(QStringLiteral("b.KTF"));
    const ParameterSet p = edited();
    ASSERT_TRUE(SaveSettingsFile(p, a));
    ASSERT_TRUE(SaveSettingsFile(p, b));
    EXPECT_EQ(readFile(a).size(), 8550);
    EXPECT_EQ(readFile(a), readFile(b));
}

TEST(SettingsFileRead, AFullFileLoadsEveryValueAndEnablesTheOptionalFields) {
    ParameterSet p = edited();
    p.setEnabled(QStringLiteral("CheckBox3"), false);
    QString error;
    ASSERT_TRUE(LoadSettingsFile(p, dataPath(QStringLiteral("default.KTF")), &error))
        << qPrintable(error);
    expectSameValues(p, ParameterSet());
    EXPECT_TRUE(p.isEnabled(QStringLiteral("CheckBox3")));
    EXPECT_TRUE(p.isEnabled(QStringLiteral("CheckBox5")));
    EXPECT_TRUE(p.isVisible(QStringLiteral("Edit158")));
}

TEST(SettingsFileRead, A164RecordFileTreatsTheOptionalRecordsAsMissing) {
    ParameterSet p = edited();
    QString error;
    ASSERT_TRUE(LoadSettingsFile(p, dataPath(QStringLiteral("records164.KTF")), &error))
        << qPrintable(error);
    EXPECT_TRUE(p.isChecked(QStringLiteral("RadioButton7")));
    EXPECT_TRUE(p.isChecked(QStringLiteral("RadioButton8")));
    EXPECT_TRUE(p.isChecked(QStringLiteral("RadioButton11"))); // " # " trimmed
    EXPECT_TRUE(p.isChecked(QStringLiteral("RadioButton16")));
    EXPECT_EQ(p.text(QStringLiteral("Edit140")), QStringLiteral("12"));
    EXPECT_EQ(p.text(QStringLiteral("Edit144")), QStringLiteral("1234"));
    EXPECT_EQ(p.text(QStringLiteral("Edit151")), QStringLiteral("2"));
    EXPECT_EQ(p.text(QStringLiteral("Edit129")), QStringLiteral("123456"));
    EXPECT_FALSE(p.isChecked(QStringLiteral("CheckBox1")));
    // Switch 1 keeps its stored light mode next to a sequential switch 2.
    EXPECT_TRUE(p.isChecked(QStringLiteral("RadioButton14")));
    EXPECT_TRUE(p.isChecked(QStringLiteral("RadioButton21")));
    EXPECT_EQ(p.text(QStringLiteral("Edit145")), QStringLiteral("30"));
    EXPECT_EQ(p.text(QStringLiteral("Edit150")), QStringLiteral("07"));
    EXPECT_EQ(p.text(QStringLiteral("Edit152")), QStringLiteral("150"));
    EXPECT_EQ(p.text(QStringLiteral("Edit1")), QStringLiteral("0123456789*#PF01"));
    EXPECT_EQ(p.text(QStringLiteral("Edit2")), QString());
    EXPECT_EQ(p.text(QStringLiteral("Edit65")), QStringLiteral("555"));
    EXPECT_EQ(p.text(QStringLiteral("Edit128")), QStringLiteral("99"));

    // Missing optional records.
    for (const char* box : {"CheckBox3", "CheckBox4"}) {
        EXPECT_TRUE(p.isChecked(QString::fromLatin1(box)));
        EXPECT_FALSE(p.isEnabled(QString::fromLatin1(box)));
    }
    EXPECT_FALSE(p.isChecked(QStringLiteral("CheckBox5")));
    EXPECT_FALSE(p.isEnabled(QStringLiteral("CheckBox5")));
    EXPECT_FALSE(p.isVisible(QStringLiteral("Edit158")));
    EXPECT_EQ(p.text(QStringLiteral("Edit158")), QString());
    EXPECT_TRUE(p.isChecked(QStringLiteral("RadioButton22")));
    EXPECT_EQ(p.text(QStringLiteral("ComboBox2")), QStringLiteral("600-750"));
    EXPECT_EQ(p.text(QStringLiteral("ComboBox1")), QStringLiteral("4"));
}

TEST(SettingsFileRead, A165RecordFileSetsTheSoundBoxesFromRecord165) {
    ParameterSet p = edited();
    ASSERT_TRUE(LoadSettingsFile(p, dataPath(QStringLiteral("records165.KTF"))));
    EXPECT_FALSE(p.isChecked(QStringLiteral("CheckBox3")));
    EXPECT_TRUE(p.isChecked(QStringLiteral("CheckBox4")));
    EXPECT_TRUE(p.isEnabled(QStringLiteral("CheckBox3")));
    EXPECT_TRUE(p.isEnabled(QStringLiteral("CheckBox4")));
    EXPECT_FALSE(p.isEnabled(QStringLiteral("CheckBox5")));
    EXPECT_FALSE(p.isVisible(QStringLiteral("Edit158")));
    EXPECT_TRUE(p.isChecked(QStringLiteral("RadioButton22")));
}

TEST(SettingsFileRead, OptionAndSoundValuesOutsideTheirCodesLeaveTheParameters) {
    ParameterSet original;
    original.setChecked(QStringLiteral("RadioButton13"), true);
    original.setChecked(QStringLiteral("CheckBox3"), false);
    QByteArray bytes = settingsFile::toBytes(original);
    auto setValue = [&bytes](int record, const QByteArray& value) {
        const int at = (record - 1) * 50;
        bytes[at + 17] = char(value.size());
        bytes.replace(at + 18, value.size(), value);
    };
    setValue(12, "9");  // MdS1: no such code
    setValue(165, "7"); // TONE: no such code
    ParameterSet p;
    ASSERT_TRUE(settingsFile::fromBytes(bytes, p));
    EXPECT_TRUE(p.isChecked(QStringLiteral("RadioButton12"))); // the group as it was
    EXPECT_TRUE(p.isChecked(QStringLiteral("CheckBox3")));
    EXPECT_TRUE(p.isEnabled(QStringLiteral("CheckBox3")));
}

TEST(SettingsFileRead, EverySavedValueComesBack) {
    ParameterSet p = edited();
    p.setChecked(QStringLiteral("RadioButton21"), true);
    p.setChecked(QStringLiteral("RadioButton15"), true);
    p.setChecked(QStringLiteral("CheckBox2"), false);
    p.setChecked(QStringLiteral("CheckBox4"), false);
    p.setText(QStringLiteral("Edit64"), QStringLiteral("#*0PF123456789DD"));
    p.setText(QStringLiteral("ComboBox3"), QStringLiteral("2"));
    p.setText(QStringLiteral("Edit156"), QStringLiteral("NOC")); // not stored
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.KTF"));
    ASSERT_TRUE(SaveSettingsFile(p, path));
    ParameterSet loaded;
    ASSERT_TRUE(LoadSettingsFile(loaded, path));
    p.setText(QStringLiteral("Edit156"), loaded.text(QStringLiteral("Edit156")));
    expectSameValues(loaded, p);
    EXPECT_EQ(loaded.text(QStringLiteral("Edit156")), QStringLiteral("DEN"));
}

TEST(SettingsFileRead, DamagedInputIsRefusedWholeAndNamed) {
    QTemporaryDir dir;
    QRandomGenerator random(1234);
    QByteArray noise(8550, '\0');
    for (char& c : noise)
        c = char(random.bounded(256));
    QByteArray length33 = readData(QStringLiteral("default.KTF"));
    length33[50 * 170 + 17] = 33; // in an optional record: still refused before anything applies

    const std::pair<const char*, QByteArray> made[] = {
        {"empty.KTF", QByteArray()},
        {"one.KTF", QByteArray(1, '\x06')},
        {"noise.KTF", noise},
        {"length33.KTF", length33},
    };
    QStringList paths;
    for (const auto& [name, bytes] : made) {
        paths << dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(writeFile(paths.back(), bytes));
    }
    for (const char* name : {"truncated.KTF", "valuelength255.KTF", "zeros164.KTF", "short163.KTF"})
        paths << dataPath(QString::fromLatin1(name));
    paths << dir.path() << dir.filePath(QStringLiteral("missing.KTF"));

    for (const QString& path : paths) {
        ParameterSet p = edited();
        const ParameterSet before = p;
        QString error;
        EXPECT_FALSE(LoadSettingsFile(p, path, &error)) << qPrintable(path);
        EXPECT_TRUE(p.sameValues(before)) << qPrintable(path);
        EXPECT_TRUE(error.contains(path)) << qPrintable(error);
    }
}

TEST(SettingsFileRead, ProblemsAreTextsOfTheActiveLanguage) {
    ParameterSet p;
    QString error;
    ASSERT_FALSE(LoadSettingsFile(p, dataPath(QStringLiteral("short163.KTF")), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("Soubor s nastavením"))) << qPrintable(error);
    EXPECT_TRUE(error.contains(QStringLiteral("obsahuje 163 záznamů"))) << qPrintable(error);

    Texts english;
    english.set(TextSection::MESSAGE, 56, QStringLiteral("Cannot load \"%1\": %2"));
    english.set(TextSection::MESSAGE, 61, QStringLiteral("%1 records, at least %2 needed"));
    ASSERT_FALSE(LoadSettingsFile(p, dataPath(QStringLiteral("short163.KTF")), &error, &english));
    EXPECT_EQ(error, QStringLiteral("Cannot load \"%1\": 163 records, at least 164 needed")
                         .arg(dataPath(QStringLiteral("short163.KTF"))));
}

TEST(SettingsFileRead, BytesAfterRecord171AreIgnored) {
    const QByteArray file = readData(QStringLiteral("default.KTF"));
    ParameterSet expected = edited();
    ASSERT_TRUE(settingsFile::fromBytes(file, expected));
    // A tail of loose bytes, and a whole second file after the first: neither may change a
    // value, an enabled or a visible state of what the first 171 records give.
    for (const QByteArray& tail : {QByteArray("xyz"), settingsFile::toBytes(edited())}) {
        ParameterSet p = edited();
        EXPECT_TRUE(settingsFile::fromBytes(file + tail, p));
        EXPECT_TRUE(p.sameValues(expected)) << tail.size();
        expectSameValues(p, expected);
    }
}

TEST(SettingsFileRead, SwitchModesComeBackAsStoredWithoutTheSwitchModeRule) {
    // Record 12 (switch 1) is applied while switch 2 is still sequential from before; had the
    // loader run the switch-mode rule, the camera mode of switch 1 would become a plain switch.
    ParameterSet stored;
    stored.setChecked(QStringLiteral("RadioButton13"), true);
    stored.setChecked(QStringLiteral("RadioButton18"), true);
    ParameterSet p;
    p.setChecked(QStringLiteral("RadioButton21"), true);
    ASSERT_TRUE(settingsFile::fromBytes(settingsFile::toBytes(stored), p));
    EXPECT_TRUE(p.isChecked(QStringLiteral("RadioButton13")));
    EXPECT_TRUE(p.isChecked(QStringLiteral("RadioButton18")));
}

TEST(SettingsFileSave, AFailedWriteReportsTheReasonAndKeepsThePreviousFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("keep.KTF"));
    ASSERT_TRUE(SaveSettingsFile(ParameterSet(), path));
    const QByteArray previous = readFile(path);

    // Limit the size of files this process may write, so the write itself fails half-way.
    rlimit old{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    QString error;
    const bool saved = SaveSettingsFile(edited(), path, &error);
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_TRUE(error.contains(path)) << qPrintable(error);
    EXPECT_EQ(readFile(path), previous);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("keep.KTF")});

    EXPECT_FALSE(
        SaveSettingsFile(ParameterSet(), dir.filePath(QStringLiteral("no/such/x.KTF")), &error));
}
