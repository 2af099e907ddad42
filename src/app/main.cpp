#include "app/ComparePart.h"
#include "app/GuiMessenger.h"
#include "app/QtSoundOutput.h"
#include "app/TForm1.h"
#include "app/TForm8.h"
#include "app/ToolsPart.h"
#include "files/ui/BackupUi.h"
#include "files/ui/PrintUi.h"
#include "link/LocalLinkSettings.h"
#include "link/ui/LocalTransferUi.h"
#include "params/ParameterModel.h"
#include "params/ui/TForm13.h"
#include "platform/InstanceLock.h"
#include "platform/ShippedData.h"
#include "platform/SystemClock.h"
#include "remote/ui/RemoteUi.h"
#include "shell/Shell.h"
#include "shell/ui/DialogPlacement.h"
#include "sim/Simulation.h"
#include "texts/FileErrorText.h"
#include "texts/Texts.h"
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTranslator>

namespace {

// --home-folder (the desktop menu's start): work in ~/Lumo, filled with the shipped data on
// first start. Returns the message to show when that failed, empty otherwise.
QString enterHomeFolder(const lumo::Texts& texts) {
    using namespace lumo;
    const QString folder = shippedData::homeWorkingFolder();
    const auto result = shippedData::fillFolder(
        shippedData::folderBesideProgram(QCoreApplication::applicationDirPath()), folder);
    QString problem;
    if (!result.failedPath.isEmpty())
        problem = texts
                      .message(result.folderFailed ? messageKey::kHomeFolderFailed
                                                   : messageKey::kShippedCopyFailed)
                      .arg(QDir::toNativeSeparators(result.failedPath),
                           fileErrorText(result.error, texts));
    // Without the folder the program still runs, in the folder it was started in.
    if (!result.folderFailed)
        QDir::setCurrent(folder);
    return problem;
}

} // namespace

int main(int argc, char** argv) {
    // A second copy ends at once and silently; the lock is held until the process ends.
    lumo::InstanceLock lock;
    if (!lock.acquire())
        return 0;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lumo"));
    QGuiApplication::setDesktopFileName(QStringLiteral("invalid.lumo.Lumo"));
    // The standard dialogs and message-box buttons speak Czech like the built-in texts
    // ("Ano"/"Ne", as the questions themselves refer to them).
    QTranslator qtTranslator;
    if (qtTranslator.load(QStringLiteral("qtbase_cs"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    // Options begin with "--"; the first other argument names a settings file.
    QStringList files;
    bool simulate = false;
    bool homeFolder = false;
    const QStringList arguments = QApplication::arguments().mid(1);
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--simulate"))
            simulate = true;
        else if (argument == QLatin1String("--home-folder"))
            homeFolder = true;
        else if (!argument.startsWith(QLatin1String("--")))
            files.append(argument);
    }
    if (simulate) {
        QString error;
        if (!lumo::sim::startSimulatedDevices(&error))
            QMessageBox::warning(nullptr, lumo::GuiMessenger::defaultTitle(), error);
    }

    lumo::Texts texts;
    if (homeFolder) {
        // Files named on the command line stay the ones meant, wherever the program works.
        for (QString& file : files)
            file = QFileInfo(file).absoluteFilePath();
        if (const QString problem = enterHomeFolder(texts); !problem.isEmpty())
            QMessageBox::warning(nullptr, lumo::GuiMessenger::defaultTitle(), problem);
    }

    lumo::ParameterModel model;
    lumo::LocalLinkState link;
    lumo::GuiMessenger messenger;
    lumo::SystemClock clock;
    lumo::Shell shell(clock, messenger, model, texts);
    lumo::TForm1 form1(shell);
    messenger.setParent(&form1);
    lumo::TForm8 form8;
    lumo::TForm13 form13(&form1);
    form1.attachToneDialog(&form13);
    // The subsystems' parts, before start-up: they take their settings from Config.ini.
    lumo::LocalTransferUi localLink(shell, link, &form1);
    form1.addPart(localLink);
    lumo::RemoteUi remote(&form1);
    form1.addPart(remote);
    lumo::PrintUi printing(&form1);
    form1.addPart(printing);
    lumo::QtSoundOutput sound;
    lumo::ToolsPart tools(&form1, sound);
    form1.addPart(tools);
    lumo::ComparePart compare(&form1, [&localLink](lumo::ParameterModel& side, auto done) {
        return localLink.readUnitInto(side, std::move(done));
    });
    form1.addPart(compare);
    lumo::BackupUi backups;
    form1.addPart(backups);

    form1.setEnabled(false);
    lumo::centreOnScreen(&form1);
    form1.show();
    form1.startUp(files, &form8);
    // Closing the main window (Konec included) ends the program: it is the last window shown.
    return app.exec();
}
