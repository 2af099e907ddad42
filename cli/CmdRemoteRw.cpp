// `lumo-cli remote read` and `lumo-cli remote write`: connect through the line box, wait for the
// quiet period between two keep-alive cycles (where a user's click would start them), run the
// remote read or write engine, hang up.
//
//   lumo-cli remote read --box SERIAL --number N --password P [--settings] [--day LIST]
//       [--night LIST] [--base IN] [--log] OUT
//   lumo-cli remote write --box SERIAL --number N --password P [--basic] [--time] [--switch]
//       [--memories] [--changed-since UNIT.KTF] [--from-entry K] [--log] IN
//
// Progress ("entry n of m", time left) and messages go to standard error.
#include "CommandTable.h"
#include "files/ParameterFiles.h"
#include "platform/SystemClock.h"
#include "remote/ConnectionEngine.h"
#include "remote/FtdiBoxBus.h"
#include "remote/RemoteLink.h"
#include "remote/RemoteReadEngine.h"
#include "remote/RemoteWriteEngine.h"
#include "texts/Texts.h"
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QTimer>
#include <optional>

namespace lumo::cli {

namespace {

const QString kReadSynopsis = QStringLiteral(
    "remote read --box SERIAL --number N --password P [--settings] [--day LIST] [--night LIST] "
    "[--base IN] [--log] OUT");
const QString kWriteSynopsis = QStringLiteral(
    "remote write --box SERIAL --number N --password P [--basic] [--time] [--switch] "
    "[--memories] [--changed-since UNIT.KTF] [--from-entry K] [--log] IN");

struct Options {
    QHash<QString, QString> values;
    QSet<QString> flags;
    QStringList positional;
};

std::optional<Options> parse(const QStringList& args, const QStringList& valued,
                             const QStringList& flags) {
    Options o;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!a.startsWith(QLatin1String("--"))) {
            o.positional << a;
            continue;
        }
        const QString name = a.mid(2);
        if (flags.contains(name) && !o.flags.contains(name)) {
            o.flags.insert(name);
        } else if (valued.contains(name) && i + 1 < args.size() && !o.values.contains(name)) {
            o.values.insert(name, args[++i]);
        } else {
            return std::nullopt;
        }
    }
    for (const char* required : {"box", "number", "password"})
        if (!o.values.contains(QLatin1String(required)))
            return std::nullopt;
    if (o.positional.size() != 1)
        return std::nullopt;
    return o;
}

// "1-4,9,64" → buttons 1..64; false on anything else.
bool parseList(const QString& text, std::array<bool, 128>& memories, int offset) {
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QStringList ends = part.split(QLatin1Char('-'));
        bool ok1 = false, ok2 = true;
        const int first = ends.value(0).toInt(&ok1);
        const int last = ends.size() == 2 ? ends[1].toInt(&ok2) : first;
        if (!ok1 || !ok2 || ends.size() > 2 || first < 1 || last > 64 || first > last)
            return false;
        for (int b = first; b <= last; ++b)
            memories[std::size_t(offset + b - 1)] = true;
    }
    return true;
}

QString formatLeft(qint64 ms) {
    const qint64 s = (ms + 999) / 1000;
    return QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
}

void printProgress(const RemoteProgress& p) {
    printErr(QStringLiteral("%1 %2 of %3, overall %4 of %5, time left %6")
                 .arg(p.group)
                 .arg(p.groupIndex)
                 .arg(p.groupCount)
                 .arg(p.overallIndex)
                 .arg(p.overallCount)
                 .arg(formatLeft(p.msLeft)));
}

class CliConnectionView : public ConnectionView {
public:
    std::function<void(ConnectionState)> onState;
    void stateChanged(ConnectionState s) override {
        if (onState)
            onState(s);
    }
    void showMessage(const QString& text) override { printErr(text); }
};

// A halted procedure would wait for the dialog's Storno; the CLI closes it at once.
class CliReadView : public RemoteReadView {
public:
    std::function<void()> onHalted;
    void stateChanged(RemoteReadState, RemoteReadState to) override {
        if (to == RemoteReadState::Halted && onHalted)
            QTimer::singleShot(0, onHalted);
    }
    void progress(const RemoteProgress& p) override { printProgress(p); }
    void showMessage(const QString& text) override { printErr(text); }
};

