#include "app/ComparePart.h"
#include "files/ParameterFiles.h"
#include "files/ui/FileCommands.h"
#include "params/Comparison.h"
#include "params/FieldRules.h"
#include "params/FieldTable.h"
#include "params/ParameterModel.h"
#include "platform/Messenger.h"
#include "platform/WorkingFolder.h"
#include "shell/Shell.h"
#include "texts/MessageKeys.h"
#include "texts/Texts.h"
#include <QTimer>
#include <QWidget>

namespace lumo {

ComparePart::ComparePart(QWidget* dialogParent, UnitReader reader, FileDialogs* dialogs)
    : m_parent(dialogParent), m_reader(std::move(reader)), m_dialogs(dialogs) {}

ComparePart::~ComparePart() = default;

void ComparePart::attach(Shell& shell) {
    m_shell = &shell;
    if (!m_dialogs) {
        m_ownDialogs = std::make_unique<QtFileDialogs>(m_parent, shell.texts(), shell.messenger());
        m_dialogs = m_ownDialogs.get();
    }
    shell.commands().add(
        QStringLiteral("Porovnatsjednotkou1"), [this] { compareWithUnit(); },
        TextKey{TextSection::Menu, 17});
    shell.commands().add(
        QStringLiteral("Porovnatsesouborem1"), [this] { compareWithFile(); },
        TextKey{TextSection::Menu, 18});
}

void ComparePart::show(const ParameterModel& side, int headerKey) {
    CompareRequest request;
    request.other = side.params();
    request.otherHeader = m_shell->texts().message(headerKey);
    m_shell->showComparison(request);
}

void ComparePart::compareWithUnit() {
    if (!m_shell || !m_reader || m_shell->busy())
        return;
    // The unit's memory, kept alive by the read's continuation until the dialog has shown it.
    auto side = std::make_shared<ParameterModel>();
    m_reader(*side, [this, side](bool ok) {
        // The dialog opens once the transfer's own call has returned, not inside it.
        if (ok)
            QTimer::singleShot(0, this, [this, side] { show(*side, Msg::CompareUnitColumn); });
    });
}

bool ComparePart::loadSide(const QString& path, const ParameterModel& window, ParameterModel& side,
                           QString* error, const Texts& texts) {
    ParameterSet loaded = window.params();
    if (!loadParameterFile(path, loaded, error, &texts))
        return false;
    // What a settings file never holds is no difference.
    for (const FieldDef& f : fieldTable())
        if (f.fileCoding == FileCoding::None) {
            const QString name = QString::fromLatin1(f.name);
            loaded.setText(name, window.params().text(name));
        }
    loaded.setFirmwareVersion(window.params().firmwareVersion());
    side.params() = loaded;
    return true;
}

void ComparePart::compareWithFile() {
    if (!m_shell || !m_dialogs)
        return;
    const Texts& t = m_shell->texts();
    FileDialogRequest request;
    request.kind = FileDialogRequest::Kind::Open;
    request.title = t.message(Msg::CompareFileTitle);
    request.filter = t.message(22) + QStringLiteral(" Vexo|*.KTF|JSON|*.json|") + t.message(27) +
                     QStringLiteral("    *.*|*.*");
    request.folder = workingFolder::current();
    const std::optional<QString> chosen = m_dialogs->run(request);
    if (!chosen)
        return;
    ParameterModel side;
    QString error;
    if (!loadSide(*chosen, m_shell->model(), side, &error, t)) {
        m_shell->messenger().warning(error);
        return;
    }
    show(side, Msg::CompareFileColumn);
}

} // namespace lumo
