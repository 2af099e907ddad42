#pragma once
#include "params/ParameterSet.h"
#include <QString>

namespace lumo {

// What a part hands the compare view: a parameter set to hold against the window's, read from
// a unit or a file into a side buffer. The view lists every difference; the window's fields
// change only when the user takes values from it.
struct CompareRequest {
    ParameterSet other;
    QString title;         // the dialog's title; empty: the default compare title
    QString otherHeader;   // heading of the other set's column; empty: the default heading
    bool allowTake = true; // offer "Převzít" (taking the other value into the window)
};

} // namespace lumo
