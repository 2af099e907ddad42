// `lumo-cli remote read` and `lumo-cli remote write`: connect through the line box, wait for the
// quiet period between two keep-alive cycles (where a user's click would start them), run the
// remote read or write engine, hang up.
//
//   lumo-cli remote read --box SERIAL --number N --password P [--settings] [--day LIST]
//       [--night LIST] [--base IN] [--log] OUT
//   lumo-cli remote write --box SERIAL --number N --password P [--basic] [--time] [--switch]
//       [--memories] [--changed-since UNIT.KTF] [--from-entry K] [--log] IN
//   both also [--connect-timeout SECONDS]
//
// Progress ("entry n of m", time left) and messages go to standard error. SIGINT and SIGTERM
// end the call as the dialog's Storno would and hang up; the exit status is then 128 + signal.
#include "cli/CommandTable.h"
#include "cli/InterruptWatch.h"
#include "cli/ParameterListing.h"
#include "cli/RemoteSession.h"
#include "files/ParameterFiles.h"
#include "params/FieldTable.h"
#include "params/Validation.h"
#include "platform/SystemClock.h"
#include "remote/ConnectionEngine.h"
#include "remote/FtdiBoxBus.h"
#include "remote/RemoteLink.h"
#include "remote/RemoteReadEngine.h"
#include "remote/RemoteWriteCheck.h"
#include "remote/RemoteWriteEngine.h"
#include "texts/FileErrorText.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <optional>
#include <tuple>
#include <utility>

