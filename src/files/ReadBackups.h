#pragma once
#include "params/ParameterSet.h"
#include "platform/FileAccess.h"
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

namespace lumo {

// A backup to keep: what kind of read it comes from, whether that read was complete, and the
// parameter set it left.
struct BackupRequest {
    enum class Kind {
        All,         // "Načíst vše" (and a compare with the unit, which reads everything)
        Settings,    // "Načíst nastavení"
        Numbers,     // "Načíst paměti čísel"
        Remote,      // a read over the telephone line
        BeforeWrite, // the unit's memory read just before a write replaced it
    };
    Kind kind = Kind::All;
    bool complete = true;
    const ParameterSet* params = nullptr;
};

// The backups of reads from the unit: settings files in one folder, named by date, time and
// kind ("2026-12-08_14-03-11_vse.KTF", "_neuplne" before the extension when the read was
// incomplete), so that they sort by age and a technician can tell them apart. Only the newest
// kKept files of that pattern are kept; other files in the folder are never touched.
class ReadBackups {
public:
    static constexpr int kKept = 200;
    // Writes the bytes; the default replaces the file atomically (tests inject a full disk).
    using Saver = std::function<bool(const QString& path, const QByteArray& bytes, FileError*)>;

    // The folder's name in the working folder.
    static QString folderName();
    static QString kindWord(BackupRequest::Kind kind);
    // The name of a backup taken at `when`; `serial` above 1 tells apart two taken in the same
    // second ("..._14-03-11-2_vse.KTF").
    static QString fileName(const QDateTime& when, BackupRequest::Kind kind, bool complete,
                            int serial = 1);
    static bool isBackupName(const QString& name);

    explicit ReadBackups(QString folder, Saver saver = {});
    const QString& folder() const { return m_folder; }

    // Creates the folder when missing; false with the reason when it cannot be one.
    bool ensureFolder(FileError* error) const;
    // Saves a backup and deletes the oldest beyond kKept. *path is the file meant, also when
    // the save failed and *error says why.
    bool save(const BackupRequest& request, const QDateTime& when, QString* path,
              FileError* error) const;
    // The backups in the folder, oldest first, as full paths.
    QStringList backups() const;
    // Deletes the oldest backups beyond kKept; returns how many went.
    int rotate() const;

private:
    QString m_folder;
    Saver m_saver;
};

} // namespace lumo
