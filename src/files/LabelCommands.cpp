#include "files/LabelCommands.h"
#include "platform/Messenger.h"
#include "platform/WorkingFolder.h"
#include "texts/Texts.h"
#include <QFileInfo>

namespace lumo {

namespace {
// A chosen name this short means no file was chosen (Load: 7, Save: 8 characters or fewer).
constexpr int kShortestLoadName = 7;
constexpr int kShortestSaveName = 8;
} // namespace

LabelCommands::LabelCommands(const Texts& texts, Messenger& messenger, FileDialogs& dialogs)
    : m_texts(texts), m_messenger(messenger), m_dialogs(dialogs) {}

FileDialogRequest LabelCommands::openRequest() const {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.title = m_texts.message(28);
    request.filter = m_texts.message(22) + QStringLiteral(" Vizitek|*.KTL|") + m_texts.message(27) +
                     QStringLiteral("    *.*|*.*");
    request.defaultSuffix = QStringLiteral("KTL");
    request.folder = workingFolder::current();
    return request;
}

FileDialogRequest LabelCommands::saveRequest() const {
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Save;
    request.title = m_texts.message(29);
    request.filter = m_texts.message(22) + QStringLiteral("  Vizitek|*.KTL");
    request.defaultSuffix = QStringLiteral("KTL");
    request.folder = workingFolder::current();
    return request;
}

bool LabelCommands::load(LabelNames& names) {
    // A cancelled dialog counts as an empty name.
    const QString chosen = m_dialogs.run(openRequest()).value_or(QString());
    if (chosen.size() <= kShortestLoadName) {
        m_messenger.warning(m_texts.message(16));
        return false;
    }
    if (!labelFile::hasLabelExtension(chosen)) {
        m_messenger.warning(m_texts.message(30));
        return false;
    }
    QString error;
    if (!labelFile::load(chosen, names, &error, m_texts)) {
        m_messenger.warning(error);
        return false;
    }
    return true;
}

bool LabelCommands::save(const LabelNames& names) {
    FileDialogRequest request = saveRequest();
    for (;;) {
        const std::optional<QString> chosen = m_dialogs.run(request);
        if (!chosen)
            return false;
        // Too short a name is no file; say so rather than return without a word.
        if (chosen->size() <= kShortestSaveName) {
            m_messenger.warning(m_texts.message(16));
            return false;
        }
        if (QFileInfo::exists(*chosen) && !m_messenger.ask(m_texts.message(25), m_texts.message(24),
                                                           Messenger::Icon::Question, true)) {
            request.fileName = *chosen; // back to the dialog, as a refused overwrite does
            continue;
        }
        QString error;
        if (!labelFile::save(*chosen, names, &error, m_texts)) {
            m_messenger.warning(error);
            return false;
        }
        return true;
    }
}

} // namespace lumo
