// Report file names and the file that cannot be created.
#include "remote/RemoteReport.h"
#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace lumo {
namespace {

TEST(RemoteReportTest, NamesCarryNoForbiddenCharactersUnderCzechAndEnglishFormats) {
    const QDateTime when(QDate(2026, 12, 8), QTime(4, 5, 6));
    const QLocale cs(QLocale::Czech, QLocale::CzechRepublic);
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    const QString r = RemoteReport::defaultName(RemoteReport::Kind::Read, when, cs);
    const QString w = RemoteReport::defaultName(RemoteReport::Kind::Write, when, en);
    EXPECT_TRUE(r.startsWith(QStringLiteral("LF-R-08_12_26-"))) << r.toStdString();
    EXPECT_TRUE(w.startsWith(QStringLiteral("LF-W-12_8_26-"))) << w.toStdString();
    for (const QString& name : {r, w}) {
        for (QChar bad : QStringLiteral("!*,./:;?\\"))
            EXPECT_FALSE(name.contains(bad)) << name.toStdString();
        EXPECT_TRUE(name.contains(QStringLiteral("05_06"))) << name.toStdString();
    }
    // The header keeps the formats as they are.
    EXPECT_TRUE(RemoteReport::headerLine(RemoteReport::Kind::Read, when, cs)
                    .startsWith(QStringLiteral("Read report 08.12.26-")));
}

TEST(RemoteReportTest, ReportThatCannotBeCreatedNamesFileAndReasonAndWritesNothing) {
    QTemporaryDir dir;
    RemoteReport report;
    const QString folder = dir.filePath(QStringLiteral("missing"));
    EXPECT_FALSE(report.open(folder, QStringLiteral("LF-W-x"), RemoteReport::Kind::Write,
                             QDateTime::currentDateTime(), QLocale::c()));
    EXPECT_FALSE(report.isOpen());
    EXPECT_TRUE(report.error().contains(QStringLiteral("LF-W-x.TXT")));
    EXPECT_GT(report.error().size(), report.path().size() + 2); // a reason follows the name
    // The reason as a problem the texts can name in the user's language.
    EXPECT_EQ(report.fileError().problem, FileError::Problem::Missing);
    report.line(QByteArrayLiteral("> AT\r\n")); // harmless when closed
    EXPECT_FALSE(QDir(folder).exists());
}

TEST(RemoteReportTest, AFolderInTheWayIsTheReasonAndALaterOpenStartsClean) {
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("LF-R-x.TXT")));
    RemoteReport report;
    EXPECT_FALSE(report.open(dir.path(), QStringLiteral("LF-R-x"), RemoteReport::Kind::Read,
                             QDateTime::currentDateTime(), QLocale::c()));
    EXPECT_EQ(report.fileError().problem, FileError::Problem::Folder);
    ASSERT_TRUE(report.open(dir.path(), QStringLiteral("LF-R-y"), RemoteReport::Kind::Read,
                            QDateTime::currentDateTime(), QLocale::c()));
    EXPECT_TRUE(report.fileError().ok());
    EXPECT_TRUE(report.error().isEmpty());
}

TEST(RemoteReportTest, LinesAreCodePage1250WithCrLf) {
    QTemporaryDir dir;
    RemoteReport report;
    ASSERT_TRUE(report.open(dir.path(), QStringLiteral("r"), RemoteReport::Kind::Write,
                            QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), QLocale::c()));
    report.line(QStringLiteral("Paměti"));
    report.line(QByteArrayLiteral("> ATDE311\r\n"));
    report.close();
    QFile file(dir.filePath(QStringLiteral("r.TXT")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    EXPECT_TRUE(text.startsWith("Write report "));
    EXPECT_TRUE(text.endsWith("\r\nPam\xec"
                              "ti\r\n> ATDE311\r\n\r\n"));
}

} // namespace
} // namespace lumo
