#include "platform/SerialFile.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/serial.h>
#endif

namespace lumo {

namespace {

#if defined(__linux__)
// The kernel's termios2, declared here because <asm/termbits.h> clashes with <termios.h>. It
// carries any baud rate, which rates such as 14400 or 56000 need.
struct KernelTermios2 {
    unsigned int c_iflag;
    unsigned int c_oflag;
    unsigned int c_cflag;
    unsigned int c_lflag;
    unsigned char c_line;
    unsigned char c_cc[19];
    unsigned int c_ispeed;
    unsigned int c_ospeed;
};
const unsigned long kTcGets2 = _IOR('T', 0x2A, KernelTermios2);
const unsigned long kTcSets2 = _IOW('T', 0x2B, KernelTermios2);
constexpr unsigned int kBother = 0010000;
#endif

struct BaudEntry {
    quint32 rate;
    speed_t code;
};

const BaudEntry kBauds[] = {
    {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool standardSpeed(quint32 rate, speed_t* code) {
    for (const BaudEntry& e : kBauds) {
        if (e.rate == rate) {
            *code = e.code;
            return true;
        }
    }
    return false;
}

quint32 rateOf(speed_t code) {
    for (const BaudEntry& e : kBauds) {
        if (e.code == code)
            return e.rate;
    }
    return 0;
}

bool isPseudoTerminalSlave(int fd) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    // UNIX98 pseudo-terminal slaves use majors 136..143.
    const unsigned maj = major(st.st_rdev);
    return maj >= 136 && maj <= 143;
}

bool modemBits(int fd, int request, int bits) {
    return ioctl(fd, request, &bits) == 0;
}

} // namespace

// --- WakeEvent -----------------------------------------------------------------------------

WakeEvent::WakeEvent() : m_fd(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

WakeEvent::~WakeEvent() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void WakeEvent::set() {
    const quint64 one = 1;
    // A full counter still leaves the event set, so a failed write loses nothing.
    [[maybe_unused]] const ssize_t n = ::write(m_fd, &one, sizeof one);
}

void WakeEvent::reset() {
    quint64 value = 0;
    [[maybe_unused]] const ssize_t n = ::read(m_fd, &value, sizeof value);
}

bool WakeEvent::wait(int timeoutMs) const {
    pollfd p{m_fd, POLLIN, 0};
    for (;;) {
        const int r = ::poll(&p, 1, timeoutMs);
        if (r < 0 && errno == EINTR)
            continue;
        return r > 0 && (p.revents & POLLIN);
    }
}

int WakeEvent::waitAny(const WakeEvent* const* events, int count, int timeoutMs) {
    constexpr int kMax = 8;
    pollfd fds[kMax];
    const int n = qMin(count, kMax);
    for (int i = 0; i < n; ++i)
        fds[i] = pollfd{events[i]->fd(), POLLIN, 0};
    for (;;) {
        const int r = ::poll(fds, static_cast<nfds_t>(n), timeoutMs);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return -1;
        for (int i = 0; i < n; ++i) {
            if (fds[i].revents & POLLIN)
                return i;
        }
        return -1;
    }
}

// --- SerialFile ----------------------------------------------------------------------------

SerialFile::~SerialFile() {
    close();
}

SerialFile::OpenResult SerialFile::open(const QString& path, int* systemError) {
    close();
    auto fail = [&](OpenResult result, int err) {
        if (systemError)
            *systemError = err;
        return result;
    };
    const QByteArray native = QFile::encodeName(path);
    if (native.isEmpty())
        return fail(OpenResult::NotFound, ENOENT);
    const int fd = ::open(native.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        const bool missing = err == ENOENT || err == ENODEV || err == ENXIO || err == ENOTDIR;
        return fail(missing ? OpenResult::NotFound : OpenResult::Failed, err);
    }
    // The advisory lock is what makes "in use" hold for every user, root included.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        return fail(OpenResult::Failed, err == EWOULDBLOCK ? EBUSY : err);
    }
    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        // A UART slot without hardware opens but answers EIO: that port does not exist.
        const int err = errno;
        ::close(fd);
        return fail(err == EIO ? OpenResult::NotFound : OpenResult::Failed, err);
    }
#if defined(__linux__)
    serial_struct info{};
    if (ioctl(fd, TIOCGSERIAL, &info) == 0 && info.type == PORT_UNKNOWN) {
        ::close(fd);
        return fail(OpenResult::NotFound, ENODEV);
    }
#endif
    ioctl(fd, TIOCEXCL);
    m_fd = fd;
    m_pseudoTerminal = isPseudoTerminalSlave(fd);
    if (systemError)
        *systemError = 0;
    return OpenResult::Ok;
}

void SerialFile::close() {
    if (m_fd < 0)
        return;
    ioctl(m_fd, TIOCNXCL);
    ::close(m_fd); // also drops the advisory lock
    m_fd = -1;
    m_pseudoTerminal = false;
}

// The current settings in raw mode: every byte passes untouched and reads return at once.
static bool rawSettings(int fd, termios* tio) {
    *tio = termios{};
    if (tcgetattr(fd, tio) != 0)
        return false;
    cfmakeraw(tio);
    tio->c_cflag |= CLOCAL | CREAD;
    tio->c_cc[VMIN] = 0;
    tio->c_cc[VTIME] = 0;
    return true;
}

bool SerialFile::makeRaw() {
    termios tio;
    return rawSettings(m_fd, &tio) && tcsetattr(m_fd, TCSANOW, &tio) == 0;
}

bool SerialFile::applyDcb(const SerialDcb& dcb) {
    termios tio;
    if (!rawSettings(m_fd, &tio))
        return false;

    tio.c_cflag &= ~CSIZE;
    switch (dcb.byteSize) {
    case 5:
        tio.c_cflag |= CS5;
        break;
    case 6:
        tio.c_cflag |= CS6;
        break;
    case 7:
        tio.c_cflag |= CS7;
        break;
    case 8:
        tio.c_cflag |= CS8;
        break;
    default:
        return false; // termios has no 4-bit characters
    }

    tio.c_cflag &= ~(PARENB | PARODD | CMSPAR);
    switch (dcb.parity) {
    case 0:
        break;
    case 1:
        tio.c_cflag |= PARENB | PARODD;
        break;
    case 2:
        tio.c_cflag |= PARENB;
        break;
    case 3:
        tio.c_cflag |= PARENB | PARODD | CMSPAR;
        break;
    case 4:
        tio.c_cflag |= PARENB | CMSPAR;
        break;
    default:
        return false;
    }
    if (dcb.parity != 0 && (dcb.flags & SerialDcb::fParity))
        tio.c_iflag |= INPCK;

    // termios knows one or two stop bits; two with 5-bit characters means one and a half.
    if (dcb.stopBits > 2)
        return false;
    if (dcb.stopBits == 0)
        tio.c_cflag &= ~CSTOPB;
    else
        tio.c_cflag |= CSTOPB;

    if (dcb.flags & SerialDcb::fOutX)
        tio.c_iflag |= IXON;
    if (dcb.flags & SerialDcb::fInX)
        tio.c_iflag |= IXOFF;
    tio.c_cc[VSTART] = dcb.xonChar;
    tio.c_cc[VSTOP] = dcb.xoffChar;
    if (dcb.flags & (SerialDcb::fOutxCtsFlow | SerialDcb::fRtsControlHandshake))
        tio.c_cflag |= CRTSCTS;
    else
        tio.c_cflag &= ~CRTSCTS;
    // DSR/DTR hardware flow control has no termios counterpart; the flags are kept in the
    // DCB but do not reach the driver.

    speed_t code = B38400;
    const bool standard = standardSpeed(dcb.baudRate, &code);
    if (dcb.baudRate == 0)
        return false;
    cfsetispeed(&tio, code);
    cfsetospeed(&tio, code);
    if (tcsetattr(m_fd, TCSANOW, &tio) != 0)
        return false;
#if defined(__linux__)
    if (!standard) {
        KernelTermios2 t2{};
        if (ioctl(m_fd, kTcGets2, &t2) != 0)
            return false;
        t2.c_cflag &= ~static_cast<unsigned int>(CBAUD);
        t2.c_cflag |= kBother;
        t2.c_ispeed = dcb.baudRate;
        t2.c_ospeed = dcb.baudRate;
        if (ioctl(m_fd, kTcSets2, &t2) != 0)
            return false;
    }
#else
    if (!standard)
        return false;
#endif

    // The modem lines follow the DCB; a device without them (a pseudo-terminal, some
    // adapters) refuses the calls, which does not make the line settings wrong.
    setDtr((dcb.flags & SerialDcb::fDtrControlEnable) != 0);
    if (!(dcb.flags & SerialDcb::fRtsControlHandshake))
        setRts((dcb.flags & SerialDcb::fRtsControlEnable) != 0);
    return true;
}

bool SerialFile::readDcb(SerialDcb* dcb) const {
    termios tio{};
    if (m_fd < 0 || tcgetattr(m_fd, &tio) != 0)
        return false;
    SerialDcb d;
    d.baudRate = rateOf(cfgetospeed(&tio));
#if defined(__linux__)
    KernelTermios2 t2{};
    if (ioctl(m_fd, kTcGets2, &t2) == 0 &&
        (t2.c_cflag & static_cast<unsigned int>(CBAUD)) == kBother)
        d.baudRate = t2.c_ospeed;
#endif
    switch (tio.c_cflag & CSIZE) {
    case CS5:
        d.byteSize = 5;
        break;
    case CS6:
        d.byteSize = 6;
        break;
    case CS7:
        d.byteSize = 7;
        break;
    default:
        d.byteSize = 8;
        break;
    }
    if (tio.c_cflag & PARENB) {
        const bool odd = tio.c_cflag & PARODD;
        if (tio.c_cflag & CMSPAR)
            d.parity = odd ? 3 : 4;
        else
            d.parity = odd ? 1 : 2;
    }
    d.stopBits = (tio.c_cflag & CSTOPB) ? 2 : 0;
    d.flags = SerialDcb::fBinary;
    if (tio.c_iflag & INPCK)
        d.flags |= SerialDcb::fParity;
    if (tio.c_iflag & IXON)
        d.flags |= SerialDcb::fOutX;
    if (tio.c_iflag & IXOFF)
        d.flags |= SerialDcb::fInX;
    if (tio.c_cflag & CRTSCTS)
        d.flags |= SerialDcb::fOutxCtsFlow | SerialDcb::fRtsControlHandshake;
    d.xonChar = tio.c_cc[VSTART];
    d.xoffChar = tio.c_cc[VSTOP];
    int lines = 0;
    if (ioctl(m_fd, TIOCMGET, &lines) == 0) {
        if (lines & TIOCM_DTR)
            d.flags |= SerialDcb::fDtrControlEnable;
        if ((lines & TIOCM_RTS) && !(tio.c_cflag & CRTSCTS))
            d.flags |= SerialDcb::fRtsControlEnable;
    }
    *dcb = d;
    return true;
}

bool SerialFile::setDtr(bool on) {
    if (modemBits(m_fd, on ? TIOCMBIS : TIOCMBIC, TIOCM_DTR))
        return true;
    return m_pseudoTerminal; // pseudo-terminals have no modem lines
}

bool SerialFile::setRts(bool on) {
    if (modemBits(m_fd, on ? TIOCMBIS : TIOCMBIC, TIOCM_RTS))
        return true;
    return m_pseudoTerminal;
}

bool SerialFile::modemLines(unsigned* lines) const {
    int bits = 0;
    if (m_fd < 0 || ioctl(m_fd, TIOCMGET, &bits) != 0)
        return false;
    unsigned out = 0;
    if (bits & TIOCM_CTS)
        out |= LineCts;
    if (bits & TIOCM_DSR)
        out |= LineDsr;
    if (bits & TIOCM_RNG)
        out |= LineRing;
    if (bits & TIOCM_CAR)
        out |= LineRlsd;
    *lines = out;
    return true;
}

bool SerialFile::errorCounters(ErrorCounters* counters) const {
#if defined(__linux__)
    serial_icounter_struct c{};
    if (m_fd < 0 || ioctl(m_fd, TIOCGICOUNT, &c) != 0)
        return false;
    counters->frame = static_cast<quint32>(c.frame);
    counters->overrun = static_cast<quint32>(c.overrun);
    counters->parity = static_cast<quint32>(c.parity);
    counters->brk = static_cast<quint32>(c.brk);
    counters->bufOverrun = static_cast<quint32>(c.buf_overrun);
    return true;
#else
    Q_UNUSED(counters);
    return false;
#endif
}

int SerialFile::bytesWaiting() const {
    int n = 0;
    if (m_fd < 0 || ioctl(m_fd, FIONREAD, &n) != 0)
        return -1;
    return n;
}

SerialFile::IoResult SerialFile::read(char* buffer, int size, int* got) {
    *got = 0;
    if (m_fd < 0)
        return IoResult::Gone;
    if (size <= 0)
        return IoResult::Ok;
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, static_cast<size_t>(size));
        if (n > 0) {
            *got = static_cast<int>(n);
            return IoResult::Ok;
        }
        if (n == 0)
            return IoResult::Gone; // raw mode with VMIN 0 reads 0 only after a hang-up
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return IoResult::Ok;
        return IoResult::Gone;
    }
}