namespace lumo::cli {

namespace {

const QString kReadSynopsis = QStringLiteral(
    "remote read --box SERIAL --number N --password P [--settings] [--day LIST] [--night LIST] "
    "[--base IN] [--log] [--connect-timeout SECONDS] OUT");
const QString kWriteSynopsis = QStringLiteral(
    "remote write --box SERIAL --number N --password P [--basic] [--time] [--switch] "
    "[--memories] [--changed-since UNIT.KTF] [--from-entry K] [--log] [--verify] "
    "[--connect-timeout SECONDS] IN");

// A wrong password or number leaves the connect sequence asking for ever; a real connection,
// forty wake-ups of the unit included, is made well within this.
constexpr int kDefaultConnectTimeoutS = 120;

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

// "1-4,9,64" marks buttons 1..64 of a group; false on anything else (an empty part, a button
// outside 1..64, a range that runs backwards).
bool parseList(const QString& text, std::array<bool, 128>& memories, int offset) {
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QStringList ends = part.split(QLatin1Char('-'));
        if (ends.size() > 2)
            return false;
        bool ok1 = false, ok2 = true;
        const int first = ends[0].toInt(&ok1);
        const int last = ends.size() == 2 ? ends[1].toInt(&ok2) : first;
        if (!ok1 || !ok2 || first < 1 || last > 64 || first > last)
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

// The part of the memory a progress line is about, as the dialogs name it.
QString groupCaption(const QString& group) {
    const Texts& t = activeTexts();
    if (group == QLatin1String("settings"))
        return t.message(398);
    if (group == QLatin1String("basic"))
        return t.get(TextSection::REMOTE, 37);
    if (group == QLatin1String("time"))
        return t.get(TextSection::REMOTE, 38);
    if (group == QLatin1String("switches"))
        return t.get(TextSection::REMOTE, 39);
    if (group == QLatin1String("memories"))
        return t.get(TextSection::REMOTE, 40);
    return group;
}

// One line per entry. The write reports its memory group's last entry a second time once that
// entry is acknowledged (the step after it is the group's terminator, which is not sent); a
// report of the entry already shown tells nothing new.
class ProgressLines {
public:
    void print(const RemoteProgress& p) {
        const Position at{p.group, p.groupIndex, p.overallIndex};
        if (m_last && *m_last == at)
            return;
        m_last = at;
        printErr(activeTexts()
                     .message(cliText::kRemoteProgress)
                     .arg(groupCaption(p.group))
                     .arg(p.groupIndex)
                     .arg(p.groupCount)
                     .arg(p.overallIndex)
                     .arg(p.overallCount)
                     .arg(formatLeft(p.msLeft)));
    }

private:
    using Position = std::tuple<QString, int, int>;
    std::optional<Position> m_last;
};

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
            onHalted();
    }
    void progress(const RemoteProgress& p) override { m_progress.print(p); }
    void showMessage(const QString& text) override { printErr(text); }

private:
    ProgressLines m_progress;
};

class CliWriteView : public RemoteWriteView {
public:
    std::function<void()> onHalted;
    void stateChanged(RemoteWriteState, RemoteWriteState to) override {
        if (to == RemoteWriteState::Halted && onHalted)
            onHalted();
    }
    void progress(const RemoteProgress& p) override { m_progress.print(p); }
    void showMessage(const QString& text) override { printErr(text); }

private:
    ProgressLines m_progress;
};

class SystemRemoteSession : public RemoteSession {
public:
    Clock& clock() override { return m_clock; }
    BoxBus& bus() override { return m_bus; }
    void run() override {
        if (!m_quit)
            m_loop.exec();
    }
    void quit() override {
        m_quit = true;
        m_loop.quit();
    }
    void setInterruptHandler(std::function<void(int)> handler) override {
        m_watch.reset();
        if (handler)
            m_watch = std::make_unique<InterruptWatch>(std::move(handler));
    }

private:
    SystemClock m_clock;
    FtdiBoxBus m_bus;
    QEventLoop m_loop;
    std::unique_ptr<InterruptWatch> m_watch;
    bool m_quit = false;
};

// Stops the running procedure on an interrupt; `again` for every interrupt after the first.
using Stopper = std::function<void(bool again)>;
using Procedure = std::function<bool(RemoteLink&, ConnectionEngine&, const Texts&,
                                     std::function<void(int)> done, Stopper& stop)>;

// --connect-timeout in milliseconds (the default without it); 0 with the message printed when
// it is no number of seconds from 1 on.
qint64 connectTimeoutMs(const Options& o) {
    const QString name = QStringLiteral("connect-timeout");
    if (!o.values.contains(name))
        return qint64(kDefaultConnectTimeoutS) * 1000;
    bool ok = false;
    const int seconds = o.values.value(name).toInt(&ok);
    if (!ok || seconds < 1 || seconds > 24 * 3600) {
        printErr(QStringLiteral("--connect-timeout %1: a number of seconds, 1 or more")
                     .arg(o.values.value(name)));
        return 0;
    }
    return qint64(seconds) * 1000;
}

// The connection, the wait for the quiet period, the procedure and the hang-up. `procedure`
// starts the engine, sets how to stop it, and calls `done(exitStatus)` when it has finished;
// `release` drops the engine before the connection and the link it uses go. A connection not
// made within `timeoutMs` is given up; an interrupt stops what runs and hangs up, and the
// status is then 128 + the signal.
int runConnected(const Options& o, const QString& number, qint64 timeoutMs, RemoteSession& session,
                 const Procedure& procedure, const std::function<void()>& release) {
    Clock& clock = session.clock();
    RemoteLink link(session.bus(), clock);
    const Texts& texts = activeTexts();
    CliConnectionView view;
    ConnectionEngine engine(link, view, texts);

    const QString serial = o.values.value(QStringLiteral("box"));
    link.ListBoxDevices();
    int slot = -1;
    for (int i = 0; i < link.listedCount(); ++i)
        if (link.boxSerial(i) == serial)
            slot = i;
    if (slot < 0)
        return fail(texts.get(TextSection::REMOTE, 30) + QLatin1Char(' ') + serial +
                    QLatin1Char(' ') + texts.get(TextSection::REMOTE, 31));
    link.setSelectedIndex(slot);
    try {
        link.OpenBoxLink(serial);
    } catch (...) {
        return fail(texts.get(TextSection::REMOTE, 32) + QLatin1Char(' ') + serial +
                    QLatin1Char(' ') + texts.get(TextSection::REMOTE, 31));
    }

    int exitStatus = Failure;
    bool started = false;
    bool connected = false;
    bool ending = false;
    int interrupted = 0;
    Stopper stop;
    // Nothing to wait for on the line: hang up now.
    auto endNow = [&](int status) {
        if (ending)
            return;
        ending = true;
        exitStatus = status;
        engine.cancel([&] { session.quit(); });
    };
    auto hangUp = [&](int status) {
        if (ending)
            return;
        ending = true;
        exitStatus = status;
        // The unit takes the last code after its gap of quiet, and the keep-alive resumes after
        // 2 s: hang up only then, or the last entry written is lost with the call.
        clock.runAfter(2500, [&] { engine.cancel([&] { session.quit(); }); });
    };
    view.onState = [&](ConnectionState s) {
        if (s != ConnectionState::Quiet || started || !connected)
            return;
        started = true;
        // Out of the engine's own report: start on the next turn of the loop.
        clock.runAfter(0, [&] {
            if (ending)
                return;
            if (!procedure(link, engine, texts, hangUp, stop))
                hangUp(Failure);
        });
    };
    Clock::TaskId limit = clock.runAfter(int(timeoutMs), [&] {
        limit = 0;
        if (connected || ending)
            return;
        printErr(texts.message(cliText::kNoConnectionWithin).arg(timeoutMs / 1000));
        endNow(Failure);
    });
    session.setInterruptHandler([&](int signal) {
        if (ending)
            return; // the call is being ended already
        const bool again = interrupted != 0;
        if (!again)
            interrupted = signal;
        if (stop) {
            stop(again);
            return;
        }
        printErr(texts.message(cliText::kInterruptedHangUp));
        endNow(Failure);
    });
    const bool connecting =
        engine.connect(number.toLatin1(), o.values.value(QStringLiteral("password")).toLatin1(),
                       [&](const ConnectionResult& r) {
                           if (r.kind == ConnectionResult::Kind::Connected) {
                               connected = true;
                               printErr(texts.message(cliText::kConnected));
                               return;
                           }
                           if (!started && !ending)
                               session.quit();
                       });
    if (!connecting) {
        clock.cancel(limit);
        session.setInterruptHandler({});
        return fail(texts.message(cliText::kConnectionNotStarted));
    }
    session.run();
    clock.cancel(limit);
    session.setInterruptHandler({});
    if (release)
        release(); // the engine goes before the link and the clock it uses
    return interrupted ? 128 + interrupted : exitStatus;
}

// The report file when asked for: its name on standard output, or why it could not be made
// (the procedure goes on without it).
void openReport(RemoteReport& report, RemoteReport::Kind kind, bool wanted) {
    if (!wanted)
        return;
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    if (report.open(QDir::currentPath(), RemoteReport::defaultName(kind, now, locale), kind, now,
                    locale))
        printOut(QFileInfo(report.path()).fileName());
    else
        printErr(kind == RemoteReport::Kind::Read
                     ? activeTexts()
                           .message(Msg::ReadReportNotCreated)
                           .arg(report.path(), fileErrorText(report.fileError(), activeTexts()))
                     : activeTexts()
                           .get(TextSection::REMOTE, 78)
                           .arg(report.path() + QStringLiteral(": ") +
                                fileErrorText(report.fileError(), activeTexts())));
}

int usageOrCheck(const std::optional<Options>& o, const QString& synopsis, QString* number) {
    if (!o)
        return usage(synopsis);
    return checkNumberAndPassword(o->values.value(QStringLiteral("number")),
                                  o->values.value(QStringLiteral("password")), number);
}

// The memory entries the write of `params` would send, as the memory group packs them.
int memoryEntries(const ParameterSet& params, const std::optional<HeldMemories>& unitContents) {
    const ParameterSet source = RemoteWriteEngine::memorySource(params, unitContents);
    int entries = 0;
    for (int memory = 0; memory < 128; ++memory)
        entries += !source.text(numberFieldName(memory)).isEmpty();
    return entries;
}

} // namespace

