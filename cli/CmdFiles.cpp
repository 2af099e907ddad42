// Commands on parameter sets kept in files: new, convert, show, image encode/decode.
#include "cli/CommandTable.h"
#include "files/ParameterJson.h"
#include "platform/AtomicFile.h"
#include "files/SettingsFile.h"
#include "params/Codec.h"
#include "params/FieldTable.h"
#include "params/Validation.h"
#include "platform/Messenger.h"
#include "texts/Texts.h"
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace lumo::cli {

namespace {

// Messages of the engines go to standard error; questions are never answered Yes.
class ErrorStreamMessenger : public Messenger {
public:
    void message(const QString& text, const QString& title) override {
        printErr(title.isEmpty() ? text : title + QStringLiteral(": ") + text);
    }
    bool ask(const QString& title, const QString& text, Icon, bool) override {
        printErr(title + QStringLiteral(": ") + text);
        return false;
    }
};

enum class Format { Unknown, Ktf, Json };

Format formatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("ktf"))
        return Format::Ktf;
    if (suffix == QLatin1String("json"))
        return Format::Json;
    return Format::Unknown;
}

QString unknownFormat(const QString& path) {
    return QStringLiteral("\"%1\": the file name must end in .KTF or .json").arg(path);
}

bool load(const QString& path, ParameterSet& params, QString* error) {
    switch (formatOf(path)) {
    case Format::Ktf:
        return LoadSettingsFile(params, path, error);
    case Format::Json: {
        const QFileInfo info(path);
        if (!info.exists() || info.isDir()) {
            *error = QStringLiteral("Cannot load \"%1\": %2")
                         .arg(path, info.isDir() ? QStringLiteral("it is a folder, not a file")
                                                 : QStringLiteral("the file does not exist"));
            return false;
        }
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("Cannot load \"%1\": %2").arg(path, file.errorString());
            return false;
        }
        // A parameter set is a few kilobytes; never read a huge file or a device whole.
        constexpr qint64 kLargest = 1 << 20;
        const QByteArray json = file.read(kLargest + 1);
        if (json.size() > kLargest) {
            *error = QStringLiteral("Cannot load \"%1\": the file is too large for a parameter set")
                         .arg(path);
            return false;
        }
        QString problem;
        if (!parameterJson::fromJson(json, params, &problem)) {
            *error = QStringLiteral("Cannot load \"%1\": %2").arg(path, problem);
            return false;
        }
        return true;
    }
    case Format::Unknown:
        break;
    }
    *error = unknownFormat(path);
    return false;
}

bool save(const QString& path, const ParameterSet& params, QString* error) {
    switch (formatOf(path)) {
    case Format::Ktf:
        return SaveSettingsFile(params, path, error);
    case Format::Json: {
        QString reason;
        if (writeFileAtomically(path, parameterJson::toJson(params), &reason))
            return true;
        *error = QStringLiteral("Cannot save \"%1\": %2").arg(path, reason);
        return false;
    }
    case Format::Unknown:
        break;
    }
    *error = unknownFormat(path);
    return false;
}

int usage(const QString& synopsis) {
    printErr(QStringLiteral("usage: lumo-cli ") + synopsis);
    return Usage;
}

int fail(const QString& message) {
    printErr(message);
    return Failure;
}

const QString kNewSynopsis = QStringLiteral("new OUT");
const QString kConvertSynopsis = QStringLiteral("convert IN OUT");
const QString kShowSynopsis = QStringLiteral("show IN");
const QString kImageSynopsis = QStringLiteral("image encode IN [--firmware VERSION] [--numbers] | "
                                              "image decode HEX [--base IN] OUT");

int runNew(const QStringList& args) {
    if (args.size() != 1)
        return usage(kNewSynopsis);
    QString error;
    if (formatOf(args[0]) == Format::Unknown)
        return fail(unknownFormat(args[0]));
    if (!save(args[0], ParameterSet(), &error))
        return fail(error);
    return Success;
}

int runConvert(const QStringList& args) {
    if (args.size() != 2)
        return usage(kConvertSynopsis);
    if (formatOf(args[1]) == Format::Unknown)
        return fail(unknownFormat(args[1]));
    ParameterSet params;
    QString error;
    if (!load(args[0], params, &error) || !save(args[1], params, &error))
        return fail(error);
    return Success;
}

