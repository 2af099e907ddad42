// Remote programming through a line box ("Telvox"):
//   lumo-cli boxes
//       one line per attached line box (FTDI description "Kavrostanel"): slot, serial number
//   lumo-cli remote connect --box SERIAL --number N --password P [--hold SECONDS]
//       connects to the unit through the box with that serial number, printing each exchange
//       of the connect sequence as the trace memo shows it (" -p- reply -v- command"), then
//       "Connected"; keeps the connection with its keep-alive for SECONDS (default 0), prints
//       the keep-alive count and hangs up. The same dialog logic and engine as the main window.
//       --connect-timeout SECONDS gives up a connection not made in time (default 120); SIGINT
//       and SIGTERM hang up and exit with 128 + the signal.
#include "cli/CommandTable.h"
#include "cli/InterruptWatch.h"
#include "cli/RemoteSession.h"
#include "platform/Cp1250.h"
#include "platform/SystemClock.h"
#include "remote/ConnectDialogModel.h"
#include "remote/ConnectionEngine.h"
#include "remote/FtdiBoxBus.h"
#include "remote/RemoteLink.h"
#include "texts/Texts.h"
#include <QEventLoop>
#include <QHash>
#include <QTimer>

namespace lumo::cli {

namespace {

const QString kBoxesSynopsis = QStringLiteral("boxes");
const QString kRemoteSynopsis =
    QStringLiteral("remote connect --box SERIAL --number N --password P [--hold SECONDS] "
                   "[--connect-timeout SECONDS]");
constexpr int kDefaultConnectTimeoutS = 120;

// The main window's share of the engine's view on a console: the trace on standard output.
class ConsoleWindowView : public ConnectionView {
public:
    void trace(const QByteArray& line) override {
        QByteArray text = line;
        if (text.endsWith("\r\n"))
            text.chop(2);
        printOut(cp1250::toUnicode(text));
    }
    void showMessage(const QString&) override {} // the messenger prints it
};

int runBoxes(const QStringList& args) {
    if (!args.isEmpty())
        return usage(kBoxesSynopsis);
    SystemClock clock;
    FtdiBoxBus bus;
    RemoteLink link(bus, clock);
    link.ListBoxDevices();
    for (int i = 0; i < link.listedCount(); ++i)
        printOut(QStringLiteral("%1\t%2").arg(i).arg(link.boxSerial(i)));
    if (link.listedCount() == 0)
        printErr(activeTexts().get(TextSection::REMOTE, 25));
    return Success;
}

// The telephone number as the dialog's entry rules take it; empty with `bad` set when a
// character would be discarded there.
QString filterNumber(const QString& number, QChar* bad) {
    QString out;
    for (QChar c : number) {
        const std::optional<QChar> entered = ConnectDialogModel::Edit1Key(c);
        if (!entered) {
            *bad = c;
            return {};
        }
        out += *entered;
    }
    return out;
}

int runConnect(const QStringList& args) {
    QHash<QString, QString> options;
    const QStringList known = {QStringLiteral("box"), QStringLiteral("number"),
                               QStringLiteral("password"), QStringLiteral("hold"),
                               QStringLiteral("connect-timeout")};
    for (int i = 0; i < args.size(); i += 2) {
        const QString name = args[i].startsWith(QLatin1String("--")) ? args[i].mid(2) : QString();
        if (!known.contains(name) || i + 1 >= args.size() || options.contains(name))
            return usage(kRemoteSynopsis);
        options.insert(name, args[i + 1]);
    }
    for (const char* required : {"box", "number", "password"})
        if (!options.contains(QLatin1String(required)))
            return usage(kRemoteSynopsis);

    QString number;
    if (const int status =
            checkNumberAndPassword(options.value(QStringLiteral("number")),
                                   options.value(QStringLiteral("password")), &number);
        status != Success)
        return status;
    const QString password = options.value(QStringLiteral("password"));
    bool holdOk = true;
    const int holdSeconds =
        options.value(QStringLiteral("hold"), QStringLiteral("0")).toInt(&holdOk);
    if (!holdOk || holdSeconds < 0) {
        printErr(QStringLiteral("--hold: a number of seconds, 0 or more"));
        return Usage;
    }
    bool limitOk = true;
    const int limitSeconds = options.value(QStringLiteral("connect-timeout")).toInt(&limitOk);
    if (options.contains(QStringLiteral("connect-timeout")) &&
        (!limitOk || limitSeconds < 1 || limitSeconds > 24 * 3600)) {
        printErr(QStringLiteral("--connect-timeout: a number of seconds, 1 or more"));
        return Usage;
    }
    const int limitMs =
        (options.contains(QStringLiteral("connect-timeout")) ? limitSeconds
                                                             : kDefaultConnectTimeoutS) *
        1000;

    SystemClock clock;
    FtdiBoxBus bus;
    RemoteLink link(bus, clock);
    const Texts& texts = activeTexts();
    ConsoleMessenger messenger;
    ConsoleWindowView window;
    ConnectDialogModel model(link, texts, messenger);
    ConnectionEngine engine(link, model, texts);
    model.setEngine(&engine);
    model.setWindowView(&window);

    // The menu command and the dialog, with the box of --box as the one used last time.
    if (!model.beginAttempt())
        return Failure;
    engine.setBoxCaption(options.value(QStringLiteral("box")), false);
    model.FormShow(password);
    if (link.selectedIndex() < 0) {
        model.endAttempt();
        return Failure;
    }
    QEventLoop loop;
    bool selected = false;
    model.Button2Click([&] {
        selected = true;
        loop.quit();
    });
    if (!selected)
        loop.exec();
    if (!link.BoxSelected) {
        model.endAttempt();
        return Failure;
    }

    model.setEdit1(number);
    model.setEdit2(password);
    int exitStatus = Failure;
    int interrupted = 0;
    bool ending = false; // the attempt is being cancelled: wait for the line to be free
    auto cancelAttempt = [&] {
        if (ending)
            return;
        ending = true;
        model.Button1Click([&] { loop.quit(); });
    };
    QTimer hold;
    hold.setSingleShot(true);
    QObject::connect(&hold, &QTimer::timeout, [&] { engine.disconnect(); });
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, [&] {
        printErr(texts.message(cliText::kNoConnectionWithin).arg(limitMs / 1000));
        cancelAttempt();
    });
    InterruptWatch watch([&](int signal) {
        if (ending || interrupted)
            return;
        interrupted = signal;
        printErr(texts.message(cliText::kInterruptedHangUp));
        if (engine.isConnected()) {
            hold.stop();
            engine.disconnect();
        } else {
            cancelAttempt();
        }
    });
    const bool started = model.Button4Click([&](const ConnectionResult& r) {
        switch (r.kind) {
        case ConnectionResult::Kind::Connected:
            limit.stop();
            printOut(QStringLiteral("Connected"));
            hold.start(holdSeconds * 1000);
            return;
        case ConnectionResult::Kind::Disconnected:
            exitStatus = Success;
            break;
        case ConnectionResult::Kind::Failed:
        case ConnectionResult::Kind::Cancelled:
            exitStatus = Failure;
            if (ending)
                return; // quits once the line is free
            break;
        }
        loop.quit();
    });
    if (!started)
        return fail(texts.message(cliText::kConnectionNotStarted));
    limit.start(limitMs);
    loop.exec();
    if (exitStatus == Success)
        printOut(engine.repeatCountCaption());
    return interrupted ? 128 + interrupted : exitStatus;
}

int runRemote(const QStringList& args) {
    if (!args.isEmpty() &&
        (args.first() == QLatin1String("read") || args.first() == QLatin1String("write"))) {
        const std::unique_ptr<RemoteSession> session = systemRemoteSession();
        return args.first() == QLatin1String("read") ? runRemoteRead(args.mid(1), *session)
                                                     : runRemoteWrite(args.mid(1), *session);
    }
    if (args.isEmpty() || args.first() != QLatin1String("connect"))
        return usage(kRemoteSynopsis);
    return runConnect(args.mid(1));
}

const bool registeredBoxes = registerCommand(
    {QStringLiteral("boxes"),
     QStringLiteral("boxes               list the attached line boxes: slot, serial number"),
     runBoxes});
const bool registeredRemote =
    registerCommand({QStringLiteral("remote"), kRemoteSynopsis, runRemote});

} // namespace

int checkNumberAndPassword(const QString& given, const QString& password, QString* entered) {
    QChar bad;
    const QString number = filterNumber(given, &bad);
    if (number.isEmpty() && !bad.isNull()) {
        printErr(QStringLiteral("--number: the character \"%1\" is not accepted (digits, *, #, "
                                "P, R, f; H for *, K for #)")
                     .arg(bad));
        return Usage;
    }
    if (number.trimmed().isEmpty() || number.size() > ConnectDialogModel::kNumberLength) {
        printErr(
            QStringLiteral("--number: 1 to %1 characters").arg(ConnectDialogModel::kNumberLength));
        return Usage;
    }
    bool digits = password.size() == ConnectDialogModel::kPasswordLength;
    for (QChar c : password)
        digits = digits && ConnectDialogModel::Edit2Key(c).has_value();
    if (!digits) {
        printErr(QStringLiteral("--password: exactly 4 digits"));
        return Usage;
    }
    if (entered)
        *entered = number;
    return Success;
}

} // namespace lumo::cli