std::unique_ptr<RemoteSession> systemRemoteSession() {
    return std::make_unique<SystemRemoteSession>();
}

int runRemoteRead(const QStringList& args, RemoteSession& session) {
    const auto o =
        parse(args,
              {QStringLiteral("box"), QStringLiteral("number"), QStringLiteral("password"),
               QStringLiteral("day"), QStringLiteral("night"), QStringLiteral("base"),
               QStringLiteral("connect-timeout")},
              {QStringLiteral("settings"), QStringLiteral("log")});
    QString number;
    if (const int status = usageOrCheck(o, kReadSynopsis, &number); status != Success)
        return status;
    const qint64 timeoutMs = connectTimeoutMs(*o);
    if (timeoutMs == 0)
        return Usage;
    RemoteReadRequest request;
    request.settings = o->flags.contains(QStringLiteral("settings"));
    for (const auto& [name, offset] :
         {std::pair{QStringLiteral("day"), 0}, std::pair{QStringLiteral("night"), 64}}) {
        if (o->values.contains(name) &&
            !parseList(o->values.value(name), request.memories, offset)) {
            printErr(QStringLiteral("--%1 %2: buttons 1..64 and ranges of them, like 1-4,9,64")
                         .arg(name, o->values.value(name)));
            return Usage;
        }
    }
    const QString out = o->positional.first();
    if (parameterFileFormat(out) == ParameterFileFormat::Unknown)
        return fail(unknownParameterFileMessage(out, &activeTexts()));
    if (const QString problem = outputProblem(out); !problem.isEmpty())
        return fail(problem);
    ParameterSet params;
    QString error;
    if (o->values.contains(QStringLiteral("base")) &&
        !loadParameterFile(o->values.value(QStringLiteral("base")), params, &error, &activeTexts()))
        return fail(error);

    CliReadView view;
    RemoteReport report;
    std::unique_ptr<RemoteReadEngine> reader;
    RemoteReadResult result;
    const int status = runConnected(
        *o, number, timeoutMs, session,
        [&](RemoteLink& link, ConnectionEngine& engine, const Texts& texts,
            std::function<void(int)> done, Stopper& stop) {
            reader = std::make_unique<RemoteReadEngine>(link, engine, params, texts, view);
            view.onHalted = [&] { link.clock().runAfter(0, [&] { reader->close(); }); };
            stop = [&](bool) {
                printErr(activeTexts().message(cliText::kInterruptedRead));
                reader->close();
            };
            openReport(report, RemoteReport::Kind::Read, o->flags.contains(QStringLiteral("log")));
            return reader->start(request, report.isOpen() ? &report : nullptr,
                                 [&result, done](const RemoteReadResult& r) {
                                     result = r;
                                     done(r.outcome == RemoteReadState::Done ? Success : Failure);
                                 });
        },
        [&] { reader.reset(); });
    if (status != Success)
        return status;
    if (!saveParameterFile(out, params, &error, &activeTexts()))
        return fail(error);
    printOut(QStringLiteral("read %1%2 memories to %3")
                 .arg(request.settings ? QStringLiteral("settings and ")
                                       : QStringLiteral("block 7 and "))
                 .arg(result.memoriesRead.size())
                 .arg(out));
    return Success;
}

