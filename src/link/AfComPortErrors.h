#pragma once
#include <QString>
#include <stdexcept>

namespace lumo {

// Base of the serial component's errors: a standard exception carrying the message text.
class EAfError : public std::runtime_error {
public:
    explicit EAfError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& Message() const { return m_message; }

private:
    QString m_message;
};

// Raised by the port core while opening or configuring the device.
class EAfComPortCoreError : public EAfError {
public:
    using EAfError::EAfError;
};

// Raised by the component; the text carries " - ", the component's name and a blank.
class EAfComPortError : public EAfError {
public:
    using EAfError::EAfError;
};

// The component's and core's message texts.
namespace afTexts {
inline QString invalidPortNumber(int n) {
    return QStringLiteral("Invalid port number (COM%1)").arg(n);
}
inline QString cantOpenDevice(int n) {
    return QStringLiteral("Can't open device COM%1").arg(n);
}
inline QString errorSettingTimeouts() {
    return QStringLiteral("Error setting timeouts");
}
inline QString errorInitializingBuffers() {
    return QStringLiteral("Error initializing buffers");
}
inline QString errorSettingEventMask() {
    return QStringLiteral(" Error setting EventMask");
}
inline QString errorSettingDcb() {
    return QStringLiteral("Error setting parameters from DCB");
}
inline QString errorCreatingThreads() {
    return QStringLiteral("Error creating threads");
}
inline QString portNotClosed() {
    return QStringLiteral("Port is not closed");
}
inline QString readDataError() {
    return QStringLiteral("Read data error");
}
inline QString writeDataError(int requested, int free) {
    return QStringLiteral("Write data error [requested: %1, free: %2]").arg(requested).arg(free);
}
// The component's composition "%s - %s ": message, " - ", component name, a blank.
inline QString componentError(const QString& message, const QString& name) {
    return QStringLiteral("%1 - %2 ").arg(message, name);
}
} // namespace afTexts

} // namespace lumo
