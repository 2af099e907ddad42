// The fault catalogue: every local command of lumo-cli against lumo-sim under every fault the
// unit can commit, over a pseudo-terminal and over the virtual cable (LUMO_FTDI=virtual:PATH
// with the same terminal). Every cell must end in bounded time, never crash, never report
// success for a transfer it did not complete, and leave the output file complete or absent.
// The run writes the table docs/fault-catalogue.md describes and fails when an outcome differs
// from the committed one (times aside); LUMO_UPDATE_FAULT_CATALOGUE=1 rewrites the table.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <sys/file.h>
#include <vector>

namespace {

enum class Command {
    Status,
    ReadAll,
    ReadSettings,
    ReadNumbers,
    WriteAll,
    WriteSettings,
    WriteNumbers
};
constexpr Command kCommands[] = {Command::Status,      Command::ReadAll,  Command::ReadSettings,
                                 Command::ReadNumbers, Command::WriteAll, Command::WriteSettings,
                                 Command::WriteNumbers};

const char* commandName(Command c) {
    switch (c) {
    case Command::Status:
        return "status";
    case Command::ReadAll:
        return "read all";
    case Command::ReadSettings:
        return "read settings";
    case Command::ReadNumbers:
        return "read numbers";
    case Command::WriteAll:
        return "write all";
    case Command::WriteSettings:
        return "write settings";
    case Command::WriteNumbers:
        return "write numbers";
    }
    return "?";
}

bool isRead(Command c) {
    return c == Command::ReadAll || c == Command::ReadSettings || c == Command::ReadNumbers;
}

// Where a fault hits each command: the unit's answer (counted from 1: the status image, the
// settings image, a number memory, each "D" and "Z") and the byte from the host after which
// the device vanishes. Chosen inside the command's last transfer, after a part of it went well,
// where the host waits for the unit: a vanishing in the middle of a burst of the host's bytes
// ends as a failed write or as a time-out, whichever comes first.
struct HitPoint {
    int answer;
    int byte;
};
HitPoint hitPoint(Command c) {
    switch (c) {
    case Command::Status:
        return {1, 1}; // the status; after "V"
    case Command::ReadSettings:
        return {2, 3}; // the settings image; after "V" "R" "P"
    case Command::ReadNumbers:
        return {7, 19}; // memory 5; after its request
    case Command::ReadAll:
        return {8, 21}; // memory 5; after its request
    case Command::WriteSettings:
        return {12, 14}; // the "D" after the tenth settings byte; after that byte
    case Command::WriteNumbers:
        return {6, 114}; // the "Z" of block 5; after its last byte
    case Command::WriteAll:
        return {135, 245}; // the "Z" of number block 5; after its last byte
    }
    return {1, 1};
}

struct Fault {
    const char* name;
    const char* kind; // --fault KIND, or null
    bool always;
    bool vanish;
};
const Fault kFaults[] = {
    {"none", nullptr, false, false},
    {"silence", "silence", false, false},
    {"short reply", "short", false, false},
    {"long reply", "long", false, false},
    {"\"E\" once", "e", false, false},
    {"\"E\" always", "e", true, false},
    {"garbage bytes", "garbage", false, false},
    {"device vanishes", nullptr, false, true},
};

QStringList faultArguments(const Fault& f, Command c) {
    const HitPoint at = hitPoint(c);
    if (f.vanish)
        return {"--vanish-after", QString::number(at.byte)};
    if (!f.kind)
        return {};
    QStringList args{"--fault", f.kind, "--fault-at", QString::number(at.answer)};
    if (f.always)
        args << "--fault-always";
    return args;
}

// Success is right only without a fault, and for an "E" answered once to a number read: the
// block is asked again after the time-out, and the unit then answers it.
bool mustSucceed(const Fault& f, Command c) {
    if (!f.kind && !f.vanish)
        return true;
    return f.kind && QByteArray(f.kind) == "e" && !f.always &&
           (c == Command::ReadNumbers || c == Command::ReadAll);
}

// 68 retries of a number read take 69 time-outs: over a minute in real time.
bool retriesEveryTimeOut(const Fault& f, Command c) {
    return f.always && f.kind && QByteArray(f.kind) == "e" &&
           (c == Command::ReadNumbers || c == Command::ReadAll);
}

// A cell's limit.
int limitMs(const Fault& f, Command c) {
    return retriesEveryTimeOut(f, c) ? 150000 : 30000;
}

struct Lane {
    const char* id;
    const char* title;
    bool cable;
    // How many times fast lumo-cli's clock runs for the cells of a minute of time-outs
    // (LUMO_TIME_SCALE): the time-out then lasts about 100 ms of real time (the serial one is
    // 101 ticks of 10 ms, the cable's 100 of 5 ms). The simulator's answer does not have to come
    // within it: lumo-cli's clock runs at real speed from a request until its first byte back.
    int fastFactor;
};

struct Cell {
    const Fault* fault = nullptr;
    Command command = Command::Status;
    QString dir;
    QString out; // the read's output file
    std::unique_ptr<QProcess> sim;
    std::unique_ptr<QProcess> cli;
    QElapsedTimer timer;
    bool finished = false;
    bool killed = false;
    int scale = 1; // LUMO_TIME_SCALE of the cell's lumo-cli
    int status = -1;
    qint64 ms = 0;
    QString err;

