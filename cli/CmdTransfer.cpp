// Commands that talk to a unit on the bench: status, read and write, over a serial port, a
// device path (a pseudo-terminal included) or the USB cable. They run the same command
// sequences as the main window's menu items.
#include "cli/CommandTable.h"
#include "files/ParameterFiles.h"
#include "link/AfComPort.h"
#include "link/LocalLinkSettings.h"
#include "link/LocalTransferCommands.h"
#include "link/TransferSerialLink.h"
#include "link/TransferUsbLink.h"
#include "params/FieldTable.h"
#include "params/ParameterModel.h"
#include "params/Validation.h"
#include "platform/Messenger.h"
#include "platform/SystemClock.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <memory>

namespace lumo::cli {

namespace {

const QString kStatusSynopsis = QStringLiteral("status --port P");
const QString kReadSynopsis = QStringLiteral("read all|settings|numbers --port P [--base IN] OUT");
const QString kWriteSynopsis =
    QStringLiteral("write all|settings|numbers --port P IN [--mode DEN|NOC] "
                   "[--counter keep|set] [--unfitted keep|set]");

// The transfer window on a console: only the messages are shown.
class ConsoleView : public TransferView {
public:
    void setProgress(int) override {}
    void setIndicator(TransferIndicator) override {}
    void showMessage(const QString& text) override { printErr(text); }
};

// The write confirmation decided by options; without a decision for something that differs,
// the write stops before its first byte and the differences are listed.
class OptionConfirmation : public WriteConfirmation {
public:
    QString mode;     // DEN text, NOC text, or empty
    QString counter;  // "keep", "set" or empty
    QString unfitted; // "keep", "set" or empty
    const Texts* texts = nullptr;
    QStringList undecided;

    Answer confirm(const UnitSnapshot& unit, ParameterSet& params) override {
        const QString mine156 = params.text(statusField(StatusTag::Mode));
        const QString mine157 = params.text(statusField(StatusTag::Counter));
        const QString mine151 = params.text(statusField(StatusTag::Unfitted));
        undecided.clear();
        if (unit.mode != mine156 && mode.isEmpty())
            undecided << QStringLiteral("mode: unit %1, file %2 (--mode DEN|NOC)")
                             .arg(unit.mode, mine156);
        if (unit.counter != mine157 && counter.isEmpty())
            undecided << QStringLiteral("counter: unit %1, file %2 (--counter keep|set)")
                             .arg(unit.counter, mine157);
        if (unit.unfitted != mine151 && unfitted.isEmpty())
            undecided << QStringLiteral("unfitted: unit %1, file %2 (--unfitted keep|set)")
                             .arg(unit.unfitted, mine151);
        if (!undecided.isEmpty())
            return Answer::Storno;
        if (unit.mode != mine156)
            params.setText(statusField(StatusTag::Mode), mode);
        if (unit.counter != mine157 && counter == QLatin1String("keep"))
            params.setText(statusField(StatusTag::Counter), unit.counter);
        if (unit.unfitted != mine151 && unfitted == QLatin1String("keep"))
            params.setText(statusField(StatusTag::Unfitted), unit.unfitted);
        return Answer::Ok;
    }
};

// Options in any order: `--name value` pairs and plain arguments.
struct Arguments {
    QHash<QString, QString> options;
    QStringList plain;
    bool ok = true;
};

Arguments parse(const QStringList& args, const QStringList& known) {
    Arguments a;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i].startsWith(QLatin1String("--"))) {
            const QString name = args[i].mid(2);
            if (!known.contains(name) || i + 1 >= args.size() || a.options.contains(name)) {
                a.ok = false;
                return a;
            }
            a.options.insert(name, args[++i]);
        } else {
            a.plain << args[i];
        }
    }
    return a;
}

