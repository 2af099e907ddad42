#pragma once
#include "remote/BoxDevice.h"

namespace lumo {

// The line boxes of the FTDI layer: enumeration through GetFTDeviceCount and friends, each box
// a TFT232 opened by serial number. Works over every FTDI back end (libftdi1, the virtual
// registry, devices described in a file).
class FtdiBoxBus : public BoxBus {
public:
    int deviceCount() override;
    QString description(int index) override;
    QString serialNumber(int index) override;
    std::unique_ptr<BoxDevice> open(const QString& serialNumber) override;
};

} // namespace lumo
