#pragma once
#include "platform/Clock.h"
#include "remote/BoxDevice.h"
#include "remote/CommandTable.h"
#include "remote/UnitRecord.h"
#include <QByteArray>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace lumo {

// Counters of the remote procedures, all 32-bit signed as the unit's tools always had them.
struct RemoteCounters {
    qint32 PollTicks = 0;     // ticks spent waiting for the current reply
    qint32 ReplyTimeouts = 0; // re-sends after a reply time-out
    qint32 ErrCount = 0;      // consecutive "ERR" replies
    qint32 MismatchCount = 0; // unexpected replies of the current step
    qint32 IdleTicks = 0;     // ticks of the quiet period
    qint32 AnswerWaits = 0;   // sends of the wake-up while waiting for the unit's answer
    qint32 RepeatCount = 0;   // keep-alive cycles since connecting
    qint32 RetryLimit = 10;   // set to 10 whenever a sequence starts
};

// The connection state shared by the remote procedures (connect and keep-alive, remote read,
// remote write): the line box link, the list of attached boxes, the command table walked by
// StepIndex up to StepCount, the receive buffer, the flags and the counters, and the link
// operations over them (listing, opening, sending, receiving, hanging up).
//
// The flags Connected, Connecting and IdleWait mirror the connection engine's state; only the
// engines change them. Runs on one thread; every pause is a task on the injected clock.
class RemoteLink {
public:
    static constexpr int kSerialSlots = 65;
    static constexpr int kBaudRate = 9600;
    static inline const QString kBoxDescription = QStringLiteral("Kavrostanel");
    static inline const QString kBoxSerialPrefix = QStringLiteral("KAV");

    RemoteLink(BoxBus& bus, Clock& clock);
    ~RemoteLink();
    RemoteLink(const RemoteLink&) = delete;
    RemoteLink& operator=(const RemoteLink&) = delete;

    Clock& clock() const { return m_clock; }

    // --- the box list ---
    // Clears the 65 serial slots, stores the number of attached USB devices (0 when the
    // adapter cannot list) and lists the serial numbers of the devices described exactly
    // "Kavrostanel", from slot 0 without gaps. Returns the device count.
    int ListBoxDevices();
    int deviceCount() const { return m_deviceCount; }
    // Serial numbers listed by the last ListBoxDevices.
    int listedCount() const { return m_listed; }
    // Of the listed serial numbers, those beginning with "KAV".
    int kavCount() const;
    const QString& boxSerial(int slot) const;
    void setBoxSerial(int slot, const QString& serial);
    int selectedIndex() const { return m_selected; }
    void setSelectedIndex(int index) { m_selected = index; }
    // The serial number in the selected slot (empty when none is selected).
    QString selectedSerial() const;

    // --- the box link ---
    bool hasBoxLink() const { return m_box != nullptr; }
    BoxDevice* boxLink() const { return m_box.get(); }
    // Releases the box (closes the device) and marks it absent.
    void releaseBoxLink();
    // Opens the box by serial number, then bit mode 0 with mask 0, DTR set, RTS cleared,
    // 9600 Bd. Raises TFT232Exception when the box is absent; the old link stays then.
    void OpenBoxLink(const QString& serialNumber);
    // The same with the connect dialog's pauses: 10 ms after opening, 10 ms after the settings.
    // `done` gets false (at once) when opening raised.
    void OpenBoxLinkPaced(const QString& serialNumber, std::function<void(bool opened)> done);

    // Writes the text byte by byte and stops at the first byte that is not written; yields
    // whether the last attempted byte was written. An empty text, or no box, writes nothing
    // and yields false.
    bool BoxSend(const QByteArray& text);
    // Every byte waiting in the box's receive queue, in order. When the link looks broken
    // (bytes reported but not readable, or the count cannot be had) the selected box is opened
    // anew; a failed reopen is swallowed and the old link stays.
    QByteArray BoxReceive();
    // Appends what waits to ReceiveBuffer and clears the buffer.
    void DiscardInput();
    // The box went away under the procedures: a send to it failed, or it could not tell its
    // queue and could not be opened anew. Cleared when a box is opened again.
    bool boxLost() const { return m_boxLost; }
    // Asks the box for its queue without reading it, so that a box pulled out between two
    // exchanges is noticed too (opened anew as BoxReceive does). Yields !boxLost().
    bool probeBox();

    // "ATH", 1000 ms, "AT@BASIC", 500 ms, then discard what waits; `done` runs when the line is
    // free again (at once without a link, or when the box is lost). The link stays open.
    void HangUp(std::function<void()> done = {});
    bool hangingUp() const { return m_hangUpTask != 0; }

    // Bytes sent and received, for traces and benchmarks.
    quint64 bytesSent() const { return m_bytesSent; }
    int reopenCount() const { return m_reopens; }

    // --- shared state of the procedures ---
    remote::CommandTable table;
    int StepIndex = 0;
    int StepCount = 0;
    QByteArray ReceiveBuffer;
    bool Connected = false;
    bool Connecting = false;
    bool IdleWait = false;
    bool BoxSelected = false;
    RemoteCounters counters;
    // When the connect sequence completed (clock time, ms).
    qint64 connectionStartMs = 0;
    // What the unit holds as this connection has seen it: a remote read notes each memory it
    // received whole, a remote write each memory the unit acknowledged.
    UnitRecord unitRecord;
    void noteUnitMemory(int memory, const QString& text) {
        unitRecord.noteMemory(connectionStartMs, memory, text);
    }
    HeldMemories unitMemories() const { return unitRecord.memories(connectionStartMs); }

private:
    std::unique_ptr<BoxDevice> openConfigured(const QString& serialNumber);
    static void configure(BoxDevice& box);
    // The box reported a broken link (`count` is what it said the second time).
    void reopenBroken(int count);

    BoxBus& m_bus;
    Clock& m_clock;
    std::unique_ptr<BoxDevice> m_box;
    std::array<QString, kSerialSlots> m_serials;
    int m_deviceCount = 0;
    int m_listed = 0;
    int m_selected = -1;
    Clock::TaskId m_hangUpTask = 0;
    std::vector<std::function<void()>> m_hangUpDone;
    Clock::TaskId m_openTask = 0;
    quint64 m_bytesSent = 0;
    int m_reopens = 0;
    bool m_boxLost = false;
};

} // namespace lumo
