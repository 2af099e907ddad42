#include "sim/LineBoxServer.h"
#include "sim/PtyLink.h"
#include <QFileInfo>
#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace lumo::sim {

LineBoxServer::LineBoxServer() = default;

LineBoxServer::~LineBoxServer() {
    stop();
}

bool LineBoxServer::start(const Options& options, QString* error) {
    if (running())
        return true;
    m_options = options;
    if (!options.memoryFile.isEmpty() && QFileInfo::exists(options.memoryFile)) {
        if (!m_unit.load(options.memoryFile, error))
            return false;
    }
    if (!openPseudoTerminal(m_master, m_slaveKeep, m_slaveName, B9600, error)) {
        stop();
        return false;
    }
    if (!options.linkPath.isEmpty() && !makePtyLink(m_slaveName, options.linkPath, error)) {
        m_options.linkPath.clear(); // not ours: stop() must leave it alone
        stop();
        return false;
    }

    m_box = std::make_unique<VirtualLineBox>(m_clock, m_unit);
    m_box->setFaults(options.faults);
    m_box->setTiming(options.timing);
    m_box->setUnitNumber(options.unitNumber);
    m_box->setOutput([this](const QByteArray& bytes) { toHost(bytes); });
    // Called from inside the box: the terminal goes once the box has finished the command.
    m_box->setVanishedHandler([this] { m_clock.runAfter(0, [this] { vanished(); }); });
    if (!options.memoryFile.isEmpty())
        m_box->setMemoryChangedHandler([this] { m_unit.save(m_options.memoryFile); });
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(),
                     [this] { readHost(); });
    return true;
}

void LineBoxServer::stop() {
    m_notifier.reset();
    if (m_pieceTask) {
        m_clock.cancel(m_pieceTask);
        m_pieceTask = 0;
    }
    m_box.reset();
    for (int* fd : {&m_master, &m_slaveKeep}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    if (!m_options.linkPath.isEmpty())
        removePtyLink(m_slaveName, m_options.linkPath);
}

QString LineBoxServer::devicePath() const {
    return m_options.linkPath.isEmpty() ? m_slaveName : m_options.linkPath;
}

void LineBoxServer::readHost() {
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            m_box->feed(QByteArray(buffer, int(n)));
            if (m_master < 0)
                return;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return;
    }
}

void LineBoxServer::toHost(const QByteArray& bytes) {
    const int piece = m_box ? m_box->faults().splitBytes : 0;
    if (piece <= 0) {
        writeMaster(bytes);
        return;
    }
    m_held += bytes;
    if (!m_pieceTask)
        writePiece();
}

void LineBoxServer::writePiece() {
    m_pieceTask = 0;
    if (m_held.isEmpty() || m_master < 0)
        return;
    const int piece = std::max(1, m_box->faults().splitBytes);
    writeMaster(m_held.left(piece));
    m_held.remove(0, piece);
    if (!m_held.isEmpty())
        m_pieceTask = m_clock.runAfter(m_options.splitGapMs, [this] { writePiece(); });
}

void LineBoxServer::writeMaster(const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size() && m_master >= 0) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && errno == EAGAIN) {
            pollfd p{m_master, POLLOUT, 0};
            if (::poll(&p, 1, 1000) <= 0)
                return; // nobody reads: the reply is lost, as on a dead line
        } else {
            return;
        }
    }
}

void LineBoxServer::vanished() {
    m_notifier.reset();
    m_held.clear();
    for (int* fd : {&m_master, &m_slaveKeep}) {
        if (*fd >= 0)
            ::close(*fd);
        *fd = -1;
    }
    if (!m_options.linkPath.isEmpty())
        removePtyLink(m_slaveName, m_options.linkPath);
}