    QString where() const {
        return QStringLiteral("%1 × %2").arg(QLatin1String(fault->name),
                                             QLatin1String(commandName(command)));
    }
};

QString firstLine(const QString& text) {
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString t = line.trimmed();
        if (!t.isEmpty())
            return t;
    }
    return {};
}

// What the table shows of a cell, without its time.
QString outcome(const Cell& cell, const QByteArray& baseline) {
    if (cell.killed)
        return QStringLiteral("HANG");
    if (cell.status < 0)
        return QStringLiteral("CRASH");
    QString text = QStringLiteral("exit %1").arg(cell.status);
    if (cell.status != 0) {
        QString message = firstLine(cell.err);
        // The received bytes lead a communication error: keep their start and the text.
        if (message.size() > 64 && message.endsWith(QLatin1String("Chyba komunikace")))
            message = message.left(24) + QStringLiteral("...") + message.right(36);
        message.replace(QLatin1Char('|'), QStringLiteral("\\|"));
        text += QStringLiteral(": \"%1\"").arg(message);
    }
    if (isRead(cell.command)) {
        QFile file(cell.out);
        if (!file.exists())
            text += QStringLiteral(", no file");
        else if (file.open(QIODevice::ReadOnly) && file.readAll() == baseline)
            text += QStringLiteral(", file complete");
        else
            text += QStringLiteral(", FILE WRONG");
    }
    return text;
}

QString seconds(qint64 ms) {
    return QString::number(ms / 1000.0, 'f', 1);
}

// The time to return; for a cell run on a fast clock the time it stands for (the measured
// time multiplied back, so a little high: the program's start is multiplied too) and what
// was measured.
QString cellText(const Cell& cell, const QByteArray& baseline) {
    if (cell.scale > 1)
        return outcome(cell, baseline) + QStringLiteral(" (≈%1 s; %2 s at %3× speed)")
                                             .arg(seconds(cell.ms * cell.scale), seconds(cell.ms),
                                                  QString::number(cell.scale));
    return outcome(cell, baseline) + QStringLiteral(" (%1 s)").arg(seconds(cell.ms));
}

// Strips the time from a cell of the table.
QString withoutTime(QString cell) {
    static const QRegularExpression time(
        QStringLiteral(" \\(≈?[0-9.]+ s(?:; [0-9.]+ s at [0-9]+× speed)?\\)$"));
    return cell.trimmed().remove(time);
}

QString catalogueFile() {
    return QStringLiteral(LUMO_TEST_DATA_DIR "/../../docs/fault-catalogue.md");
}

const QString kHeader = QStringLiteral(
    "# Fault catalogue\n\n"
    "Every local command of `lumo-cli` against `lumo-sim unit` under every fault the virtual "
    "unit can commit, as `tests/catalogue/test_fault_catalogue.cpp` runs them; that test writes "
    "these "
    "tables (`LUMO_UPDATE_FAULT_CATALOGUE=1 ctest -R FaultCatalogue`) and fails when a run's "
    "outcome differs from them (times are not compared).\n\n"
    "A cell gives the exit status of `lumo-cli`, the first line of its message on standard "
    "error, for reads whether the output file was written (only ever complete: it holds what a "
    "fault-free read gives) and the time the command took to return.\n\n"
    "Where the fault hits (`lumo-sim unit --fault KIND --fault-at N [--fault-always]`, "
    "`--vanish-after N`): status: the status image / after \"V\"; read settings: the settings "
    "image / after \"R\" \"P\"; read numbers and read all: number memory 5 / after its request; "
    "write settings: the \"D\" after the tenth settings byte / after that byte; write numbers "
    "and write all: the \"Z\" of number block 5 / after that block's last byte (the host waits for "
    "an answer at each of these points, so the cell does not depend on who is faster).\n\n"
    "\"E\" always makes a number read ask for the refused block 68 times more, each after a "
    "time-out: 69 time-outs, over a minute at real speed. Those cells run `lumo-cli` with "
    "`LUMO_TIME_SCALE` (a test aid: its clock runs that many times fast, at real speed while an "
    "answer of the unit is due, every time-out and retry stays as it is), and show the time it "
    "stands for, the measured time multiplied "
    "back (≈, a little high as the program's start is multiplied too), beside what was "
    "measured.\n");