int runShow(const QStringList& args) {
    if (args.size() != 1)
        return usage(kShowSynopsis);
    ParameterSet params;
    QString error;
    if (!load(args[0], params, &error))
        return fail(error);
    for (const QString& name : allParameterNames()) {
        const bool boolean = name.startsWith(QLatin1String("RadioButton")) ||
                             name.startsWith(QLatin1String("CheckBox"));
        const QString value =
            boolean ? (params.isChecked(name) ? QStringLiteral("true") : QStringLiteral("false"))
                    : params.text(name);
        printOut(name + QLatin1Char('=') + value);
    }
    if (!params.firmwareVersion().isEmpty())
        printOut(QStringLiteral("FirmwareVersion=") + params.firmwareVersion());
    return Success;
}

int runImageEncode(const QStringList& args) {
    QString in;
    QString firmware;
    bool haveFirmware = false;
    bool numbers = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--numbers")) {
            numbers = true;
        } else if (args[i] == QLatin1String("--firmware")) {
            if (++i >= args.size())
                return usage(kImageSynopsis);
            firmware = args[i];
            haveFirmware = true;
        } else if (in.isEmpty() && !args[i].startsWith(QLatin1String("--"))) {
            in = args[i];
        } else {
            return usage(kImageSynopsis);
        }
    }
    if (in.isEmpty())
        return usage(kImageSynopsis);
    static const QRegularExpression versionPattern(QStringLiteral("^[0-9]\\.[0-9]*$"));
    if (haveFirmware && !versionPattern.match(firmware).hasMatch()) {
        printErr(QStringLiteral("--firmware takes a version such as 1.7"));
        return Usage;
    }

    ParameterSet params;
    QString error;
    if (!load(in, params, &error))
        return fail(error);
    if (haveFirmware)
        params.setFirmwareVersion(firmware);

    Texts texts;
    ErrorStreamMessenger messenger;
    if (!checkBeforeTransfer(params, texts, messenger))
        return Failure;

    TransferBuffer buffer;
    Codec codec(params, buffer, texts, &messenger);
    codec.EncodeSettings();
    printOut(QString::fromLatin1(codec.settingsImageFromBuffer().toHex()));
    if (numbers) {
        for (int memory = 0; memory < 128; ++memory) {
            codec.EncodeNumberMemory(memory);
            printOut(QString::fromLatin1(codec.numberImageFromBuffer().toHex()));
        }
    }
    return Success;
}

int runImageDecode(const QStringList& args) {
    QStringList positional;
    QString base;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--base")) {
            if (++i >= args.size() || !base.isEmpty())
                return usage(kImageSynopsis);
            base = args[i];
        } else if (args[i].startsWith(QLatin1String("--"))) {
            return usage(kImageSynopsis);
        } else {
            positional.append(args[i]);
        }
    }
    if (positional.size() != 2)
        return usage(kImageSynopsis);
    const QString hex = positional[0];
    const QString out = positional[1];
    static const QRegularExpression hexPattern(QStringLiteral("^[0-9A-Fa-f]{256}$"));
    if (!hexPattern.match(hex).hasMatch())
        return fail(QStringLiteral("the settings image must be 256 hexadecimal digits (128 "
                                   "bytes), got %1 characters")
                        .arg(hex.size()));
    if (formatOf(out) == Format::Unknown)
        return fail(unknownFormat(out));

    ParameterSet params;
    QString error;
    if (!base.isEmpty() && !load(base, params, &error))
        return fail(error);

    Texts texts;
    ErrorStreamMessenger messenger;
    TransferBuffer buffer;
    Codec codec(params, buffer, texts, &messenger);
    codec.DecodeSettings(QByteArray::fromHex(hex.toLatin1()));
    if (!save(out, params, &error))
        return fail(error);
    return Success;
}

int runImage(const QStringList& args) {
    if (args.isEmpty())
        return usage(kImageSynopsis);
    if (args[0] == QLatin1String("encode"))
        return runImageEncode(args.mid(1));
    if (args[0] == QLatin1String("decode"))
        return runImageDecode(args.mid(1));
    return usage(kImageSynopsis);
}

const bool registeredNew = registerCommand({QStringLiteral("new"), kNewSynopsis, runNew});
const bool registeredConvert =
    registerCommand({QStringLiteral("convert"), kConvertSynopsis, runConvert});
const bool registeredShow = registerCommand({QStringLiteral("show"), kShowSynopsis, runShow});
const bool registeredImage = registerCommand({QStringLiteral("image"), kImageSynopsis, runImage});

} // namespace

} // namespace lumo::cli
