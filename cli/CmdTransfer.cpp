// Commands that talk to a unit on the bench: status, read and write, over a serial port, a
// device path (a pseudo-terminal included) or the USB cable. They run the same command
// sequences as the main window's menu items.
#include "cli/CommandTable.h"
#include "cli/ParameterListing.h"
#include "cli/UnitRead.h"
#include "files/ParameterFiles.h"
#include "files/ReadBackups.h"
#include "link/AfComPort.h"
#include "link/AfUtils.h"
#include "link/DeviceProblemText.h"
#include "link/LocalLinkSettings.h"
#include "link/LocalTransferCommands.h"
#include "link/TransferSerialLink.h"
#include "link/TransferUsbLink.h"
#include "params/FieldTable.h"
#include "params/ParameterModel.h"
#include "params/Validation.h"
#include "platform/Cp1250.h"
#include "platform/Messenger.h"
#include "platform/SerialFile.h"
#include "platform/SystemClock.h"
#include "texts/FileErrorText.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <unistd.h>

namespace lumo::cli {

namespace {

const QString kStatusSynopsis = QStringLiteral("status --port P");
const QString kReadSynopsis = QStringLiteral("read all|settings|numbers --port P [--base IN] OUT");
const QString kWriteSynopsis =
    QStringLiteral("write all|settings|numbers --port P IN [--mode DEN|NOC] "
                   "[--counter keep|set] [--unfitted keep|set] [--verify] [--backup DIR]");

// Received bytes as a terminal can show them: printable ASCII as it is, every other byte
// (NUL, XON, 0xFF, ...) as \xHH, so the message never sends control bytes to the terminal.
QString escapedBytes(const QByteArray& bytes) {
    QString out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\')
            out += QLatin1Char(char(b));
        else
            out += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return out;
}

// Bytes that make a complete reply for the transfer running.
int expectedReplySize(TransferKind kind) {
    switch (kind) {
    case TransferKind::SettingsRead:
        return 128;
    case TransferKind::NumbersRead:
        return 16;
    case TransferKind::SettingsWrite:
    case TransferKind::NumbersWrite:
        return 1;
    case TransferKind::None:
    case TransferKind::Status:
        break;
    }
    return 8;
}

// The transfer window on a console: the messages, with a communication error's received bytes
// escaped and counted; on a terminal the progress of each step on one line rewritten in place.
// It also keeps what a write has put into the unit so far.
class ConsoleView : public TransferView {
public:
    ConsoleView() : m_terminal(isatty(STDERR_FILENO) == 1) {}
    const Texts* texts = nullptr;
    const TransferEngine* engine = nullptr;
    bool settingsWritten = false;
    int blocksWritten = 0; // number memories 0..blocksWritten-1 acknowledged