class CliWriteView : public RemoteWriteView {
public:
    std::function<void()> onHalted;
    void stateChanged(RemoteWriteState, RemoteWriteState to) override {
        if (to == RemoteWriteState::Halted && onHalted)
            QTimer::singleShot(0, onHalted);
    }
    void progress(const RemoteProgress& p) override { printProgress(p); }
    void showMessage(const QString& text) override { printErr(text); }
};

// The connection, the wait for the quiet period, the procedure and the hang-up. `procedure`
// starts the engine and calls `done(exitStatus)` when it has finished.
int runConnected(const Options& o,
                 const std::function<bool(RemoteLink&, ConnectionEngine&, const Texts&,
                                          std::function<void(int)>)>& procedure,
                 const std::function<void()>& release) {
    SystemClock clock;
    FtdiBoxBus bus;
    RemoteLink link(bus, clock);
    Texts texts;
    CliConnectionView view;
    ConnectionEngine engine(link, view, texts);

    const QString serial = o.values.value(QStringLiteral("box"));
    link.ListBoxDevices();
    int slot = -1;
    for (int i = 0; i < link.listedCount(); ++i)
        if (link.boxSerial(i) == serial)
            slot = i;
    if (slot < 0)
        return fail(QStringLiteral("Zařízení %1 není připojeno").arg(serial));
    link.setSelectedIndex(slot);
    try {
        link.OpenBoxLink(serial);
    } catch (...) {
        return fail(QStringLiteral("USB zařízení Telvox %1 není připojeno").arg(serial));
    }

    QEventLoop loop;
    int exitStatus = Failure;
    bool started = false;
    bool connected = false;
    auto hangUp = [&](int status) {
        exitStatus = status;
        // The unit takes the last code after its gap of quiet, and the keep-alive resumes after
        // 2 s: hang up only then, or the last entry written is lost with the call.
        QTimer::singleShot(2500, [&] { engine.cancel([&] { loop.quit(); }); });
    };
    view.onState = [&](ConnectionState s) {
        if (s != ConnectionState::Quiet || started || !connected)
            return;
        started = true;
        // Out of the engine's own report: start on the next turn of the loop.
        QTimer::singleShot(0, [&] {
            if (!procedure(link, engine, texts, hangUp))
                hangUp(Failure);
        });
    };
    const bool connecting = engine.connect(o.values.value(QStringLiteral("number")).toLatin1(),
                                           o.values.value(QStringLiteral("password")).toLatin1(),
                                           [&](const ConnectionResult& r) {
                                               if (r.kind == ConnectionResult::Kind::Connected) {
                                                   connected = true;
                                                   printErr(QStringLiteral("Connected"));
                                                   return;
                                               }
                                               if (!started)
                                                   loop.quit();
                                           });
    if (!connecting)
        return fail(QStringLiteral("the connection could not start"));
    loop.exec();
    if (release)
        release(); // the engine goes before the link and the clock it uses
    return exitStatus;
}

void openReport(RemoteReport& report, RemoteReport::Kind kind, bool wanted) {
    if (!wanted)
        return;
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    if (report.open(QDir::currentPath(), RemoteReport::defaultName(kind, now, locale), kind, now,
                    locale))
        printOut(QFileInfo(report.path()).fileName());
    else
        printErr(report.error());
}

