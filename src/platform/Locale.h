#pragma once
#include <QChar>

namespace lumo {

// The decimal separator of the system locale as Qt reports it ("," for cs_CZ, "." for C).
QChar decimalSeparator();

} // namespace lumo