    void transferShown() override { m_shown = -1; }
    void setProgress(int position) override {
        if (!m_terminal)
            return;
        const int percent = std::clamp(position, 0, 127) * 100 / 127;
        if (percent == m_shown)
            return;
        m_shown = percent;
        std::fprintf(stderr, "\r%3d %%", percent);
        std::fflush(stderr);
        m_lineOpen = true;
    }
    void transferClosed() override { endLine(); }
    void setIndicator(TransferIndicator indicator) override {
        if (!engine)
            return;
        if (engine->kind() == TransferKind::SettingsWrite &&
            indicator == TransferIndicator::Completed)
            settingsWritten = true;
        if (engine->kind() == TransferKind::NumbersWrite &&
            indicator == TransferIndicator::NumberAcked)
            ++blocksWritten;
    }
    void showMessage(const QString& text) override {
        endLine();
        const QString error = texts ? texts->message(35) : QString();
        if (!engine || error.isEmpty() || !text.endsWith(error)) {
            printErr(text);
            return;
        }
        // The reply text leads the message, a byte per character; on a console show it
        // escaped, with the counts.
        const qsizetype separator = text.endsWith(QStringLiteral(" x ") + error) ? 3 : 2;
        const QString replyText = text.left(text.size() - error.size() - separator);
        const QByteArray reply = cp1250::fromUnicode(replyText);
        const QString rest = text.mid(replyText.size());
        printErr(escapedBytes(reply) + rest);
        printErr(QStringLiteral("  ") + texts->message(messageKey::kReplyCounts)
                                            .arg(expectedReplySize(engine->kind()))
                                            .arg(reply.size())
                                            .arg(reply.isEmpty()
                                                     ? QStringLiteral("-")
                                                     : QString::fromLatin1(reply.toHex(' '))));
    }

private:
    void endLine() {
        if (!m_lineOpen)
            return;
        std::fputs("\r      \r", stderr);
        std::fflush(stderr);
        m_lineOpen = false;
    }
    bool m_terminal;
    bool m_lineOpen = false;
    int m_shown = -1;
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
        using namespace messageKey;
        if (unit.mode != mine156 && mode.isEmpty())
            undecided << texts->message(kDiffersMode).arg(unit.mode, mine156);
        if (unit.counter != mine157 && counter.isEmpty())
            undecided << texts->message(kDiffersCounter).arg(unit.counter, mine157);
        if (unit.unfitted != mine151 && unfitted.isEmpty())
            undecided << texts->message(kDiffersUnfitted).arg(unit.unfitted, mine151);
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
            auto usb = std::make_unique<TransferUsbLink>();
            usb->setExplainer(
                [this](const QString& serial) { return usbProblemText(serial, m_texts); });
            m_link = std::move(usb);
        } else {
            m_port = std::make_unique<TAfComPort>();
            const auto match = comName.match(port);
            QString path = port;
            if (match.hasMatch()) {
                m_port->SetComNumber(match.captured(1).toInt());
                path = comPortDevicePath(match.captured(1).toInt());
            } else if (!port.isEmpty()) {
                m_port->SetComNumber(1);
                m_port->SetDevicePath(port);
            }
            // Say why a port cannot be used before anything is tried on it.
            if (const QString why = serialPortProblemText(path, m_texts); !why.isEmpty()) {
                *error = m_texts.message(39) + QStringLiteral(": ") + why;
                return false;
            }
            auto serial = std::make_unique<TransferSerialLink>(*m_port);
            serial->setExplainer(
                [this](const QString& device) { return serialPortProblemText(device, m_texts); });
            m_link = std::move(serial);
        }
        m_engine = std::make_unique<TransferEngine>(m_clock, *m_data, m_view);
        m_view.texts = &m_texts;
        m_view.engine = m_engine.get();
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

    // Runs a write command and reads back what it wrote; the check once both have ended.
    WriteCheck runVerified(LocalTransferCommands::Command command) {
        QEventLoop loop;
        WriteCheck check;
        bool finished = false;
        const bool started = m_commands->runVerified(command, [&](const WriteCheck& result) {
            check = result;
            finished = true;
            loop.quit();
        });
        if (started && !finished)
            loop.exec();
        return check;
    }

    // Reads the unit into a backup before a write; true when the write may go on.
    bool backupFirst(LocalTransferCommands::WriteBackup backup) {
        QEventLoop loop;
        bool go = false;
        bool finished = false;
        const bool started = m_commands->backupBeforeWrite(std::move(backup), [&](bool result) {
            go = result;
            finished = true;
            loop.quit();
        });
        if (started && !finished)
            loop.exec();
        return go;
    }

    bool status() {
        // As a click on the status bar: the command's first step opens the cable afresh, so
        // that the status read finds it open.
        if (!m_engine->policy()->prepareForCommand(*m_link)) {
            m_messenger.message(m_texts.message(Msg::CommunicationError), {});
            return false;
        }
        m_linkState.portCheckRequested = true;
        QEventLoop loop;
        bool finished = false;
        bool ok = false;
        if (!m_commands->portCheck([&](const TransferResult& result) {
                ok = result.ok();
                finished = true;
                loop.quit();
            })) {
            // The cable did not open: say why on a line of its own.
            const QString why = m_link->openProblem();
            m_messenger.message(m_texts.message(Msg::CommunicationError) +
                                    (why.isEmpty() ? QString() : '\n' + why),
                                {});
            return false;
        }
        if (!finished)
            loop.exec();
        return ok;
    }

