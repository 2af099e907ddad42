#pragma once
// A connected line box of the simulator for the remote read and write engines, in virtual
// time: the connection is made through the FTDI layer's virtual device and left in its quiet
// period, where a user's click would start a read or write.
#include "RemoteTestSupport.h"
#include "link/FtdiVirtual.h"
#include "params/ParameterSet.h"
#include "remote/ConnectionEngine.h"
#include "remote/FtdiBoxBus.h"
#include "remote/RemoteReadEngine.h"
#include "remote/RemoteWriteEngine.h"
#include "sim/LineBoxUsbDevice.h"
#include "texts/Texts.h"
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace lumo::test {

class RecordingReadView : public RemoteReadView {
public:
    void stateChanged(RemoteReadState, RemoteReadState to) override { states.push_back(to); }
    void progress(const RemoteProgress& p) override { progresses.push_back(p); }
    void setCounter(const QString& c) override { counters.push_back(c); }
    void closeDialog() override { ++closed; }
    void showMessage(const QString& text) override { messages.push_back(text); }
    std::vector<RemoteReadState> states;
    std::vector<RemoteProgress> progresses;
    std::vector<QString> counters;
    std::vector<QString> messages;
    int closed = 0;
};

class RecordingWriteView : public RemoteWriteView {
public:
    void stateChanged(RemoteWriteState, RemoteWriteState to) override { states.push_back(to); }
    void progress(const RemoteProgress& p) override { progresses.push_back(p); }
    void closeDialog() override { ++closed; }
    void showMessage(const QString& text) override { messages.push_back(text); }
    std::vector<RemoteWriteState> states;
    std::vector<RemoteProgress> progresses;
    std::vector<QString> messages;
    int closed = 0;
};

class ConnectedBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = ftdiBackendKind();
        selectFtdiBackend(FtdiBackendKind::Virtual);
        VirtualFtdiRegistry::instance().unplugAll();
        device = std::make_unique<sim::LineBoxUsbDevice>(clock, unit);
        link = std::make_unique<RemoteLink>(bus, clock);
        connection = std::make_unique<ConnectionEngine>(*link, connectionView, texts);
        link->ListBoxDevices();
        ASSERT_EQ(link->listedCount(), 1);
        link->setSelectedIndex(0);
        link->OpenBoxLink(link->boxSerial(0));
        // The engine reports again when the box is lost later in a test: the flag outlives SetUp.
        ASSERT_TRUE(
            connection->connect("0601234567", password(), [this](const ConnectionResult& r) {
                m_connected = r.kind == ConnectionResult::Kind::Connected;
            }));
        runUntil([this] { return m_connected; });
        ASSERT_TRUE(m_connected);
        runUntil([&] { return connection->state() == ConnectionState::Quiet; });
        ASSERT_EQ(connection->state(), ConnectionState::Quiet);
        reader = std::make_unique<RemoteReadEngine>(*link, *connection, params, texts, readView);
        writer = std::make_unique<RemoteWriteEngine>(*link, *connection, params, texts, writeView);
    }
    void TearDown() override {
        writer.reset();
        reader.reset();
        connection.reset();
        link.reset();
        device.reset();
        VirtualFtdiRegistry::instance().unplugAll();
        selectFtdiBackend(m_previous);
    }
    QByteArray password() const {
        QByteArray p;
        for (int position = 21; position <= 24; ++position) {
            const int code = static_cast<unsigned char>(unit.settings()[position - 1]);
            p += code == 10 ? '0' : char('0' + code);
        }
        return p;
    }
    void runUntil(const std::function<bool()>& done, qint64 limitMs = 4 * 3600 * 1000) {
        const qint64 end = clock.nowMs() + limitMs;
        while (!done() && clock.nowMs() < end) {
            const qint64 next = clock.nextDueMs();
            if (next < 0)
                break;
            clock.advance(std::max<qint64>(0, std::min(next, end) - clock.nowMs()));
        }
    }
    // Commands the box received from index `from` on.
    QList<QByteArray> commandsSince(int from) const { return device->box().commands().mid(from); }
    int commandCount() const { return device->box().commandCount(); }

    bool m_connected = false;
    VirtualClock clock;
    sim::VirtualUnit unit;
    std::unique_ptr<sim::LineBoxUsbDevice> device;
    FtdiBoxBus bus;
    std::unique_ptr<RemoteLink> link;
    RecordingConnectionView connectionView;
    Texts texts;
    std::unique_ptr<ConnectionEngine> connection;
    ParameterSet params;
    RecordingReadView readView;
    RecordingWriteView writeView;
    std::unique_ptr<RemoteReadEngine> reader;
    std::unique_ptr<RemoteWriteEngine> writer;
    FtdiBackendKind m_previous = FtdiBackendKind::LibFtdi;
};

} // namespace lumo::test
