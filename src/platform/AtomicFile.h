#pragma once
#include <QByteArray>
#include <QString>

namespace lumo {

// Replaces a file atomically: the bytes are written beside the target and renamed over it, so
// a failed save never destroys the previous file. On failure returns false and puts the
// system's reason into *error.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

} // namespace lumo
