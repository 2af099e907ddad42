#pragma once
#include "files/LabelFile.h"
#include "files/PrintDocument.h"

namespace lumo {

inline const QString kLabelPrintJob = QStringLiteral("Label Vexo");

// Name labels: framed cells 56 x 12.5 mm, two to a row (left edges at 10 and 79 mm, rows every
// 15 mm from 10 mm), the names in the order Edit1, Edit13, Edit2, Edit14 ... Edit12, Edit24.
// Empty names take no cell. Each name is set bold at the largest size from 16 pt down that is
// at most 49 mm wide; below kSmallestLabelPoint it stays at that size, clipped to its cell.
namespace labelLayout {

constexpr int kLargestPoint = 16;
// Small enough for 20 characters in any common face, still legible on a name plate.
constexpr int kSmallestPoint = 6;

// Index (0..23, Edit1 = 0) of the i-th name to print.
int printOrder(int i);

// The bold size for `name` and whether it fits 49 mm at that size.
struct FontChoice {
    int pointSize;
    bool fits;
};
FontChoice chooseFont(const QString& name, double unit, const TextMetrics& metrics);

// The labels on pages of the given printable size (dots) and horizontal resolution.
PrintDocument layout(const LabelNames& names, int widthDots, int heightDots, int logicalDpiX,
                     const TextMetrics& metrics);

} // namespace labelLayout
} // namespace lumo
