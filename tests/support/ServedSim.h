// lumo-sim serving a unit or a line box on a pseudo-terminal, and lumo-cli run as a child
// process: the pieces every end-to-end test of the programs shares.
#pragma once
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace lumo::test {

struct CliRun {
    int status = -1; // -1: crashed or did not end in time
    QString out;
    QString err;
};

// lumo-cli ARGS with the environment ENV; a run still going after TIMEOUTMS is killed.
inline CliRun runCli(const QStringList& args,
                     const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
                     int timeoutMs = 60000) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(LUMO_CLI_PATH), args);
    const bool finished = p.waitForFinished(timeoutMs);
    if (!finished) {
        p.kill();
        p.waitForFinished();
    }
    return {finished && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

// `lumo-sim ARGS` (the mode first) for the life of the object; the first line it prints is the
// terminal's path. With a time scale above one it runs that many times fast (LUMO_TIME_SCALE).
class ServedSim {
public:
    explicit ServedSim(const QStringList& args, int scale = 1) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (scale > 1)
            env.insert(QStringLiteral("LUMO_TIME_SCALE"), QString::number(scale));
        m_process.setProcessEnvironment(env);
        m_process.start(QStringLiteral(LUMO_SIM_PATH), args);
        m_process.waitForReadyRead(10000);
        m_printed = QString::fromUtf8(m_process.readLine()).trimmed();
    }
    ~ServedSim() {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
    }
    ServedSim(const ServedSim&) = delete;
    ServedSim& operator=(const ServedSim&) = delete;
    const QString& printed() const { return m_printed; }

private:
    QProcess m_process;
    QString m_printed;
};

// A virtual unit on the pseudo-terminal link DIR/vexo, with the simulator's options EXTRA.
class ServedUnit : public ServedSim {
public:
    ServedUnit(const QString& dir, const QStringList& extra, int scale = 1)
        : ServedSim(QStringList{QStringLiteral("unit"), QStringLiteral("--pty-link"),
                                dir + QStringLiteral("/vexo")} +
                        extra,
                    scale),
          m_port(dir + QStringLiteral("/vexo")) {}
    const QString& port() const { return m_port; }

private:
    QString m_port;
};

} // namespace lumo::test
