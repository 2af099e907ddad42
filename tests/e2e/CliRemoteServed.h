// lumo-sim serving a line box, and lumo-cli run against it through LUMO_FTDI=virtual:PATH;
// shared by the remote end-to-end tests. With a time scale above one both programs run that many
// times fast (LUMO_TIME_SCALE), so the box's line and the program's waits keep their timing
// against each other.
#pragma once
#include "support/ServedSim.h"
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace lumo::e2e {

using test::CliRun;
using test::runCli;
using test::ServedSim;

class CliRemoteTest : public ::testing::Test {
protected:
    // Serves the line box "Kavrostanel" (KAV00001) and lists it, next to a cable that leads
    // nowhere, in the device file the program is given. `scale`: how many times fast the box and
    // the program run.
    void serve(const QStringList& args = {}, int scale = 1) {
        m_scale = scale;
        m_box = std::make_unique<ServedSim>(
            QStringList{"linebox", "--pty-link", m_dir.filePath("box")} + args, scale);
        ASSERT_FALSE(m_box->printed().isEmpty());
        QFile file(m_dir.filePath("devices.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("# line box served by lumo-sim\nVexo USB\tVexo-USB\t/dev/null\n"
                   "Kavrostanel\tKAV00001\t" +
                   m_box->printed().toUtf8() + "\n");
    }
    CliRun cli(const QStringList& args, int timeoutMs = 60000) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LUMO_FTDI", "virtual:" + m_dir.filePath("devices.txt"));
        if (m_scale > 1)
            env.insert(QStringLiteral("LUMO_TIME_SCALE"), QString::number(m_scale));
        return runCli(args, env, timeoutMs);
    }

    QTemporaryDir m_dir;
    std::unique_ptr<ServedSim> m_box;
    int m_scale = 1;
};

} // namespace lumo::e2e
