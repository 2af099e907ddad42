#pragma once
#include "link/TransferLink.h"
#include "platform/Clock.h"
#include "sim/VirtualUnit.h"
#include <QByteArray>
#include <QList>

namespace lumo::sim {

// A local link wired straight to a virtual unit through the injected clock: what the host
// writes reaches the unit, the unit's answer arrives in the host's input after the unit's
// reaction time and, with pacing, at the pace of a 2400 Bd line (10 bits a byte) in both
// directions. Serves as the serial port (with received-data events) or as the USB cable
// (polled), so the transfer engine runs end to end in virtual time. It records every byte the
// host sent and can fail the way real ports fail.
class UnitLink : public TransferLink {
public:
    UnitLink(Clock& clock, VirtualUnit& unit, Kind kind);
    ~UnitLink() override;

    // TransferLink
    Kind kind() const override { return m_kind; }
    bool isOpen() const override;
    bool open(QString* error) override;
    void close() override;
    bool hasDevice() const override { return m_kind == Kind::Serial || m_deviceHeld; }
    int bytesWaiting() override;
    QByteArray readAll() override;
    bool writeByte(char byte) override;
    bool lastWriteOk() const override { return m_lastWriteOk; }
    bool deviceLost() const override { return m_lost; }
    void setDataHandler(DataHandler handler) override { m_handler = std::move(handler); }
    QString openProblem() const override { return m_openProblem; }

    // Timing.
    void setPacing(bool on) { m_pacing = on; }
    void setUnitDelayMs(int ms) { m_unitDelayMs = ms; }
    static constexpr double kByteMs = 10.0 * 1000.0 / 2400.0;

    // Faults of the host side.
    void setPortMissing(bool missing) { m_portMissing = missing; }   // serial open fails
    void setCableMissing(bool missing) { m_cableMissing = missing; } // USB open fails
    void failWriteAt(int byteNumber) { m_failWriteAt = byteNumber; } // 0-based, USB only
    // The device goes away once the unit has the host's `byteNumber`-th byte (counted from
    // 1), as a cable pulled out: its answer and everything in flight are lost, the serial
    // port closes, the cable stays held but answers nothing, and neither opens again.
    void vanishAfter(int byteNumber) { m_vanishAfter = byteNumber; }
    // Marks the adapter closed as the port dialog does (the cable stays held).
    void markUsbClosed() { m_adapterOpen = false; }
    // What a failed open says is wrong with the device.
    void setOpenProblem(const QString& why) { m_openProblem = why; }

    // What happened on the wire.
    const QByteArray& sent() const { return m_sent; }
    void clearSent() { m_sent.clear(); }
    int opens() const { return m_opens; }
    int closes() const { return m_closes; }
    // Host-side "R" "T" requests, by block number in order.
    QList<int> requestedBlocks() const;

private:
    void deliverToUnit(char byte);
    void vanish();
    void arrive(const QByteArray& bytes);
    void schedule(qint64 atMs, Clock::Task task);

    Clock& m_clock;
    VirtualUnit& m_unit;
    Kind m_kind;
    DataHandler m_handler;
    bool m_portOpen = false;
    bool m_adapterOpen = false;
    bool m_deviceHeld = false;
    bool m_lastWriteOk = true;
    bool m_pacing = false;
    int m_unitDelayMs = 0;
    bool m_portMissing = false;
    bool m_cableMissing = false;
    int m_failWriteAt = -1;
    int m_vanishAfter = -1;
    int m_hostBytes = 0;
    bool m_lost = false;
    QString m_openProblem;
    int m_writes = 0;
    double m_txFreeAt = 0;
    double m_rxFreeAt = 0;
    QByteArray m_input;
    QByteArray m_sent;
    int m_opens = 0;
    int m_closes = 0;
    quint64 m_generation = 0; // bumps on close, so bytes in flight to a closed port are lost
    QList<Clock::TaskId> m_tasks;
};

} // namespace lumo::sim
