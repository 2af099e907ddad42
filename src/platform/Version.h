#pragma once
#include <QString>

namespace lumo {

// The program's product version formatted "%d.%02d.%02d.%02d" (3.6.0.4 gives "3.06.00.04").
QString programVersionText();

// "Lumo V" followed by the first four characters of the version text ("Lumo V3.06").
QString mainWindowCaption();

} // namespace lumo
