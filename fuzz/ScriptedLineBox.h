#pragma once
// A line box for the fuzz targets whose answers come from the fuzzer's bytes, in virtual time.
// After every command line the program sends (CR LF included), the next script byte says what
// comes back:
//   0x00..0x7F  the answer a healthy box gives that command ("RESET", "OK", "BOK", 16 recorded
//               DTMF characters from the script and "OK", "OK" and later "FULL" for AT@RECE),
//               after (b & 0x1F) * 10 ms, handed over in one piece or two (b & 0x20)
//   0x80..0xEF  (b - 0x80) raw bytes of the script, after the next byte * 10 ms
//   0xF0..0xFB  nothing
//   0xFC        "ERR"
//   0xFD        the box's writes fail from now on
//   0xFE        the box vanishes: every call fails, it cannot be opened again
//   0xFF        the next line is answered as a healthy box, whatever the script says later
// A box in healthy mode answers every line as a healthy box at once, without using the script.
#include "link/FT232.h"
#include "platform/Clock.h"
#include "remote/BoxDevice.h"
#include <QByteArray>
#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

namespace lumo::fuzzing {

struct LineBoxScript {
    LineBoxScript(Clock& c, const uint8_t* d, size_t n) : clock(c), data(d), size(n) {}

    Clock& clock;
    const uint8_t* data;
    size_t size;
    size_t pos = 0;
    bool healthy = true; // answers without the script (while connecting)
    bool vanished = false;
    bool writesFail = false;
    bool nextHealthy = false;
    QByteArray pending;    // bytes of an unfinished command line
    QByteArray toHost;     // bytes waiting for the program
    QByteArray lines;      // every complete line received, one after the other
    int completeLines = 0; // complete lines (ending in CR LF) handed to the program
    bool endsInCr = false; // the last piece handed over ended in CR
    int dtmfDelivered = 0; // recorded characters handed over before an "OK" (healthy RECN)
    qint64 rawDelivered = 0;

    bool exhausted() const { return pos >= size; }
    int next() { return pos < size ? data[pos++] : -1; }

    // What a healthy box answers a line, and the part that comes later (FULL after RECE).
    QByteArray healthyAnswer(const QByteArray& line, QByteArray* later, bool fromScript) {
        if (line == "AT@RESET\r\n")
            return "RESET\r\n";
        if (line == "ATH\r\n" || line == "AT@BASIC\r\n")
            return {};
        if (line == "AT@RECN\r\n") {
            if (!fromScript)
                return "BOK\r\n";
            static const char kDtmf[] = "D1234567890*#ABC";
            QByteArray characters;
            for (int i = 0; i < 16; ++i)
                characters += kDtmf[std::max(0, next()) & 0x0F];
            dtmfDelivered += 16;
            return characters + "OK\r\n";
        }
        if (line == "AT@RECE\r\n" && fromScript)
            *later = "FULL\r\n";
        return "OK\r\n";
    }

    void deliver(int delayMs, const QByteArray& bytes) {
        if (bytes.isEmpty())
            return;
        clock.runAfter(delayMs, [this, bytes] {
            if (vanished)
                return;
            // Lines are counted over the whole stream: CR and LF may come in two pieces.
            const bool joined = endsInCr && bytes.startsWith('\n');
            completeLines += int(bytes.count("\r\n")) + (joined ? 1 : 0);
            endsInCr = bytes.endsWith('\r');
            toHost += bytes;
        });
    }

    void lineReceived(const QByteArray& line) {
        lines += line;
        if (healthy || std::exchange(nextHealthy, false)) {
            QByteArray later;
            deliver(0, healthyAnswer(line, &later, false));
            return;
        }
        const int op = next();
        if (op < 0 || (op >= 0xF0 && op <= 0xFB))
            return;
        if (op < 0x80) {
            QByteArray later;
            const QByteArray answer = healthyAnswer(line, &later, true);
            const int delay = (op & 0x1F) * 10;
            if (op & 0x20) {
                const qsizetype half = answer.size() / 2;
                deliver(delay, answer.left(half));
                deliver(delay + 10, answer.mid(half));
            } else {
                deliver(delay, answer);
            }
            deliver(delay + 1500, later);
            return;
        }
        if (op < 0xF0) {
            const int count = op - 0x80;
            const int delay = std::max(0, next()) * 10;
            QByteArray raw;
            for (int i = 0; i < count && !exhausted(); ++i)
                raw += char(next());
            rawDelivered += raw.size();
            deliver(delay, raw);
            return;
        }
        switch (op) {
        case 0xFC:
            deliver(10, "ERR\r\n");
            break;
        case 0xFD:
            writesFail = true;
            break;
        case 0xFE:
            vanished = true;
            toHost.clear();
            break;
        default:
            nextHealthy = true;
            break;
        }
    }
};

class ScriptedLineBox : public BoxDevice {
public:
    explicit ScriptedLineBox(std::shared_ptr<LineBoxScript> script) : m_s(std::move(script)) {}

    bool writeByte(char byte) override {
        if (m_s->vanished || m_s->writesFail)
            return false;
        m_s->pending += byte;
        if (m_s->pending.endsWith("\r\n"))
            m_s->lineReceived(std::exchange(m_s->pending, QByteArray()));
        return true;
    }
    bool readByte(char* byte) override {
        if (m_s->vanished || m_s->toHost.isEmpty())
            return false;
        *byte = m_s->toHost.front();
        m_s->toHost.remove(0, 1);
        return true;
    }
    int receiveCount() override { return m_s->vanished ? -1 : int(m_s->toHost.size()); }
    bool setBitMode(quint8, quint8) override { return !m_s->vanished; }
    void dtrControl(bool) override {}
    void rtsControl(bool) override {}
    void setBaudRate(int) override {}

private:
    std::shared_ptr<LineBoxScript> m_s;
};

// One attached box "Kavrostanel" KAV00001 over the script; it cannot be opened once vanished.
class ScriptedBoxBus : public BoxBus {
public:
    explicit ScriptedBoxBus(std::shared_ptr<LineBoxScript> script) : m_s(std::move(script)) {}
    int deviceCount() override { return m_s->vanished ? 0 : 1; }
    QString description(int index) override {
        return index == 0 && !m_s->vanished ? QStringLiteral("Kavrostanel") : QString();
    }
    QString serialNumber(int index) override {
        return index == 0 && !m_s->vanished ? QStringLiteral("KAV00001") : QString();
    }
    std::unique_ptr<BoxDevice> open(const QString& serial) override {
        if (m_s->vanished || serial != QLatin1String("KAV00001"))
            throw TFT232Exception(QStringLiteral("Device ") + serial +
                                  QStringLiteral(" can not open"));
        return std::make_unique<ScriptedLineBox>(m_s);
    }

private:
    std::shared_ptr<LineBoxScript> m_s;
};

} // namespace lumo::fuzzing
