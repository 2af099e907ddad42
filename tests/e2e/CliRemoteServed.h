// lumo-sim serving a line box or a unit on a pseudo-terminal, and lumo-cli run against the box
// through LUMO_FTDI=virtual:PATH; shared by the remote end-to-end tests. With a time scale above
// one both programs run that many times fast (LUMO_TIME_SCALE), so the box's line and the
// program's waits keep their timing against each other.
#pragma once
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace lumo::e2e {

// `lumo-sim MODE` with its arguments; the first printed line is the terminal's path.
class ServedSim {
public:
    ServedSim(const QString& mode, const QStringList& args, int scale = 1) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (scale > 1)
            env.insert(QStringLiteral("LUMO_TIME_SCALE"), QString::number(scale));
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(LUMO_SIM_PATH), QStringList{mode} + args);
        m_process.waitForReadyRead(10000);
        m_path = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~ServedSim() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    ServedSim(const ServedSim&) = delete;
    ServedSim& operator=(const ServedSim&) = delete;
    const QString& path() const { return m_path; }

private:
    QProcess m_process;
    QString m_path;
};

struct CliRun {
    int status = -1;
    QString out, err;
};

class CliRemoteTest : public ::testing::Test {
protected:
    // Serves the line box "Kavrostanel" (KAV00001) and lists it, next to a cable that leads
    // nowhere, in the device file the program is given. `scale`: how many times fast the box and
    // the program run.
    void serve(const QStringList& args = {}, int scale = 1) {
        m_scale = scale;
        m_box = std::make_unique<ServedSim>(QStringLiteral("linebox"),
                                            QStringList{"--pty-link", m_dir.filePath("box")} + args,
                                            scale);
        ASSERT_FALSE(m_box->path().isEmpty());
        QFile file(m_dir.filePath("devices.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("# line box served by lumo-sim\nVexo USB\tVexo-USB\t/dev/null\n"
                   "Kavrostanel\tKAV00001\t" +
                   m_box->path().toUtf8() + "\n");
    }
    CliRun cli(const QStringList& args, int timeoutMs = 60000) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LUMO_FTDI", "virtual:" + m_dir.filePath("devices.txt"));
        if (m_scale > 1)
            env.insert(QStringLiteral("LUMO_TIME_SCALE"), QString::number(m_scale));
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(LUMO_CLI_PATH), args);
        p.waitForFinished(timeoutMs);
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }

    QTemporaryDir m_dir;
    std::unique_ptr<ServedSim> m_box;
    int m_scale = 1;
};

} // namespace lumo::e2e
