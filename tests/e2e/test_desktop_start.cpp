// The desktop program started as the menu entry starts it (--home-folder): it works in the
// home working folder, which it fills with the shipped data, and keeps the user's files there.
#include "support/FileHelpers.h"
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

using lumo::test::readFile;
using lumo::test::writeFile;

const QString kShipped =
    QDir::cleanPath(QFileInfo(QStringLiteral(LUMO_GUI_PATH)).absolutePath() + "/../share/lumo");

class DesktopStart : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QDir().mkpath(launchFolder()));
        ASSERT_TRUE(QDir().mkpath(runtimeFolder()));
        QFile::setPermissions(runtimeFolder(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_TRUE(QFileInfo::exists(kShipped + "/Cesky.lng")) << qPrintable(kShipped);
    }
    QString home() const { return m_dir.filePath("home/Lumo"); }
    QString launchFolder() const { return m_dir.filePath("launch"); }
    QString runtimeFolder() const { return m_dir.filePath("runtime"); }

    // Runs the program until it has written Config.ini in the home folder (it does so at
    // start-up when the file is missing), then ends it. False when that never happened.
    bool startAndWaitForConfig() {
        QFile::remove(QDir(home()).filePath("Config.ini"));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LUMO_WORKDIR", home());
        env.insert("XDG_RUNTIME_DIR", runtimeFolder()); // its own instance lock
        env.insert("QT_QPA_PLATFORM", "offscreen");
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(launchFolder());
        p.start(QStringLiteral(LUMO_GUI_PATH),
                {QStringLiteral("--home-folder"), QStringLiteral("--simulate")});
        if (!p.waitForStarted(10000))
            return false;
        bool written = false;
        const QDeadlineTimer deadline(60000);
        while (!deadline.hasExpired() && p.state() == QProcess::Running) {
            if (QFileInfo::exists(QDir(home()).filePath("Config.ini"))) {
                written = true;
                break;
            }
            QThread::msleep(50);
        }
        p.kill();
        p.waitForFinished(10000);
        return written;
    }

    QTemporaryDir m_dir;
};

TEST_F(DesktopStart, TheHomeFolderIsMadeFilledAndWorkedIn) {
    ASSERT_TRUE(startAndWaitForConfig());
    const QStringList shipped = QDir(kShipped).entryList(QDir::Files);
    ASSERT_FALSE(shipped.isEmpty());
    for (const QString& name : shipped)
        EXPECT_EQ(readFile(QDir(home()).filePath(name)), readFile(QDir(kShipped).filePath(name)))
            << name.toStdString();
    // The folder it was started in is not the one it works in.
    EXPECT_FALSE(QFileInfo::exists(QDir(launchFolder()).filePath("Config.ini")));
}

TEST_F(DesktopStart, ALaterStartKeepsWhatTheUserChangedAndRemoved) {
    ASSERT_TRUE(startAndWaitForConfig());
    const QString pack = QDir(home()).filePath("English.lng");
    ASSERT_TRUE(writeFile(pack, "[Menu]\r\n1=My file\r\n"));
    ASSERT_TRUE(QFile::remove(QDir(home()).filePath("PowerOn.WAV")));

    ASSERT_TRUE(startAndWaitForConfig());
    EXPECT_EQ(readFile(pack), "[Menu]\r\n1=My file\r\n");
    EXPECT_FALSE(QFileInfo::exists(QDir(home()).filePath("PowerOn.WAV")));
    EXPECT_EQ(readFile(QDir(home()).filePath("Cesky.lng")),
              readFile(QDir(kShipped).filePath("Cesky.lng")));
}

} // namespace
