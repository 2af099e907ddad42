// Commands on parameter sets kept in files: new, convert, show, image encode/decode.
#include "cli/CommandTable.h"
#include "cli/ParameterListing.h"
#include "files/ParameterFiles.h"
#include "params/Codec.h"
#include "params/FieldTable.h"
#include "params/Validation.h"
#include "platform/Messenger.h"
#include "texts/FileErrorText.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace lumo::cli {

namespace {

const QString kNewSynopsis = QStringLiteral("new OUT");
const QString kConvertSynopsis = QStringLiteral("convert IN OUT [--force]");
const QString kShowSynopsis = QStringLiteral("show IN [--names] [--lang PACK.lng]");
const QString kImageSynopsis = QStringLiteral("image encode IN [--firmware VERSION] [--numbers] | "
                                              "image decode HEX [--base IN] OUT");

int runNew(const QStringList& args) {
    if (args.size() != 1)
        return usage(kNewSynopsis);
    QString error;
    if (parameterFileFormat(args[0]) == ParameterFileFormat::Unknown)
        return fail(unknownParameterFileMessage(args[0], &activeTexts()));
    if (!saveParameterFile(args[0], ParameterSet(), &error, &activeTexts()))
        return fail(error);
    return Success;
}

int runConvert(const QStringList& args) {
    QStringList files;
    bool force = false;
    for (const QString& a : args) {
        if (a == QLatin1String("--force"))
            force = true;
        else if (a.startsWith(QLatin1String("--")))
            return usage(kConvertSynopsis);
        else
            files << a;
    }
    if (files.size() != 2)
        return usage(kConvertSynopsis);
    const ParameterFileFormat format = parameterFileFormat(files[1]);
    if (format == ParameterFileFormat::Unknown)
        return fail(unknownParameterFileMessage(files[1], &activeTexts()));
    ParameterSet params;
    QString error;
    if (!loadParameterFile(files[0], params, &error, &activeTexts()))
        return fail(error);
    // A settings file is what goes to a unit: it gets the check a write makes.
    if (format == ParameterFileFormat::Ktf) {
        const std::vector<InvalidValue> invalid = validateForUnit(params, activeTexts());
        if (!invalid.empty()) {
            // By control name and caption, a long value cut: the refusal stays readable.
            for (const InvalidValue& v : invalid) {
                const QString value =
                    v.value.size() > 40 ? v.value.left(40) + QStringLiteral("...") : v.value;
                printErr(QStringLiteral("%1 (%2): \"%3\"").arg(v.field, v.caption, value));
            }
            if (!force)
                return fail(activeTexts().message(cliText::kNotWrittenForce).arg(files[1]));
            printErr(activeTexts().message(cliText::kWrittenAnyway).arg(files[1]));
        }
    }
    if (!saveParameterFile(files[1], params, &error, &activeTexts()))
        return fail(error);
    return Success;
}

int runShow(const QStringList& args) {
    // --lang is taken before the command runs (see main).
    QString in;
    bool names = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--names")) {
            names = true;
        } else if (in.isEmpty() && !args[i].startsWith(QLatin1String("--"))) {
            in = args[i];
        } else {
            return usage(kShowSynopsis);
        }
    }
    if (in.isEmpty())
        return usage(kShowSynopsis);
    const Texts& texts = activeTexts();
    ParameterSet params;
    QString error;
    if (!loadParameterFile(in, params, &error, &texts))
        return fail(error);
    printOut(
        (names ? nameListing(params) : readableListing(params, texts)).join(QLatin1Char('\n')));
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
    if (!loadParameterFile(in, params, &error, &activeTexts()))
        return fail(error);
    if (haveFirmware)
        params.setFirmwareVersion(firmware);

    const Texts& texts = activeTexts();
    ConsoleMessenger messenger;
    if (!checkBeforeTransfer(params, texts, messenger))
        return Failure;

    TransferBuffer buffer;
    Codec codec(params, buffer, texts);
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
        return fail(activeTexts().message(messageKey::kBadSettingsHex).arg(hex.size()));
    if (parameterFileFormat(out) == ParameterFileFormat::Unknown)
        return fail(unknownParameterFileMessage(out, &activeTexts()));

    ParameterSet params;
    QString error;
    if (!base.isEmpty() && !loadParameterFile(base, params, &error, &activeTexts()))
        return fail(error);

    const Texts& texts = activeTexts();
    const QByteArray image = QByteArray::fromHex(hex.toLatin1());
    // Without the marker the bytes are no settings image: nothing is made of them.
    if (static_cast<unsigned char>(image.at(0)) != 0x55)
        return fail(texts.message(Msg::MemoryContentWrong));
    ConsoleMessenger messenger;
    TransferBuffer buffer;
    Codec codec(params, buffer, texts);
    for (const QString& message : codec.DecodeSettings(image).messages)
        messenger.message(message, QString());
    if (!saveParameterFile(out, params, &error, &texts))
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
