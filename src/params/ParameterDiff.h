#pragma once
#include "params/ParameterSet.h"
#include <QString>
#include <vector>

namespace lumo {

class Texts;

// One parameter that differs between two sets, as the compare view and `lumo-cli diff` show it.
struct ParameterDifference {
    QString name;        // the field, or the option group's box for an option group
    QString page;        // TabSheetN; empty for a parameter that is on no page
    QString pageCaption; // the page's caption in the given texts
    QString caption;     // the row's caption; a number memory adds its DAY/NIGHT frame
    QString thisValue;   // as the printout shows it; empty when the field is not available
    QString otherValue;
    bool thisAvailable = true; // false: hidden because the firmware lacks the parameter
    bool otherAvailable = true;
};

// Every parameter whose value differs between `mine` and `other`, walked from the field table:
// the pages in tab order, on each page in table order; parameters on no page come last.
// An option group counts once, with the captions of the checked buttons. A field hidden in a
// set (its firmware lacks it) counts as empty there.
std::vector<ParameterDifference> diffParameters(const ParameterSet& mine, const ParameterSet& other,
                                                const Texts& texts);

} // namespace lumo
