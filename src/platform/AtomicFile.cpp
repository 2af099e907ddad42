#include "platform/AtomicFile.h"

#include <QSaveFile>

namespace lumo {

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    // QSaveFile writes to a temporary file beside the target, flushes it and renames it over
    // the target only when everything was written.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    if (file.write(bytes) != bytes.size()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace lumo