const char* lineBoxUsage() {
    return "\n       lumo-sim linebox [--pty-link PATH] [--memory FILE] [--unit-number N]\n"
           "                        [--silent-prefix TEXT]... [--err-every N]\n"
           "                        [--wake-after N|never] [--wrong-password]\n"
           "                        [--split-replies BYTES] [--vanish-after N]\n"
           "                        [--reset-banner TEXT] [--reply-delay MS]\n"
           "                        [--short-recn N] [--garbage HEX [--garbage-always]]\n"
           "                        [--reaction MS] [--dtmf-char MS] [--code-gap MS]\n"
           "                        [--drop-write N]\n"
           "Serves a virtual line box \"Kavrostanel\" dialling its own virtual Vexo unit on a\n"
           "pseudo-terminal and prints its device path. A program reaches it through\n"
           "LUMO_FTDI=virtual:FILE, FILE holding the line\n"
           "  Kavrostanel<TAB>KAV00001<TAB>PATH\n"
           "(`lumo-sim unit --pty-link PATH` serves the USB cable \"Vexo USB\", serial Vexo-USB,\n"
           "the same way). Faults: --silent-prefix answers nothing to commands beginning so;\n"
           "--err-every answers \"ERR\" to every n-th command; --wake-after lets the unit answer\n"
           "the wake-up only after N unanswered ones (never: not at all); --wrong-password\n"
           "refuses every log-in; --split-replies hands replies over in pieces; --vanish-after\n"
           "makes the box disappear after N commands; --reset-banner puts TEXT before \"RESET\";\n"
           "--reply-delay answers every command MS later; --short-recn drops the last N recorded\n"
           "characters from each AT@RECN; --garbage puts the bytes before the next line (every\n"
           "line with --garbage-always); --drop-write loses the N-th write code the unit hears\n"
           "(the box answers as always, the unit's memory keeps what it held).\n"
           "Timing: the unit's reaction (200 ms), one recorded DTMF character (100 ms), the\n"
           "silence that ends a code (600 ms).\n";
}

bool parseLineBoxArguments(const QStringList& args, LineBoxServer::Options* options,
                           QString* error) {
    auto& f = options->faults;
    auto& t = options->timing;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        const QString value = hasValue ? args[i + 1] : QString();
        bool ok = true;
        auto number = [&](int* target, int minimum) {
            bool converted = false;
            const int v = value.toInt(&converted);
            ok = hasValue && converted && v >= minimum;
            if (ok)
                *target = v;
            ++i;
        };
        if (a == QLatin1String("--pty-link") && hasValue)
            options->linkPath = value, ++i;
        else if (a == QLatin1String("--memory") && hasValue)
            options->memoryFile = value, ++i;
        else if (a == QLatin1String("--unit-number") && hasValue)
            options->unitNumber = value.toLatin1(), ++i;
        else if (a == QLatin1String("--silent-prefix") && hasValue && !value.isEmpty())
            f.silentPrefixes.append(value.toLatin1()), ++i;
        else if (a == QLatin1String("--err-every"))
            number(&f.errEvery, 1);
        else if (a == QLatin1String("--wake-after") && value == QLatin1String("never"))
            f.wakeUpsIgnored = -1, ++i;
        else if (a == QLatin1String("--wake-after"))
            number(&f.wakeUpsIgnored, 0);
        else if (a == QLatin1String("--reply-delay"))
            number(&f.replyDelayMs, 0);
        else if (a == QLatin1String("--short-recn"))
            number(&f.recordedShortBy, 1);
        else if (a == QLatin1String("--garbage") && hasValue &&
                 !QByteArray::fromHex(value.toLatin1()).isEmpty())
            f.garbage = QByteArray::fromHex(value.toLatin1()), ++i;
        else if (a == QLatin1String("--garbage-always"))
            f.garbageOnce = false;
        else if (a == QLatin1String("--reset-banner") && hasValue)
            f.resetBanner = value.toLatin1(), ++i;
        else if (a == QLatin1String("--wrong-password"))
            f.wrongPassword = true;
        else if (a == QLatin1String("--split-replies"))
            number(&f.splitBytes, 1);
        else if (a == QLatin1String("--vanish-after"))
            number(&f.vanishAfter, 1);
        else if (a == QLatin1String("--drop-write"))
            number(&f.dropWrite, 1);
        else if (a == QLatin1String("--reaction"))
            number(&t.unitReactionMs, 0);
        else if (a == QLatin1String("--dtmf-char"))
            number(&t.dtmfCharMs, 0);
        else if (a == QLatin1String("--code-gap"))
            number(&t.codeGapMs, 1);
        else
            ok = false;
        if (!ok) {
            *error = QStringLiteral("bad argument '%1'").arg(a);
            return false;
        }
    }
    return true;
}

} // namespace lumo::sim