QString laneBegin(const Lane& lane) {
    return QStringLiteral("<!-- lane %1 -->").arg(QLatin1String(lane.id));
}
QString laneEnd(const Lane& lane) {
    return QStringLiteral("<!-- end of lane %1 -->").arg(QLatin1String(lane.id));
}

// The committed rows of a lane: fault name -> cells without times.
QHash<QString, QStringList> committedRows(const QString& doc, const Lane& lane) {
    QHash<QString, QStringList> rows;
    const qsizetype from = doc.indexOf(laneBegin(lane));
    const qsizetype to = doc.indexOf(laneEnd(lane));
    if (from < 0 || to < from)
        return rows;
    for (const QString& line : doc.mid(from, to - from).split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String("| ")) || line.startsWith(QLatin1String("| fault")))
            continue;
        // Cells are split on " | " (an escaped bar inside a message is "\|").
        QStringList cells = line.mid(2, line.size() - 4).split(QStringLiteral(" | "));
        const QString name = cells.takeFirst().trimmed();
        for (QString& c : cells)
            c = withoutTime(c);
        rows.insert(name, cells);
    }
    return rows;
}

// Replaces the lane's section of the catalogue (adding it, or the whole file, when missing),
// under a lock: the lanes run as tests of their own, side by side.
void updateCatalogue(const Lane& lane, const QString& section) {
    QFile lockFile(catalogueFile() + QStringLiteral(".lock"));
    ASSERT_TRUE(lockFile.open(QIODevice::WriteOnly));
    ::flock(lockFile.handle(), LOCK_EX);
    QFile file(catalogueFile());
    QString doc = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    file.close();
    // The header is the test's; the lanes follow it.
    const qsizetype lanes = doc.indexOf(QLatin1String("<!-- lane "));
    doc = kHeader + (lanes >= 0 ? QStringLiteral("\n") + doc.mid(lanes) : QString());
    const qsizetype from = doc.indexOf(laneBegin(lane));
    const qsizetype to = doc.indexOf(laneEnd(lane));
    if (from >= 0 && to > from)
        doc.replace(from, to + laneEnd(lane).size() - from, section);
    else
        doc += QStringLiteral("\n") + section + QStringLiteral("\n");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(doc.toUtf8());
    file.close();
    ::flock(lockFile.handle(), LOCK_UN);
    lockFile.remove();
}

void PrintTo(const Lane& lane, std::ostream* os) {
    *os << lane.id;
}

