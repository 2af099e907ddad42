#include "texts/FileErrorText.h"
#include "texts/Texts.h"

namespace lumo {

QString fileErrorText(const FileError& error, const Texts& texts) {
    using P = FileError::Problem;
    switch (error.problem) {
    case P::None:
        return {};
    case P::Missing:
        return texts.message(58);
    case P::Folder:
        return texts.message(59);
    case P::NotRegular:
        return texts.message(messageKey::kNotRegular);
    case P::TooLarge:
        return texts.message(messageKey::kTooLarge).arg(error.size).arg(error.limit);
    case P::Permission:
        return texts.message(messageKey::kPermission);
    case P::ReadOnly:
        return texts.message(messageKey::kReadOnly);
    case P::NoSpace:
        return texts.message(messageKey::kNoSpace);
    case P::InputOutput:
        return texts.message(messageKey::kInputOutput);
    case P::BadPath:
        return texts.message(messageKey::kBadPath);
    case P::Other:
        break;
    }
    return texts.message(messageKey::kSystemError).arg(error.systemError);
}

QString cutForMessage(const QString& text, int limit) {
    if (text.size() <= limit)
        return text;
    return text.left(limit) + QChar(0x2026);
}

} // namespace lumo
