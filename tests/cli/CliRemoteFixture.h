#pragma once
// `lumo-cli remote read|write` run in this process against the simulator's line box and unit,
// in virtual time: the commands' own argument handling, engines and output files, with every
// pause of the protocol kept but none waited for.
#include "cli/RemoteSession.h"
#include "files/ParameterFiles.h"
#include "link/FtdiApi.h"
#include "link/FtdiVirtual.h"
#include "params/ParameterSet.h"
#include "platform/VirtualClock.h"
#include "remote/FtdiBoxBus.h"
#include "sim/LineBoxUsbDevice.h"
#include <QDir>
#include <QTemporaryDir>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <memory>
#include <utility>
#include <vector>

namespace lumo::test {

// Runs the clock's tasks in due order until the command quits, or gives up after `limitMs` of
// virtual time (a hang shows as a failed test, not a stuck one).
class VirtualSession : public cli::RemoteSession {
public:
    explicit VirtualSession(VirtualClock& clock, qint64 limitMs = 6LL * 3600 * 1000)
        : m_clock(clock), m_limitMs(limitMs) {}
    Clock& clock() override { return m_clock; }
    BoxBus& bus() override { return m_bus; }
    void run() override {
        const qint64 end = m_clock.nowMs() + m_limitMs;
        while (!m_quit && m_clock.nowMs() < end) {
            const qint64 next = m_clock.nextDueMs();
            if (next < 0)
                break;
            m_clock.advance(std::max<qint64>(0, next - m_clock.nowMs()));
            deliverInterrupts();
        }
        ranOut = !m_quit;
    }
    void quit() override { m_quit = true; }
    void setInterruptHandler(std::function<void(int)> handler) override {
        m_interrupt = std::move(handler);
    }
    // Delivers `signal` once, as soon as `when` holds between two turns of the clock.
    void interruptWhen(std::function<bool()> when, int signal) {
        m_interrupts.push_back({std::move(when), signal});
    }
    bool ranOut = false;

private:
    void deliverInterrupts() {
        for (auto it = m_interrupts.begin(); it != m_interrupts.end();) {
            if (m_interrupt && it->first()) {
                const int signal = it->second;
                it = m_interrupts.erase(it);
                m_interrupt(signal);
            } else {
                ++it;
            }
        }
    }

    VirtualClock& m_clock;
    std::function<void(int)> m_interrupt;
    std::vector<std::pair<std::function<bool()>, int>> m_interrupts;
    FtdiBoxBus m_bus;
    qint64 m_limitMs;
    bool m_quit = false;
};

struct CliRun {
    int status = -1;
    std::string out, err;
    qint64 virtualMs = 0; // virtual time the command took
    bool ranOut = false;
};

class CliRemoteFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        m_previousBackend = ftdiBackendKind();
        selectFtdiBackend(FtdiBackendKind::Virtual);
        VirtualFtdiRegistry::instance().unplugAll();
        device =
            std::make_unique<sim::LineBoxUsbDevice>(clock, unit, nullptr, "KAV00001", memoryFile());
        m_previousFolder = QDir::currentPath();
        QDir::setCurrent(dir.path()); // report files go to the working folder
    }
    void TearDown() override {
        QDir::setCurrent(m_previousFolder);
        device.reset();
        VirtualFtdiRegistry::instance().unplugAll();
        selectFtdiBackend(m_previousBackend);
    }
    // Where the unit's memory is kept (saved after every code that changes it); empty: nowhere.
    virtual QString memoryFile() const { return {}; }

    QString path(const QString& name) const { return dir.filePath(name); }

    static QStringList connection() {
        return {"--box", "KAV00001", "--number", "0601234567", "--password", "7850"};
    }
    // Interrupts for the next run: the signal, once its condition holds.
    std::vector<std::pair<std::function<bool()>, int>> interrupts;

    CliRun run(bool write, const QStringList& args) {
        VirtualSession session(clock);
        for (auto& [when, signal] : std::exchange(interrupts, {}))
            session.interruptWhen(when, signal);
        const qint64 start = clock.nowMs();
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        CliRun r;
        r.status = write ? cli::runRemoteWrite(args, session) : cli::runRemoteRead(args, session);
        r.out = testing::internal::GetCapturedStdout();
        r.err = testing::internal::GetCapturedStderr();
        r.virtualMs = clock.nowMs() - start;
        r.ranOut = session.ranOut;
        return r;
    }
    CliRun read(const QStringList& args) { return run(false, connection() + args); }
    CliRun write(const QStringList& args) { return run(true, connection() + args); }

    QList<QByteArray> commands() const { return device->box().commands(); }
    // The read requests of a read (the keep-alive's "ATDE8*5" left out).
    QList<QByteArray> readRequests() const {
        QList<QByteArray> out;
        for (const QByteArray& c : commands())
            if (c.startsWith("ATDE8*") && c != "ATDE8*5")
                out << c;
        return out;
    }
    // The entries of a write: "ATDE" and an address of groups 1..7 (dialling, log-in,
    // keep-alive and reads start otherwise). Memory numbers in these tests stay short enough to
    // go whole.
    QList<QByteArray> writeEntries() const {
        QList<QByteArray> out;
        for (const QByteArray& c : commands())
            if (c.size() > 4 && c.startsWith("ATDE") && c[4] >= '1' && c[4] <= '7')
                out << c;
        return out;
    }

    ParameterSet load(const QString& name) {
        ParameterSet p;
        QString error;
        EXPECT_TRUE(loadParameterFile(path(name), p, &error)) << error.toStdString();
        return p;
    }
    void save(const QString& name, const ParameterSet& p) {
        QString error;
        ASSERT_TRUE(saveParameterFile(path(name), p, &error)) << error.toStdString();
    }

    QTemporaryDir dir;
    VirtualClock clock;
    sim::VirtualUnit unit;
    std::unique_ptr<sim::LineBoxUsbDevice> device;

private:
    FtdiBackendKind m_previousBackend = FtdiBackendKind::LibFtdi;
    QString m_previousFolder;
};

} // namespace lumo::test
