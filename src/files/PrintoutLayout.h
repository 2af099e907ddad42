#pragma once
#include "files/PrintDocument.h"
#include "files/PrintGeometry.h"
#include <QString>

namespace lumo {

class ParameterSet;
class Texts;

inline const QString kSettingsPrintJob = QStringLiteral("Lumo print");

// The settings printout: every caption, label and option text of the three parameter pages
// in the active language with its value, the tone-detection values, the prefix, then the day
// and night numbers of every button that has one. `date` is the header's date as the system
// writes it in short form.
PrintDocument layoutSettingsPrintout(const ParameterSet& params, const Texts& texts,
                                     const PrintGeometry& geometry, const QString& date);

// A menu caption as displayed: without its accelerator marker ("&&" stays one "&").
QString withoutAccelerator(const QString& caption);

} // namespace lumo
