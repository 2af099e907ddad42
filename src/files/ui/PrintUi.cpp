#include "files/ui/PrintUi.h"
#include "files/PrintoutLayout.h"
#include "files/paint/DeviceLayouts.h"
#include "files/ui/FileCommands.h"
#include "files/ui/PrintPreview.h"
#include "files/ui/TForm4.h"
#include "params/ParameterModel.h"
#include "shell/Shell.h"
#include "texts/Texts.h"
#include <QPagedPaintDevice>

namespace lumo {

namespace {
const QString kPrintSettings = QStringLiteral("isknastaven1");
const QString kLabels = QStringLiteral("iskvizitek1");
} // namespace

PrintUi::PrintUi(QWidget* dialogParent, FileDialogs* dialogs, PrintRunner* runner)
    : m_parent(dialogParent), m_dialogs(dialogs), m_runner(runner) {}

PrintUi::~PrintUi() {
    // A dialog without a parent window (tests) is this part's to delete.
    if (m_form4 && !m_form4->parent())
        delete m_form4;
}

void PrintUi::attach(Shell& shell) {
    m_shell = &shell;
    // The toolkit's dialogs speak the shell's texts and messenger.
    if (!m_dialogs) {
        m_ownDialogs = std::make_unique<QtFileDialogs>(m_parent, shell.texts(), shell.messenger());
        m_dialogs = m_ownDialogs.get();
    }
    if (!m_runner) {
        m_ownRunner = std::make_unique<PreviewPrintRunner>(m_parent, shell.texts());
        m_runner = m_ownRunner.get();
    }
    shell.commands()
        .add(
            kPrintSettings, [this] { isknastaven1Click(); }, TextKey{TextSection::Menu, 14})
        .add(
            kLabels, [this] { iskvizitek1Click(); }, TextKey{TextSection::Menu, 32});
}

void PrintUi::applyTexts(const Texts& texts) {
    if (m_form4)
        m_form4->applyTexts(texts);
}

void PrintUi::isknastaven1Click() {
    if (!m_shell)
        return;
    CommandTable& commands = m_shell->commands();
    // The item stays disabled until the printout is sent or the user cancels.
    commands.setEnabled(kPrintSettings, false);
    // The values as they stand now; the set may change while the preview is open.
    const ParameterSet params = m_shell->model().params();
    const Texts& texts = m_shell->texts();
    PrintJob job;
    job.title = kSettingsPrintJob;
    job.layout = [params, &texts](QPagedPaintDevice& device) {
        return settingsPrintoutFor(device, params, texts);
    };
    m_runner->run(job);
    commands.setEnabled(kPrintSettings, true);
}

TForm4* PrintUi::labelDialog() {
    if (!m_form4 && m_shell)
        m_form4 =
            new TForm4(m_shell->texts(), m_shell->messenger(), *m_dialogs, *m_runner, m_parent);
    return m_form4;
}

void PrintUi::iskvizitek1Click() {
    if (TForm4* form = labelDialog())
        form->exec();
}

} // namespace lumo
