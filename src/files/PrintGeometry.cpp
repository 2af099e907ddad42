#include "files/PrintGeometry.h"
#include <algorithm>
#include <cmath>

namespace lumo {

int PrintGeometry::dots(double millimetres) const {
    return int(std::lround(millimetres * unit));
}

PrintGeometry PrintGeometry::compute(int widthDots, int heightDots, int logicalDpiX) {
    PrintGeometry g;
    g.unit = dotsPerMillimetre(logicalDpiX > 0 ? logicalDpiX : 1);
    g.width = widthDots;
    g.height = heightDots;
    const double u = g.unit;
    const double widthMm = widthDots / u;
    // 46 characters of the 9 pt face fill 75 mm of the half page left of the value column.
    g.truncation = std::max(1, int(std::lround(((widthMm - 30) / 2) / 75 * 46)));
    g.headingX = g.dots(14);
    g.labelX = g.dots(20);
    g.valueX = int(std::lround(u * ((widthMm - 20) / 2 + 18)));
    const double third = u * ((widthMm - 20) / 3 + 10);
    g.dayX = int(std::lround(5 * u + third));
    g.nightX = 2 * int(std::lround(third));
    g.lineStep = g.dots(5);
    g.breakLimit = heightDots - g.dots(15) - g.lineStep;
    g.frame = PrintRect{g.dots(10), g.dots(10), widthDots - g.dots(10), heightDots - g.dots(10)};
    return g;
}

} // namespace lumo