int runRemoteWrite(const QStringList& args, RemoteSession& session) {
    const auto o =
        parse(args,
              {QStringLiteral("box"), QStringLiteral("number"), QStringLiteral("password"),
               QStringLiteral("changed-since"), QStringLiteral("from-entry"),
               QStringLiteral("connect-timeout")},
              {QStringLiteral("basic"), QStringLiteral("time"), QStringLiteral("switch"),
               QStringLiteral("memories"), QStringLiteral("log"), QStringLiteral("verify")});
    QString number;
    if (const int status = usageOrCheck(o, kWriteSynopsis, &number); status != Success)
        return status;
    const qint64 timeoutMs = connectTimeoutMs(*o);
    if (timeoutMs == 0)
        return Usage;
    RemoteWriteRequest request;
    const QStringList names = {QStringLiteral("basic"), QStringLiteral("time"),
                               QStringLiteral("switch"), QStringLiteral("memories")};
    bool any = false;
    for (const QString& n : names)
        any = any || o->flags.contains(n);
    for (int g = 0; g < 4; ++g)
        request.groups[std::size_t(g)] = !any || o->flags.contains(names[g]);
    int fromEntry = 0;
    if (o->values.contains(QStringLiteral("from-entry"))) {
        bool ok = false;
        fromEntry = o->values.value(QStringLiteral("from-entry")).toInt(&ok);
        if (!ok || fromEntry < 1 || !request.groups[3]) {
            printErr(QStringLiteral("--from-entry %1: an entry number of the memory group, 1 or "
                                    "more")
                         .arg(o->values.value(QStringLiteral("from-entry"))));
            return Usage;
        }
    }
    ParameterSet params;
    QString error;
    const Texts& texts = activeTexts();
    if (!loadParameterFile(o->positional.first(), params, &error, &texts))
        return fail(error);
    // Checked before dialling: a refused set costs no call.
    if (const QString invalid = invalidValuesMessage(validateForUnit(params, texts), texts);
        !invalid.isEmpty())
        return fail(invalid);
    if (o->values.contains(QStringLiteral("changed-since"))) {
        ParameterSet held;
        if (!loadParameterFile(o->values.value(QStringLiteral("changed-since")), held, &error,
                               &texts))
            return fail(error);
        request.unitContents = heldMemoriesOf(held);
    }
    if (fromEntry > 0) {
        const int entries = memoryEntries(params, request.unitContents);
        if (fromEntry > entries) {
            printErr(QStringLiteral("--from-entry %1: the memory group of %2 has %3 entries")
                         .arg(fromEntry)
                         .arg(o->positional.first())
                         .arg(entries));
            return Usage;
        }
        request.resumeGroup = 4;
        request.resumeStep = fromEntry - 1;
    }
    const bool verify = o->flags.contains(QStringLiteral("verify"));
    CliWriteView view;
    CliReadView readView;
    RemoteReport report;
    std::unique_ptr<RemoteWriteEngine> writer;
    std::unique_ptr<RemoteWriteCheck> checker;
    RemoteWriteResult result;
    WriteCheck check;
    check.outcome = WriteCheck::Outcome::Verified; // nothing written: nothing can differ
    const int status = runConnected(
        *o, number, timeoutMs, session,
        [&](RemoteLink& link, ConnectionEngine& engine, const Texts& engineTexts,
            std::function<void(int)> done, Stopper& stop) {
            writer = std::make_unique<RemoteWriteEngine>(link, engine, params, engineTexts, view);
            checker = std::make_unique<RemoteWriteCheck>(link, engine, engineTexts, readView);
            // The first interrupt lets the entry in flight be acknowledged, so that what the
            // unit holds is known; a second one stops at once.
            stop = [&](bool again) {
                if (checker->running()) {
                    printErr(activeTexts().message(cliText::kInterruptedReadBack));
                    checker->cancel();
                } else if (!again) {
                    printErr(activeTexts().message(cliText::kInterruptedWrite));
                    writer->requestStop();
                } else {
                    printErr(activeTexts().message(cliText::kInterruptedWriteAgain));
                    writer->close();
                }
            };
            view.onHalted = [&] { link.clock().runAfter(0, [&] { writer->close(); }); };
            readView.onHalted = [&] { link.clock().runAfter(0, [&] { checker->cancel(); }); };
            Clock* clock = &link.clock();
            openReport(report, RemoteReport::Kind::Write, o->flags.contains(QStringLiteral("log")));
            return writer->start(request, report.isOpen() ? &report : nullptr,
                                 [&, done, clock](const RemoteWriteResult& r) {
                                     result = r;
                                     if (r.resumeGroup != 0)
                                         printErr(activeTexts()
                                                      .get(TextSection::REMOTE, 75)
                                                      .arg(r.resumeStep + 1)
                                                      .arg(r.resumeGroup));
                                     if (r.outcome != RemoteWriteState::Done || !verify)
                                         return done(r.outcome == RemoteWriteState::Done ? Success
                                                                                         : Failure);
                                     // Out of the write's own report: the read-back starts
                                     // on the next turn, once the keep-alive has resumed.
                                     clock->runAfter(0, [&, done] {
                                         if (!checker->start(params, request, result,
                                                             [&, done](const WriteCheck& c) {
                                                                 check = c;
                                                                 done(Success);
                                                             }))
                                             done(Success);
                                     });
                                 });
        },
        [&] {
            checker.reset();
            writer.reset();
        });
    if (status != Success)
        return status;
    int acknowledged = 0;
    for (int n : result.acknowledged)
        acknowledged += n;
    printOut(result.sent == 0
                 ? QStringLiteral("nothing to write from %1").arg(o->positional.first())
                 : QStringLiteral("wrote %1 entries from %2")
                       .arg(acknowledged)
                       .arg(o->positional.first()));
    if (verify && !reportWriteCheck(check, texts))
        return Failure;
    return Success;
}

} // namespace lumo::cli
