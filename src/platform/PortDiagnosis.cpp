#include "platform/PortDiagnosis.h"

#include "platform/SerialFile.h"
#include <QFile>
#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumo {

namespace {

QString groupName(gid_t gid) {
    group entry{};
    group* found = nullptr;
    char buffer[1024];
    if (getgrgid_r(gid, &entry, buffer, sizeof buffer, &found) != 0 || !found)
        return {};
    return QString::fromLocal8Bit(found->gr_name);
}

} // namespace

PortDiagnosis diagnoseSerialPort(const QString& path, const DeviceTree& tree) {
    using P = PortDiagnosis::Problem;
    PortDiagnosis d;
    const QString hostPath = tree.host(path);
    const QByteArray native = QFile::encodeName(hostPath);
    struct stat st {};
    if (native.isEmpty() || ::stat(native.constData(), &st) != 0) {
        d.systemError = native.isEmpty() ? ENOENT : errno;
        d.problem = d.systemError == EACCES ? P::Permission : P::Missing;
        return d;
    }
    if (S_ISDIR(st.st_mode)) {
        d.problem = P::NotTerminal;
        d.systemError = EISDIR;
        return d;
    }
    if (!tree.accessible(hostPath)) {
        d.problem = P::Permission;
        d.systemError = EACCES;
        d.group = groupName(st.st_gid);
        return d;
    }
    SerialFile file;
    int err = 0;
    const SerialFile::OpenResult result = file.open(hostPath, &err);
    d.systemError = err;
    switch (result) {
    case SerialFile::OpenResult::Ok:
        return d;
    case SerialFile::OpenResult::NotFound:
        d.problem = P::Missing;
        return d;
    case SerialFile::OpenResult::Failed:
        break;
    }
    switch (err) {
    case EACCES:
    case EPERM:
        d.problem = P::Permission;
        d.group = groupName(st.st_gid);
        break;
    case EBUSY:
        d.problem = P::InUse;
        d.holders = findDeviceHolders(path, tree);
        break;
    case ENOTTY:
    case EINVAL:
        d.problem = P::NotTerminal;
        break;
    default:
        d.problem = P::Other;
        break;
    }
    return d;
}

} // namespace lumo
