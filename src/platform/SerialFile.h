#pragma once
#include <QString>
#include <QtGlobal>

namespace lumo {

// The line settings of a serial port in the layout of the Win32 device control block, so the
// serial component builds them from its property tables the same way on every platform; the
// POSIX side translates them into termios.
struct SerialDcb {
    // Bits of `flags`, as in the Win32 structure.
    enum Flag : quint32 {
        fBinary = 0x1,
        fParity = 0x2,
        fOutxCtsFlow = 0x4,
        fOutxDsrFlow = 0x8,
        fDtrControlEnable = 0x10,
        fDtrControlHandshake = 0x20,
        fDsrSensitivity = 0x40,
        fTXContinueOnXoff = 0x80,
        fOutX = 0x100,
        fInX = 0x200,
        fErrorChar = 0x400,
        fNull = 0x800,
        fRtsControlEnable = 0x1000,
        fRtsControlHandshake = 0x2000,
    };

    quint32 baudRate = 9600;
    quint32 flags = fBinary;
    quint16 xonLim = 0;
    quint16 xoffLim = 0;
    quint8 byteSize = 8;
    quint8 parity = 0;   // 0 none, 1 odd, 2 even, 3 mark, 4 space
    quint8 stopBits = 0; // 0 one, 1 one and a half, 2 two
    quint8 xonChar = 17;
    quint8 xoffChar = 19;

    bool operator==(const SerialDcb&) const = default;
};

// Availability of a port as the port list shows it (the numbers are the original ones).
enum class SerialAvailability { InUse = 0, Free = 1, Missing = 2 };

// A self-resetting wake-up signal (an eventfd) that a thread can wait on together with a port.
class WakeEvent {
public:
    WakeEvent();
    ~WakeEvent();
    WakeEvent(const WakeEvent&) = delete;
    WakeEvent& operator=(const WakeEvent&) = delete;

    void set();
    void reset();
    // Waits up to `timeoutMs` (-1: without limit); true when set. Does not reset.
    bool wait(int timeoutMs) const;
    int fd() const { return m_fd; }

    // Waits up to `timeoutMs` (-1: without limit) for any of `count` events; returns the
    // index of the first one set, or -1 on time-out.
    static int waitAny(const WakeEvent* const* events, int count, int timeoutMs);

private:
    int m_fd = -1;
};

// One open serial device on POSIX: the calls the serial component needs, each a thin wrapper
// of the system call. The device is opened non-blocking, without becoming the controlling
// terminal, and exclusively: an advisory lock (which also stops root) plus TIOCEXCL.
class SerialFile {
public:
    enum class OpenResult { Ok, NotFound, Failed };
    enum class IoResult { Ok, Gone };

    // What waitFor() saw. `woken` holds bit i for extra event i that was set.
    struct WaitResult {
        bool input = false;
        bool output = false;
        bool hangup = false;
        unsigned woken = 0;
    };

    // Modem-status bits returned by modemLines().
    enum ModemLine : unsigned { LineCts = 0x1, LineDsr = 0x2, LineRing = 0x4, LineRlsd = 0x8 };

    // Line-error counters of a real UART (stay at zero where the driver has none).
    struct ErrorCounters {
        quint32 frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
    };

    SerialFile() = default;
    ~SerialFile();
    SerialFile(const SerialFile&) = delete;
    SerialFile& operator=(const SerialFile&) = delete;

    // Opens `path` for reading and writing. NotFound: no such device (or a UART slot without
    // hardware); Failed: it exists but cannot be had (held by another holder, no access,
    // not a terminal). *systemError gets the errno.
    OpenResult open(const QString& path, int* systemError = nullptr);
    void close();
    bool isOpen() const { return m_fd >= 0; }
    bool isPseudoTerminal() const { return m_pseudoTerminal; }
    int fd() const { return m_fd; }

    // Raw mode, reads return at once with what is waiting.
    bool makeRaw();
    bool applyDcb(const SerialDcb& dcb);
    bool readDcb(SerialDcb* dcb) const;
    // Modem-control outputs; a pseudo-terminal refuses them, which counts as success.
    bool setDtr(bool on);
    bool setRts(bool on);
    bool modemLines(unsigned* lines) const;
    bool errorCounters(ErrorCounters* counters) const;

    // Bytes in the driver's input queue, -1 on failure.
    int bytesWaiting() const;
    // Reads up to `size` bytes without waiting; *got gets the count. Gone: the device is gone
    // (end of file or an I/O error).
    IoResult read(char* buffer, int size, int* got);
    // Writes up to `size` bytes without waiting; *done gets the count (0 when the driver's
    // queue is full).
    IoResult write(const char* buffer, int size, int* done);
    void purge(bool input, bool output);

    // Waits up to `timeoutMs` for input (when wantInput), room for output (when wantOutput), a
    // hang-up (always) or one of the extra events.
    WaitResult waitFor(bool wantInput, bool wantOutput, const WakeEvent* const* extra,
                       int extraCount, int timeoutMs) const;

    // Opens the device and closes it again, as the port list does.
    static SerialAvailability probe(const QString& path);

private:
    int m_fd = -1;
    bool m_pseudoTerminal = false;
};

} // namespace lumo