// One bench session: the parameter model, the chosen link, the engine and the command sequences.
class Bench {
public:
    bool open(const QString& port, QString* error) {
        static const QRegularExpression comName(QStringLiteral("^(?:COM)?(\\d+)$"),
                                                QRegularExpression::CaseInsensitiveOption);
        if (port.compare(QLatin1String("usb"), Qt::CaseInsensitive) == 0) {
            // A missing cable shows as an adapter that does not open, at the first command.
            m_link = std::make_unique<TransferUsbLink>();
        } else {
            m_port = std::make_unique<TAfComPort>();
            const auto match = comName.match(port);
            if (match.hasMatch()) {
                m_port->SetComNumber(match.captured(1).toInt());
            } else if (!port.isEmpty()) {
                m_port->SetComNumber(1);
                m_port->SetDevicePath(port);
            } else {
                *error = QStringLiteral("no port given");
                return false;
            }
            m_link = std::make_unique<TransferSerialLink>(*m_port);
        }
        m_engine = std::make_unique<TransferEngine>(m_clock, *m_data, m_view);
        m_engine->setLink(m_link.get());
        m_commands = std::make_unique<LocalTransferCommands>(*m_engine, m_model, m_linkState,
                                                             m_texts, m_messenger);
        m_commands->setValidator([this](const ParameterSet& params) {
            return invalidValuesMessage(validateForUnit(params, m_texts), m_texts);
        });
        return true;
    }

    // Runs a command to its end; true when it succeeded.
    bool run(LocalTransferCommands::Command command) {
        QEventLoop loop;
        bool ok = false;
        bool finished = false;
        m_commands->run(command, [&](bool result) {
            ok = result;
            finished = true;
            loop.quit();
        });
        if (!finished)
            loop.exec();
        return ok;
    }

    bool status() {
        m_linkState.portCheckRequested = true;
        QEventLoop loop;
        bool finished = false;
        bool ok = false;
        if (!m_commands->portCheck([&](const TransferResult& result) {
                ok = result.ok();
                finished = true;
                loop.quit();
            })) {
            m_messenger.message(m_texts.message(Msg::CommunicationError), {});
            return false;
        }
        if (!finished)
            loop.exec();
        return ok;
    }

    ParameterModel& model() { return m_model; }
    const Texts& texts() const { return m_texts; }
    LocalTransferCommands& commands() { return *m_commands; }
    ~Bench() {
        m_commands.reset();
        m_engine.reset();
        if (m_link && m_link->isOpen())
            m_link->close();
    }

private:
    SystemClock m_clock;
    ParameterModel m_model;
    LocalLinkState m_linkState;
    Texts m_texts;
    ConsoleMessenger m_messenger;
    ConsoleView m_view;
    std::unique_ptr<CodecTransferData> m_data =
        std::make_unique<CodecTransferData>(m_model, m_texts, &m_messenger);
    std::unique_ptr<TAfComPort> m_port;
    std::unique_ptr<TransferLink> m_link;
    std::unique_ptr<TransferEngine> m_engine;
    std::unique_ptr<LocalTransferCommands> m_commands;
};

int runStatus(const QStringList& args) {
    const Arguments a = parse(args, {QStringLiteral("port")});
    if (!a.ok || !a.plain.isEmpty() || !a.options.contains(QStringLiteral("port")))
        return usage(kStatusSynopsis);
    Bench bench;
    QString error;
    if (!bench.open(a.options.value(QStringLiteral("port")), &error)) {
        printErr(error);
        return Failure;
    }
    if (!bench.status())
        return Failure;
    const ParameterSet& p = bench.model().params();
    printOut(QStringLiteral("Firmware: ") + p.firmwareVersion());
    const QString mode =
        p.text(statusField(StatusTag::Mode)) == bench.texts().message(Msg::NightMode)
            ? QStringLiteral("NOC")
            : QStringLiteral("DEN");
    printOut(QStringLiteral("Mode: ") + mode);
    printOut(QStringLiteral("Unfitted: ") + p.text(statusField(StatusTag::Unfitted)));
    printOut(QStringLiteral("Counter: ") + p.text(statusField(StatusTag::Counter)));
    return Success;
}

