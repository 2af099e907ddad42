#pragma once
#include "platform/FileAccess.h"
#include <QByteArray>
#include <QString>

namespace lumo {

// Replaces a file atomically: the bytes are written to a new file beside the target, flushed
// and renamed over it, so a failed save never destroys the previous file. A symbolic link is
// kept: the save goes to the file it points to. A target that is not a regular file (a FIFO,
// a device, a folder) is refused and left alone. An existing file keeps its permissions.
bool saveFileAtomically(const QString& path, const QByteArray& bytes, FileError* error);

// The same, with the reason as a plain text for callers that only log it.
bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// A short plain description of a file error (errno's text); messages shown to the user come
// from the texts table instead.
QString plainFileErrorText(const FileError& error);

} // namespace lumo
