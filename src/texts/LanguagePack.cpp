#include "texts/LanguagePack.h"

#include "platform/AppConfig.h"
#include "platform/IniDocument.h"
#include "platform/WorkingFolder.h"

#include <QFileInfo>

namespace lumo::language {

namespace {

// Pack names from Config.ini or a menu may differ in letter case from the file on disk.
QString resolvePack(const QString& path) {
    const QFileInfo info(path);
    return workingFolder::resolveIn(info.path(), info.fileName());
}

bool packExists(const QString& path) {
    const QFileInfo info(resolvePack(path));
    return !path.isEmpty() && info.exists() && info.isFile();
}

} // namespace

bool loadLanguagePack(const QString& path, Texts& texts) {
    IniDocument pack;
    bool existed = false;
    const bool read =
        !path.isEmpty() && IniDocument::load(resolvePack(path), &pack, &existed) && existed;
    if (!read)
        pack = IniDocument();
    for (const TextDef& def : builtInTexts()) {
        const std::optional<QString> value =
            pack.value(sectionName(def.key.section), QString::number(def.key.key));
        texts.set(def.key.section, def.key.key, value ? *value : QString::fromUtf8(def.czech));
    }
    return read;
}

PackChoice choosePack(const QString& folder, const QString& languageFile) {
    PackChoice choice;
    choice.languageFile = languageFile;
    if (packExists(languageFile))
        return choice;
    if (!workingFolder::existsIn(folder, config::kFileName)) {
        choice.outcome = PackChoice::Outcome::Defaults;
        return choice;
    }
    choice.languageFile = QFileInfo(folder + '/' + kDefaultPack).filePath();
    choice.outcome = packExists(choice.languageFile) ? PackChoice::Outcome::LoadPack
                                                     : PackChoice::Outcome::Error;
    return choice;
}

PackChoice applyLanguage(const QString& folder, const QString& languageFile, Texts& texts) {
    const PackChoice choice = choosePack(folder, languageFile);
    switch (choice.outcome) {
    case PackChoice::Outcome::LoadPack:
        loadLanguagePack(choice.languageFile, texts);
        break;
    case PackChoice::Outcome::Defaults:
        texts.resetToDefaults();
        break;
    case PackChoice::Outcome::Error:
        break;
    }
    return choice;
}

std::vector<MenuEntry> languageMenuEntries(const QString& folder) {
    std::vector<MenuEntry> entries;
    for (const QString& path : workingFolder::listIn(folder, QStringLiteral("*.LNG"))) {
        if (static_cast<int>(entries.size()) == kMenuItemCount)
            break;
        const QString name = QFileInfo(path).fileName();
        entries.push_back({name.left(std::max<qsizetype>(0, name.size() - 4)), path});
    }
    return entries;
}

} // namespace lumo::language