bool scopeOf(const QString& word, bool read, LocalTransferCommands::Command* command) {
    using C = LocalTransferCommands::Command;
    if (word == QLatin1String("all"))
        *command = read ? C::ReadAll : C::WriteAll;
    else if (word == QLatin1String("settings"))
        *command = read ? C::ReadSettings : C::WriteSettings;
    else if (word == QLatin1String("numbers"))
        *command = read ? C::ReadNumbers : C::WriteNumbers;
    else
        return false;
    return true;
}

int runRead(const QStringList& args) {
    const Arguments a = parse(args, {QStringLiteral("port"), QStringLiteral("base")});
    LocalTransferCommands::Command command;
    if (!a.ok || a.plain.size() != 2 || !a.options.contains(QStringLiteral("port")) ||
        !scopeOf(a.plain[0], true, &command))
        return usage(kReadSynopsis);
    const QString out = a.plain[1];
    if (parameterFileFormat(out) == ParameterFileFormat::Unknown)
        return usage(kReadSynopsis);
    Bench bench;
    QString error;
    if (a.options.contains(QStringLiteral("base")) &&
        !loadParameterFile(a.options.value(QStringLiteral("base")), bench.model().params(),
                           &error)) {
        printErr(error);
        return Failure;
    }
    if (!bench.open(a.options.value(QStringLiteral("port")), &error)) {
        printErr(error);
        return Failure;
    }
    if (!bench.run(command))
        return Failure;
    if (!saveParameterFile(out, bench.model().params(), &error)) {
        printErr(error);
        return Failure;
    }
    return Success;
}

int runWrite(const QStringList& args) {
    const Arguments a = parse(args, {QStringLiteral("port"), QStringLiteral("mode"),
                                     QStringLiteral("counter"), QStringLiteral("unfitted")});
    LocalTransferCommands::Command command;
    if (!a.ok || a.plain.size() != 2 || !a.options.contains(QStringLiteral("port")) ||
        !scopeOf(a.plain[0], false, &command))
        return usage(kWriteSynopsis);
    const QString mode = a.options.value(QStringLiteral("mode")).toUpper();
    const QString counter = a.options.value(QStringLiteral("counter"));
    const QString unfitted = a.options.value(QStringLiteral("unfitted"));
    const QStringList keepSet{QString(), QStringLiteral("keep"), QStringLiteral("set")};
    if (!QStringList{QString(), QStringLiteral("DEN"), QStringLiteral("NOC")}.contains(mode) ||
        !keepSet.contains(counter) || !keepSet.contains(unfitted))
        return usage(kWriteSynopsis);

    Bench bench;
    QString error;
    if (!loadParameterFile(a.plain[1], bench.model().params(), &error)) {
        printErr(error);
        return Failure;
    }
    if (!bench.open(a.options.value(QStringLiteral("port")), &error)) {
        printErr(error);
        return Failure;
    }
    OptionConfirmation confirmation;
    const Texts& texts = bench.texts();
    confirmation.mode = mode.isEmpty()                 ? QString()
                        : mode == QLatin1String("NOC") ? texts.message(Msg::NightMode)
                                                       : texts.message(Msg::DayMode);
    confirmation.counter = counter;
    confirmation.unfitted = unfitted;
    bench.commands().setConfirmation(&confirmation);
    const bool ok = bench.run(command);
    if (!confirmation.undecided.isEmpty()) {
        printErr(QStringLiteral("The unit differs from %1; nothing was written:").arg(a.plain[1]));
        for (const QString& line : confirmation.undecided)
            printErr(QStringLiteral("  ") + line);
    }
    return ok ? Success : Failure;
}

const bool registeredStatus =
    registerCommand({QStringLiteral("status"), kStatusSynopsis, runStatus});
const bool registeredRead = registerCommand({QStringLiteral("read"), kReadSynopsis, runRead});
const bool registeredWrite = registerCommand({QStringLiteral("write"), kWriteSynopsis, runWrite});

} // namespace

} // namespace lumo::cli