    ParameterModel& model() { return m_model; }
    const Texts& texts() const { return m_texts; }
    const ConsoleView& view() const { return m_view; }
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
    Texts m_texts = activeTexts();
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
    if (const QString problem = outputProblem(out); !problem.isEmpty())
        return fail(problem);
    ParameterSet params;
    QString error;
    if (a.options.contains(QStringLiteral("base")) &&
        !loadParameterFile(a.options.value(QStringLiteral("base")), params, &error,
                           &activeTexts())) {
        printErr(error);
        return Failure;
    }
    if (!readFromUnit(a.options.value(QStringLiteral("port")), command, params))
        return Failure;
    if (!saveParameterFile(out, params, &error, &activeTexts())) {
        printErr(error);
        return Failure;
    }
    printOut(QStringLiteral("read %1 to %2").arg(a.plain[0], out));
    return Success;
}

// After a failed write: what the unit now holds, when anything reached it, so that the
// technician knows it is half-written.
void reportPartialWrite(LocalTransferCommands::Command command, const ConsoleView& view,
                        const Texts& texts) {
    using C = LocalTransferCommands::Command;
    using namespace messageKey;
    if (!view.settingsWritten && view.blocksWritten == 0)
        return;
    QStringList parts;
    if (command != C::WriteNumbers)
        parts << texts.message(view.settingsWritten ? kSettingsWritten : kSettingsNotWritten);
    if (command != C::WriteSettings)
        parts << (view.blocksWritten > 0 ? texts.message(kBlocksWritten).arg(view.blocksWritten - 1)
                                         : texts.message(kNoBlockWritten));
    printErr(texts.message(kHalfWritten).arg(parts.join(QStringLiteral(", "))));
}

int runWrite(QStringList args) {
    // The one option without a value.
    const bool verify = args.removeAll(QStringLiteral("--verify")) > 0;
    const Arguments a =
        parse(args, {QStringLiteral("port"), QStringLiteral("mode"), QStringLiteral("counter"),
                     QStringLiteral("unfitted"), QStringLiteral("backup")});
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
    if (!loadParameterFile(a.plain[1], bench.model().params(), &error, &bench.texts())) {
        printErr(error);
        return Failure;
    }
    // The backup folder is made before the unit is read for it.
    const bool backup = a.options.contains(QStringLiteral("backup"));
    const ReadBackups backups(a.options.value(QStringLiteral("backup")));
    if (FileError folderError; backup && !backups.ensureFolder(&folderError))
        return fail(bench.texts()
                        .message(Msg::BackupFolderFailed)
                        .arg(QDir::toNativeSeparators(backups.folder()),
                             fileErrorText(folderError, bench.texts())));
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
    confirmation.texts = &texts;
    confirmation.unfitted = unfitted;
    bench.commands().setConfirmation(&confirmation);
    bool backupFailed = false;
    LocalTransferCommands::WriteBackup before;
    before.keep = [&](const ParameterModel& side, bool complete) {
        QString path;
        FileError saveError;
        if (!backups.save({BackupRequest::Kind::BeforeWrite, complete, &side.params()},
                          QDateTime::currentDateTime(), &path, &saveError)) {
            printErr(texts.message(Msg::BackupNotSaved)
                         .arg(QDir::toNativeSeparators(path), fileErrorText(saveError, texts)));
            return false;
        }
        printOut(QStringLiteral("backup %1").arg(QDir::toNativeSeparators(path)));
        return true;
    };
    // No one to ask: without a whole backup nothing is written.
    before.writeAnyway = [&] {
        backupFailed = true;
        return false;
    };
    if (backup && !bench.backupFirst(before)) {
        if (backupFailed)
            printErr(texts.message(Msg::BackupNothingWritten));
        return Failure;
    }
    std::optional<WriteCheck> check;
    if (verify)
        check = bench.runVerified(command);
    const bool ok = check ? check->outcome != WriteCheck::Outcome::WriteFailed : bench.run(command);
    if (!confirmation.undecided.isEmpty()) {
        printErr(texts.message(messageKey::kUnitDiffers).arg(a.plain[1]));
        for (const QString& line : confirmation.undecided)
            printErr(QStringLiteral("  ") + line);
    }
    if (!ok) {
        reportPartialWrite(command, bench.view(), texts);
        return Failure;
    }
    printOut(QStringLiteral("wrote %1 from %2").arg(a.plain[0], a.plain[1]));
    if (check && !reportWriteCheck(*check, texts))
        return Failure;
    return Success;
}

const bool registeredStatus =
    registerCommand({QStringLiteral("status"), kStatusSynopsis, runStatus});
const bool registeredRead = registerCommand({QStringLiteral("read"), kReadSynopsis, runRead});
const bool registeredWrite = registerCommand({QStringLiteral("write"), kWriteSynopsis, runWrite});

} // namespace

bool readFromUnit(const QString& port, LocalTransferCommands::Command command,
                  ParameterSet& params) {
    Bench bench;
    bench.model().params() = params;
    QString error;
    if (!bench.open(port, &error)) {
        printErr(error);
        return false;
    }
    if (!bench.run(command))
        return false;
    params = bench.model().params();
    return true;
}

} // namespace lumo::cli
