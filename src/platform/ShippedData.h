#pragma once
#include "platform/FileAccess.h"
#include <QString>
#include <QStringList>

namespace lumo {

// The data the program ships (language packs, tone files, the manual) and the working folder
// that a desktop start fills with it.
namespace shippedData {

// The shipped data beside the program: <program folder>/../share/lumo, which is
// /usr/share/lumo for the installed program and build/<preset>/share/lumo in a build.
QString folderBesideProgram(const QString& programFolder);

// The working folder of a start from the desktop menu: $LUMO_WORKDIR when set, else ~/Lumo.
QString homeWorkingFolder();

// Name of the list, inside the working folder, of the shipped files put there and the
// SHA-256 of each as put there.
inline constexpr char kListName[] = ".lumo-shipped";

struct FillResult {
    bool folderCreated = false;
    QStringList copied;  // absent before, copied now
    QStringList updated; // untouched since an earlier copy, replaced by the newer shipped one
    QStringList kept;    // changed by the user (or not a plain file): left alone
    // The first failure: the folder could not be made (fatal), or one file could not be
    // copied (the others still were). Empty when none.
    QString failedPath;
    FileError error;
    bool folderFailed = false;
};

// Creates `folder` when missing and puts every shipped file into it. Existing files are never
// overwritten unless they are byte for byte what an earlier fill put there (then a newer
// shipped version replaces them); a file the user edited, replaced or removed since is left
// as it is. Names are matched case-insensitively, as the working folder's lookups are.
FillResult fillFolder(const QString& shipped, const QString& folder);

} // namespace shippedData
} // namespace lumo