int runRead(const QStringList& args) {
    const auto o =
        parse(args,
              {QStringLiteral("box"), QStringLiteral("number"), QStringLiteral("password"),
               QStringLiteral("day"), QStringLiteral("night"), QStringLiteral("base")},
              {QStringLiteral("settings"), QStringLiteral("log")});
    if (!o)
        return usage(kReadSynopsis);
    RemoteReadRequest request;
    request.settings = o->flags.contains(QStringLiteral("settings"));
    if ((o->values.contains(QStringLiteral("day")) &&
         !parseList(o->values.value(QStringLiteral("day")), request.memories, 0)) ||
        (o->values.contains(QStringLiteral("night")) &&
         !parseList(o->values.value(QStringLiteral("night")), request.memories, 64))) {
        printErr(QStringLiteral("--day/--night: buttons 1..64 like 1-4,9,64"));
        return Usage;
    }
    const QString out = o->positional.first();
    if (parameterFileFormat(out) == ParameterFileFormat::Unknown)
        return fail(unknownParameterFileMessage(out));
    ParameterSet params;
    QString error;
    if (o->values.contains(QStringLiteral("base")) &&
        !loadParameterFile(o->values.value(QStringLiteral("base")), params, &error))
        return fail(error);

    CliReadView view;
    RemoteReport report;
    std::unique_ptr<RemoteReadEngine> reader;
    const int status = runConnected(
        *o,
        [&](RemoteLink& link, ConnectionEngine& engine, const Texts& texts,
            std::function<void(int)> done) {
            reader = std::make_unique<RemoteReadEngine>(link, engine, params, texts, view);
            view.onHalted = [&] { reader->close(); };
            openReport(report, RemoteReport::Kind::Read, o->flags.contains(QStringLiteral("log")));
            return reader->start(request, report.isOpen() ? &report : nullptr,
                                 [done](const RemoteReadResult& r) {
                                     done(r.outcome == RemoteReadState::Done ? Success : Failure);
                                 });
        },
        [&] { reader.reset(); });
    if (status != Success)
        return status;
    if (!saveParameterFile(out, params, &error))
        return fail(error);
    return Success;
}

int runWrite(const QStringList& args) {
    const auto o =
        parse(args,
              {QStringLiteral("box"), QStringLiteral("number"), QStringLiteral("password"),
               QStringLiteral("changed-since"), QStringLiteral("from-entry")},
              {QStringLiteral("basic"), QStringLiteral("time"), QStringLiteral("switch"),
               QStringLiteral("memories"), QStringLiteral("log")});
    if (!o)
        return usage(kWriteSynopsis);
    RemoteWriteRequest request;
    const QStringList names = {QStringLiteral("basic"), QStringLiteral("time"),
                               QStringLiteral("switch"), QStringLiteral("memories")};
    bool any = false;
    for (const QString& n : names)
        any = any || o->flags.contains(n);
    for (int g = 0; g < 4; ++g)
        request.groups[std::size_t(g)] = !any || o->flags.contains(names[g]);
    if (o->values.contains(QStringLiteral("from-entry"))) {
        bool ok = false;
        const int k = o->values.value(QStringLiteral("from-entry")).toInt(&ok);
        if (!ok || k < 1 || !request.groups[3]) {
            printErr(
                QStringLiteral("--from-entry: an entry number of the memory group, 1 or more"));
            return Usage;
        }
        request.resumeGroup = 4;
        request.resumeStep = k - 1;
    }
    ParameterSet params;
    QString error;
    if (!loadParameterFile(o->positional.first(), params, &error))
        return fail(error);
    if (o->values.contains(QStringLiteral("changed-since"))) {
        ParameterSet held;
        if (!loadParameterFile(o->values.value(QStringLiteral("changed-since")), held, &error))
            return fail(error);
        request.unitContents = heldMemoriesOf(held);
    }
    CliWriteView view;
    RemoteReport report;
    std::unique_ptr<RemoteWriteEngine> writer;
    return runConnected(
        *o,
        [&](RemoteLink& link, ConnectionEngine& engine, const Texts& texts,
            std::function<void(int)> done) {
            writer = std::make_unique<RemoteWriteEngine>(link, engine, params, texts, view);
            view.onHalted = [&] { writer->close(); };
            openReport(report, RemoteReport::Kind::Write, o->flags.contains(QStringLiteral("log")));
            return writer->start(request, report.isOpen() ? &report : nullptr,
                                 [done](const RemoteWriteResult& r) {
                                     if (r.resumeGroup != 0)
                                         printErr(QStringLiteral("first entry not acknowledged: "
                                                                 "group %1, entry %2")
                                                      .arg(r.resumeGroup)
                                                      .arg(r.resumeStep + 1));
                                     done(r.outcome == RemoteWriteState::Done ? Success : Failure);
                                 });
        },
        [&] { writer.reset(); });
}

} // namespace

int runRemoteReadWrite(const QStringList& args) {
    if (args.first() == QLatin1String("read"))
        return runRead(args.mid(1));
    return runWrite(args.mid(1));
}

} // namespace lumo::cli
