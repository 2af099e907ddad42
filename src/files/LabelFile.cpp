#include "files/LabelFile.h"
#include "platform/AtomicFile.h"
#include "platform/IniDocument.h"
#include "texts/Texts.h"
#include <QFileInfo>

namespace lumo::labelFile {

namespace {
const QString kSection = QStringLiteral("N");

// Messages of the texts table: "the label file %1 cannot be read/saved: %2".
constexpr int kLoadFailed = 70;
constexpr int kSaveFailed = 71;
constexpr int kNoSuchFile = 58;
constexpr int kIsFolder = 59;
} // namespace

bool hasLabelExtension(const QString& fileName) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? fileName : fileName.mid(dot + 1);
    return extension.trimmed().toUpper() == QLatin1String("KTL");
}

bool load(const QString& path, LabelNames& names, QString* error, const Texts& texts) {
    auto fail = [&](const QString& reason) {
        if (error)
            *error = texts.message(kLoadFailed).arg(path, reason);
        return false;
    };
    const QFileInfo info(path);
    if (info.isDir())
        return fail(texts.message(kIsFolder));
    if (!info.exists())
        return fail(texts.message(kNoSuchFile));
    IniDocument document;
    bool existed = false;
    QString reason;
    if (!IniDocument::load(path, &document, &existed, &reason))
        return fail(reason);
    if (!existed)
        return fail(texts.message(kNoSuchFile));
    for (int n = 1; n <= 24; ++n)
        names[std::size_t(n - 1)] = document.readString(kSection, QString::number(n));
    return true;
}

bool save(const QString& path, const LabelNames& names, QString* error, const Texts& texts) {
    auto fail = [&](const QString& reason) {
        if (error)
            *error = texts.message(kSaveFailed).arg(path, reason);
        return false;
    };
    if (QFileInfo(path).isDir())
        return fail(texts.message(kIsFolder));
    // The file's other sections and keys are kept: start from what is there.
    IniDocument document;
    QString reason;
    if (!IniDocument::load(path, &document, nullptr, &reason))
        return fail(reason);
    for (int n = 1; n <= 24; ++n)
        document.setValue(kSection, QString::number(n), names[std::size_t(n - 1)]);
    if (!writeFileAtomically(path, document.toBytes(), &reason))
        return fail(reason);
    return true;
}

} // namespace lumo::labelFile