class FaultCatalogue : public ::testing::TestWithParam<Lane> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        // The parameter set the writes send: the unit's factory state as a fault-free read
        // gives it is not needed, the decisions below settle any difference.
        QProcess make;
        make.start(QStringLiteral(LUMO_CLI_PATH), {"new", m_dir.filePath("in.json")});
        ASSERT_TRUE(make.waitForFinished(20000));
        ASSERT_EQ(make.exitCode(), 0) << make.readAllStandardError().toStdString();
    }

    void start(Cell& cell) {
        const Lane lane = GetParam();
        const QString port = cell.dir + QStringLiteral("/vexo");
        cell.sim = std::make_unique<QProcess>();
        cell.sim->start(QStringLiteral(LUMO_SIM_PATH),
                        QStringList{"unit", "--pty-link", port} +
                            faultArguments(*cell.fault, cell.command));
        cell.sim->waitForReadyRead(10000);
        cell.sim->readAll();

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        cell.scale = retriesEveryTimeOut(*cell.fault, cell.command) ? lane.fastFactor : 1;
        if (cell.scale > 1)
            env.insert(QStringLiteral("LUMO_TIME_SCALE"), QString::number(cell.scale));
        QString target = port;
        if (lane.cable) {
            const QString devices = cell.dir + QStringLiteral("/devices.txt");
            QFile f(devices);
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write("Vexo USB\tVexo-USB\t" + QFile::encodeName(port) + "\n");
            f.close();
            env.insert(QStringLiteral("LUMO_FTDI"), QStringLiteral("virtual:") + devices);
            target = QStringLiteral("usb");
        }
        QStringList args;
        const QString in = m_dir.filePath("in.json");
        switch (cell.command) {
        case Command::Status:
            args = {"status", "--port", target};
            break;
        case Command::ReadAll:
        case Command::ReadSettings:
        case Command::ReadNumbers:
            args = {"read", QString::fromLatin1(commandName(cell.command)).section(' ', 1),
                    "--port", target, cell.out};
            break;
        case Command::WriteAll:
        case Command::WriteSettings:
        case Command::WriteNumbers:
            args = {"write",  QString::fromLatin1(commandName(cell.command)).section(' ', 1),
                    "--port", target,
                    in,       "--mode",
                    "DEN",    "--counter",
                    "keep",   "--unfitted",
                    "keep"};
            break;
        }
        cell.cli = std::make_unique<QProcess>();
        cell.cli->setProcessEnvironment(env);
        cell.timer.start();
        cell.cli->start(QStringLiteral(LUMO_CLI_PATH), args);
    }

    void finish(Cell& cell) {
        cell.ms = cell.timer.elapsed();
        cell.finished = true;
        if (cell.killed) {
            cell.cli->kill();
            cell.cli->waitForFinished(5000);
        }
        cell.status = !cell.killed && cell.cli->exitStatus() == QProcess::NormalExit
                          ? cell.cli->exitCode()
                          : -1;
        cell.err = QString::fromUtf8(cell.cli->readAllStandardError());
        cell.sim->terminate();
        if (!cell.sim->waitForFinished(5000))
            cell.sim->kill();
        cell.sim->waitForFinished(1000);
    }

    // Runs the cells, PARALLEL at a time (the slow ones first), each to its end or its limit.
    void runAll(const std::vector<Cell*>& cells, size_t parallel) {
        std::vector<Cell*> order = cells;
        std::stable_sort(order.begin(), order.end(), [](const Cell* a, const Cell* b) {
            return limitMs(*a->fault, a->command) > limitMs(*b->fault, b->command);
        });
        std::vector<Cell*> running;
        size_t next = 0;
        QEventLoop loop;
        while (next < order.size() || !running.empty()) {
            while (running.size() < parallel && next < order.size()) {
                start(*order[next]);
                running.push_back(order[next++]);
            }
            QTimer::singleShot(5, &loop, &QEventLoop::quit);
            loop.exec();
            for (auto it = running.begin(); it != running.end();) {
                Cell& c = **it;
                const bool done = c.cli->state() == QProcess::NotRunning;
                if (!done && c.timer.elapsed() > limitMs(*c.fault, c.command))
                    c.killed = true;
                if (done || c.killed) {
                    finish(c);
                    it = running.erase(it);
                } else {
                    ++it;
                }
            }
        }
    }

    QTemporaryDir m_dir;
};

