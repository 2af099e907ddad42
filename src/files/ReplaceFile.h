#pragma once
#include <QByteArray>
#include <QString>

namespace lumo {

// Replaces a file with `bytes`: written beside the target and renamed over it only when every
// byte reached the disk, so a failed save (disk full, file-size limit, no permission) leaves the
// previous file as it was. On failure *error holds the system's reason.
bool replaceFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace lumo
