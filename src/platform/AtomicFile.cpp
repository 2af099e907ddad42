#include "platform/AtomicFile.h"

#include <QSaveFile>

namespace lumo {

bool writeFileAtomically(const QString& path, const QByteArray& bytes, QString* error) {
    // QSaveFile writes to a temporary file beside the target and renames it over the target
    // only on commit.
    QSaveFile file(path);
    auto fail = [&] {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    };
    // Unbuffered, so a short write shows up here: through the write buffer a partial write on
    // a full disk is dropped silently and the truncated file is committed as if complete.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail();
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            return fail();
        done += n;
    }
    if (!file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace lumo
