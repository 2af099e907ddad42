#include "app/ToolsPart.h"
#include "app/TForm3.h"
#include "platform/Messenger.h"
#include "platform/SoundOutput.h"
#include "platform/WorkingFolder.h"
#include "shell/Shell.h"
#include "texts/Texts.h"
#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace lumo {

ToolsPart::ToolsPart(QWidget* dialogParent, SoundOutput& sound, TForm2::Opener opener)
    : m_open(opener), m_sound(sound),
      m_about(std::make_unique<TForm2>(dialogParent, std::move(opener))),
      m_tones(std::make_unique<TForm3>(sound, dialogParent)) {}

ToolsPart::~ToolsPart() = default;

void ToolsPart::attach(Shell& shell) {
    m_shell = &shell;
    auto& commands = shell.commands();
    commands.add(
        QStringLiteral("Ukzkytn1"), [this] { showToneSamples(); }, TextKey{TextSection::Menu, 31});
    commands.add(
        QStringLiteral("Oprogramu1"), [this] { showAbout(); }, TextKey{TextSection::Menu, 44});
    commands.add(
        QStringLiteral("Npovda1"), [this] { showHelp(); }, TextKey{TextSection::Menu, 41});
    applyTexts(shell.texts());
}

void ToolsPart::showHelp() {
    if (!m_shell)
        return;
    const QString name = m_shell->texts().get(TextSection::OTHER, 37);
    QString found;
    if (!name.isEmpty() && workingFolder::exists(name) &&
        QFileInfo(workingFolder::resolve(name)).isFile())
        found = workingFolder::resolve(name);
    else if (name.endsWith(QLatin1String(".hlp"), Qt::CaseInsensitive)) {
        // Windows help cannot be shown here; the manual ships as HTML under the same name.
        const QString html = name.chopped(4) + QStringLiteral(".html");
        if (workingFolder::exists(html))
            found = workingFolder::resolve(html);
    }
    if (found.isEmpty()) {
        m_shell->messenger().message(m_shell->texts().get(TextSection::OTHER, 38));
        return;
    }
    const QString path = QFileInfo(found).absoluteFilePath();
    if (m_open)
        m_open(path);
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void ToolsPart::applyTexts(const Texts& texts) {
    m_about->applyTexts(texts);
    m_tones->applyTexts(texts);
}

void ToolsPart::showToneSamples() {
    if (!m_shell)
        return;
    if (!m_sound.hasOutputDevice()) {
        m_shell->messenger().message(m_shell->texts().message(15));
        return;
    }
    // Modal without a nested event loop: the main window's timer keeps ticking.
    m_tones->setWindowModality(Qt::ApplicationModal);
    m_tones->show();
    m_tones->raise();
}

void ToolsPart::showAbout() {
    m_about->setWindowModality(Qt::ApplicationModal);
    m_about->show();
    m_about->raise();
}

} // namespace lumo
