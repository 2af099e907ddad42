#pragma once
#include "files/PrintDocument.h"

namespace lumo {

// The page geometry of the settings printout, computed once per printout from the printable
// page size in dots and the horizontal logical resolution of the chosen printer.
struct PrintGeometry {
    double unit = 0;    // dots per millimetre, for both axes
    int width = 0;      // printable width in dots
    int height = 0;     // printable height in dots
    int truncation = 0; // field labels are cut to this many characters
    int headingX = 0;   // left heading column
    int labelX = 0;     // label column
    int valueX = 0;     // value column
    int dayX = 0;       // day-number column
    int nightX = 0;     // night-number column
    int lineStep = 0;   // distance between rows
    int breakLimit = 0; // a row at or below this starts a new page
    PrintRect frame;    // the blue frame of every page

    static PrintGeometry compute(int widthDots, int heightDots, int logicalDpiX);

    // Millimetres to the nearest dot.
    int dots(double millimetres) const;
};

} // namespace lumo
