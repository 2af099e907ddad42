#pragma once
#include "files/LabelFile.h"
#include "files/PrintDocument.h"
#include "files/PrintGeometry.h"

class QPaintDevice;

namespace lumo {

class ParameterSet;
class Texts;

// The layouts for a real device: its printable size, its horizontal logical resolution and
// the widths of its fonts.
PrintGeometry geometryOf(const QPaintDevice& device);

// The settings printout dated today in the system's short date format.
PrintDocument settingsPrintoutFor(QPaintDevice& device, const ParameterSet& params,
                                  const Texts& texts);
PrintDocument labelsFor(QPaintDevice& device, const LabelNames& names);

} // namespace lumo