TEST_P(FaultCatalogue, EveryCommandUnderEveryFaultEndsCleanly) {
    const Lane lane = GetParam();
    std::vector<Cell> cells;
    int index = 0;
    for (const Fault& fault : kFaults) {
        for (Command command : kCommands) {
            Cell cell;
            cell.fault = &fault;
            cell.command = command;
            cell.dir = m_dir.filePath(QStringLiteral("cell%1").arg(index++));
            EXPECT_TRUE(QDir().mkpath(cell.dir));
            cell.out = cell.dir + QStringLiteral("/out.json");
            cells.push_back(std::move(cell));
        }
    }
    std::vector<Cell*> all;
    for (Cell& c : cells)
        all.push_back(&c);
    runAll(all, 12);

    // A read without a fault gives each read's complete file.
    auto baseline = [&](Command command) {
        for (const Cell& c : cells)
            if (!c.fault->kind && !c.fault->vanish && c.command == command) {
                QFile f(c.out);
                return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
            }
        return QByteArray();
    };

    const bool updating = qEnvironmentVariableIsSet("LUMO_UPDATE_FAULT_CATALOGUE");
    QHash<QString, QStringList> committed;
    if (!updating) {
        QFile file(catalogueFile());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(catalogueFile());
        committed = committedRows(QString::fromUtf8(file.readAll()), lane);
    }
    const auto column = [](Command command) {
        return int(std::find(std::begin(kCommands), std::end(kCommands), command) -
                   std::begin(kCommands));
    };
    // A cell that went other than the table says is run again on its own: twelve pairs of
    // programs at once on a loaded machine can hold an answer past the cable's 0.5 s time-out.
    // What the program does wrong, it does wrong alone too.
    std::vector<Cell*> again;
    for (Cell& c : cells) {
        const bool asCommitted =
            updating ||
            outcome(c, baseline(c.command)) ==
                committed.value(QString::fromLatin1(c.fault->name)).value(column(c.command));
        if (!asCommitted || c.killed || c.status != (mustSucceed(*c.fault, c.command) ? 0 : 1))
            again.push_back(&c);
    }
    for (Cell* c : again) {
        std::cout << "run again alone: " << qPrintable(c->where()) << " (was "
                  << qPrintable(outcome(*c, baseline(c->command))) << ")\n";
        QFile::remove(c->out);
        Cell fresh;
        fresh.fault = c->fault;
        fresh.command = c->command;
        fresh.dir = c->dir;
        fresh.out = c->out;
        *c = std::move(fresh);
    }
    runAll(again, 1);

    QStringList header{QStringLiteral("fault")};
    for (Command c : kCommands)
        header << QString::fromLatin1(commandName(c));
    QString section = laneBegin(lane) + QStringLiteral("\n## ") + QLatin1String(lane.title) +
                      QStringLiteral("\n\n| ") + header.join(QStringLiteral(" | ")) +
                      QStringLiteral(" |\n|") + QStringLiteral("---|").repeated(header.size()) +
                      QStringLiteral("\n");
    QHash<QString, QStringList> produced;
    for (const Fault& fault : kFaults) {
        QStringList row;
        QStringList timed;
        for (Command command : kCommands) {
            const Cell& cell = *std::find_if(cells.begin(), cells.end(), [&](const Cell& c) {
                return c.fault == &fault && c.command == command;
            });
            const QByteArray complete = baseline(command);
            const QString text = outcome(cell, complete);
            row << text;
            timed << cellText(cell, complete);

            // What every cell must show, whatever the committed table says.
            EXPECT_FALSE(cell.killed) << qPrintable(cell.where()) << " did not end";
            EXPECT_GE(cell.status, 0) << qPrintable(cell.where()) << " crashed";
            if (mustSucceed(fault, command)) {
                EXPECT_EQ(cell.status, 0) << qPrintable(cell.where() + ": " + cell.err);
            } else {
                EXPECT_EQ(cell.status, 1) << qPrintable(cell.where()) << " reported success";
                EXPECT_FALSE(cell.err.trimmed().isEmpty()) << qPrintable(cell.where());
            }
            if (isRead(command)) {
                if (cell.status == 0) {
                    EXPECT_FALSE(complete.isEmpty()) << qPrintable(cell.where());
                    EXPECT_TRUE(text.endsWith(QLatin1String("file complete")))
                        << qPrintable(cell.where()) << ": " << qPrintable(text);
                } else {
                    EXPECT_FALSE(QFile::exists(cell.out))
                        << qPrintable(cell.where()) << " left a file behind";
                }
            }
        }
        produced.insert(QString::fromLatin1(fault.name), row);
        section += QStringLiteral("| ") + QLatin1String(fault.name) + QStringLiteral(" | ") +
                   timed.join(QStringLiteral(" | ")) + QStringLiteral(" |\n");
    }
    section += laneEnd(lane);

    // The run's table beside the test program, for a look; the committed one is the reference.
    QFile run(QCoreApplication::applicationDirPath() +
              QStringLiteral("/fault-catalogue-%1.md").arg(QLatin1String(lane.id)));
    if (run.open(QIODevice::WriteOnly))
        run.write(section.toUtf8());
    if (updating) {
        updateCatalogue(lane, section);
        return;
    }
    for (const Fault& fault : kFaults) {
        const QString name = QString::fromLatin1(fault.name);
        const QStringList want = committed.value(name);
        const QStringList got = produced.value(name);
        for (int i = 0; i < got.size(); ++i)
            EXPECT_EQ(got[i], want.value(i))
                << lane.id << ": " << qPrintable(name) << " × " << commandName(kCommands[i])
                << " differs from " << qPrintable(catalogueFile());
    }
}

INSTANTIATE_TEST_SUITE_P(Lanes, FaultCatalogue,
                         ::testing::Values(Lane{"pty",
                                                "lumo-sim over a pseudo-terminal "
                                                "(`--port PATH`)",
                                                false, 10},
                                           Lane{"cable",
                                                "The virtual cable "
                                                "(`LUMO_FTDI=virtual:FILE`, "
                                                "`--port usb`)",
                                                true, 5}),
                         [](const ::testing::TestParamInfo<Lane>& info) {
                             return std::string(info.param.id);
                         });

} // namespace
