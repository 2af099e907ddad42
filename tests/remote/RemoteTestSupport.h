#pragma once
#include "link/FT232.h"
#include "platform/VirtualClock.h"
#include "remote/BoxDevice.h"
#include "remote/ConnectionView.h"
#include <QByteArray>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace lumo::test {

// A line box whose answers come from a script: every complete command line (ending in CR LF)
// the program writes goes to `respond`, whose reply is queued after `latencyMs` of virtual
// time. Records every line with the time it was complete.
struct BoxScript {
    std::function<QByteArray(const QByteArray& line)> respond;
    int latencyMs = 10;
    struct Line {
        qint64 atMs;
        QByteArray text;
    };
    std::vector<Line> lines; // every line written, CR LF included
    QByteArray written;      // every byte written
    QByteArray pending;      // bytes of an unfinished line
    QByteArray toHost;       // bytes waiting for the program
    bool unplugged = false;  // calls fail, the count cannot be had
    bool failWrites = false; // writes fail
    int failReadAfter = -1;  // a read fails once after this many bytes were read
    int bytesRead = 0;
    // Settings made through the link.
    quint8 bitMask = 0xFF, bitMode = 0xFF;
    bool dtrSet = false, rtsCleared = false;
    int baudRate = 0;
    std::vector<QByteArray> calls; // names of the set-up calls in order

    std::vector<QByteArray> texts() const {
        std::vector<QByteArray> out;
        for (const Line& l : lines)
            out.push_back(l.text);
        return out;
    }
    int count(const QByteArray& line) const {
        int n = 0;
        for (const Line& l : lines)
            n += l.text == line;
        return n;
    }
};

class ScriptedBox : public BoxDevice {
public:
    ScriptedBox(std::shared_ptr<BoxScript> script, Clock& clock)
        : m_script(std::move(script)), m_clock(clock) {}

    bool writeByte(char byte) override {
        BoxScript& s = *m_script;
        if (s.unplugged || s.failWrites)
            return false;
        s.written.append(byte);
        s.pending.append(byte);
        if (s.pending.endsWith("\r\n")) {
            const QByteArray line = s.pending;
            s.pending.clear();
            s.lines.push_back({m_clock.nowMs(), line});
            if (s.respond) {
                const QByteArray reply = s.respond(line);
                if (!reply.isEmpty()) {
                    std::weak_ptr<BoxScript> weak = m_script;
                    m_clock.runAfter(s.latencyMs, [weak, reply] {
                        if (auto sp = weak.lock(); sp && !sp->unplugged)
                            sp->toHost += reply;
                    });
                }
            }
        }
        return true;
    }
    bool readByte(char* byte) override {
        BoxScript& s = *m_script;
        if (s.unplugged || s.toHost.isEmpty())
            return false;
        if (s.failReadAfter >= 0 && s.bytesRead == s.failReadAfter) {
            s.failReadAfter = -1;
            return false;
        }
        *byte = s.toHost.front();
        s.toHost.remove(0, 1);
        ++s.bytesRead;
        return true;
    }
    int receiveCount() override { return m_script->unplugged ? -1 : int(m_script->toHost.size()); }
    bool setBitMode(quint8 mask, quint8 mode) override {
        m_script->bitMask = mask;
        m_script->bitMode = mode;
        m_script->calls.push_back("bitmode");
        return true;
    }
    void dtrControl(bool clear) override {
        m_script->dtrSet = !clear;
        m_script->calls.push_back(clear ? "clrdtr" : "setdtr");
    }
    void rtsControl(bool clear) override {
        m_script->rtsCleared = clear;
        m_script->calls.push_back(clear ? "clrrts" : "setrts");
    }
    void setBaudRate(int rate) override {
        m_script->baudRate = rate;
        m_script->calls.push_back("baud");
    }

private:
    std::shared_ptr<BoxScript> m_script;
    Clock& m_clock;
};

// USB devices with descriptions and serial numbers; opening one gives a ScriptedBox over the
// script registered for its serial number.
class ScriptedBus : public BoxBus {
public:
    struct Device {
        QString description, serial;
        std::shared_ptr<BoxScript> script;
        bool present = true;
    };
    explicit ScriptedBus(Clock& clock) : m_clock(clock) {}

    std::shared_ptr<BoxScript> add(const QString& description, const QString& serial) {
        auto script = std::make_shared<BoxScript>();
        devices.push_back({description, serial, script, true});
        return script;
    }
    Device* find(const QString& serial) {
        for (Device& d : devices)
            if (d.serial == serial)
                return &d;
        return nullptr;
    }

    int deviceCount() override { return listFails ? -1 : int(devices.size()); }
    QString description(int index) override {
        return index >= 0 && index < int(devices.size()) ? devices[size_t(index)].description
                                                         : QString();
    }
    QString serialNumber(int index) override {
        return index >= 0 && index < int(devices.size()) ? devices[size_t(index)].serial
                                                         : QString();
    }
    std::unique_ptr<BoxDevice> open(const QString& serial) override {
        ++opens;
        Device* d = find(serial);
        if (!d || !d->present)
            throw TFT232Exception(QStringLiteral("Device ") + serial +
                                  QStringLiteral(" can not open"));
        return std::make_unique<ScriptedBox>(d->script, m_clock);
    }

    std::vector<Device> devices;
    bool listFails = false;
    int opens = 0;

private:
    Clock& m_clock;
};

// The answers of a box with a unit on the line that answers at once: "RESET" to the reset,
// "OK" to every command, "BOK" to each read-back of the recorded characters.
inline QByteArray healthyBoxReply(const QByteArray& line) {
    if (line == "AT@RESET\r\n")
        return "RESET\r\n";
    if (line == "AT@RECN\r\n")
        return "BOK\r\n";
    if (line == "ATH\r\n" || line == "AT@BASIC\r\n")
        return {};
    return "OK\r\n";
}

// Records what the engine shows.
class RecordingConnectionView : public ConnectionView {
public:
    void stateChanged(ConnectionState s) override { states.push_back(s); }
    void setStep(int step) override { lastStep = step; }
    void setProgress(int p) override { progress = p; }
    void setStatus(ConnectStatusColour c, const QString* text) override {
        statusColours.push_back(c);
        if (text)
            statusText = *text;
    }
    void setIndicator(KeepAliveColour c) override { indicators.push_back(c); }
    void trace(const QByteArray& line) override { traces.push_back(line); }
    void menusChanged(const RemoteMenuState& m) override { menus = m; }
    void setConnectButtonEnabled(bool on) override { connectButton = on; }
    void closeDialog() override { ++dialogCloses; }
    void showMessage(const QString& text) override { messages.push_back(text); }

    std::vector<ConnectionState> states;
    int lastStep = -1;
    int progress = -1;
    std::vector<ConnectStatusColour> statusColours;
    QString statusText;
    std::vector<KeepAliveColour> indicators;
    std::vector<QByteArray> traces;
    RemoteMenuState menus;
    bool connectButton = true;
    int dialogCloses = 0;
    std::vector<QString> messages;
};

} // namespace lumo::test
