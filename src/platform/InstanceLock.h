#pragma once
#include <QString>
#include <memory>

namespace lumo {

// The single-instance lock named "Lumo": a lock file in the user's runtime folder held with
// an exclusive advisory lock for the life of the process. The environment variable
// LUMO_INSTANCE_NAME overrides the name so tests can run instances side by side.
class InstanceLock {
public:
    explicit InstanceLock(const QString& name = QStringLiteral("Lumo"));
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when this process now holds the lock; false when another process does.
    bool acquire();

private:
    QString m_name;
    int m_fd = -1;
};

} // namespace lumo