SerialFile::IoResult SerialFile::write(const char* buffer, int size, int* done) {
    *done = 0;
    if (m_fd < 0)
        return IoResult::Gone;
    if (size <= 0)
        return IoResult::Ok;
    for (;;) {
        const ssize_t n = ::write(m_fd, buffer, static_cast<size_t>(size));
        if (n >= 0) {
            *done = static_cast<int>(n);
            return IoResult::Ok;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return IoResult::Ok;
        return IoResult::Gone;
    }
}

void SerialFile::purge(bool input, bool output) {
    if (m_fd < 0 || (!input && !output))
        return;
    tcflush(m_fd, input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH));
}

SerialFile::WaitResult SerialFile::waitFor(bool wantInput, bool wantOutput,
                                           const WakeEvent* const* extra, int extraCount,
                                           int timeoutMs) const {
    WaitResult result;
    constexpr int kMaxExtra = 8;
    pollfd fds[kMaxExtra + 1];
    const int count = qMin(extraCount, kMaxExtra);
    short events = 0;
    if (wantInput)
        events |= POLLIN;
    if (wantOutput)
        events |= POLLOUT;
    // With no events asked for, poll still reports a hang-up or an error on the port.
    fds[0] = pollfd{m_fd, events, 0};
    for (int i = 0; i < count; ++i)
        fds[i + 1] = pollfd{extra[i]->fd(), POLLIN, 0};
    const int r = ::poll(fds, static_cast<nfds_t>(count + 1), timeoutMs);
    if (r <= 0)
        return result; // time-out, or a signal: the caller's loop looks again
    const short re = fds[0].revents;
    result.input = re & POLLIN;
    result.output = re & POLLOUT;
    result.hangup = re & (POLLHUP | POLLERR | POLLNVAL);
    for (int i = 0; i < count; ++i) {
        if (fds[i + 1].revents & POLLIN)
            result.woken |= 1u << i;
    }
    return result;
}

SerialAvailability SerialFile::probe(const QString& path) {
    SerialFile file;
    switch (file.open(path)) {
    case OpenResult::Ok:
        return SerialAvailability::Free;
    case OpenResult::NotFound:
        return SerialAvailability::Missing;
    case OpenResult::Failed:
        break;
    }
    return SerialAvailability::InUse;
}

} // namespace lumo
