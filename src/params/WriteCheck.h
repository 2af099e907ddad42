#pragma once
#include "params/ParameterDiff.h"
#include "params/ParameterSet.h"
#include <QString>
#include <array>
#include <functional>
#include <vector>

namespace lumo {

class Texts;

// The outcome of a write checked by reading back what it wrote.
struct WriteCheck {
    enum class Outcome {
        WriteFailed,    // the write itself did not complete: nothing was read back
        ReadBackFailed, // the write completed, but what it wrote could not be read back
        Verified,       // the unit holds what was written
        Differs,        // the unit holds something else in `differences`
    };
    Outcome outcome = Outcome::WriteFailed;
    // The written parameters the unit holds otherwise: this side what was written, the other
    // side what was read back.
    std::vector<ParameterDifference> differences;
    // What the read-back found; parameters it did not read are as written.
    ParameterSet held;

    bool verified() const { return outcome == Outcome::Verified; }
};

// Which parameters a write carried: a parameter (a field, or an option group's box as
// ParameterDifference names it) is checked only when this says yes.
using WrittenParameters = std::function<bool(const QString& name)>;

// A local write: the settings image (every parameter it holds), the number memories, or both.
WrittenParameters locallyWritten(bool settings, bool numbers);
// A remote write: the parameters of the write groups 1..3 (basic, time, switches) that were
// sent, and the number memories 0..127 that were acknowledged.
WrittenParameters remotelyWritten(const std::array<bool, 3>& groups,
                                  const std::vector<int>& memories);

// `written` as the unit's memory gives it back: the settings passed through the settings
// image when `settings`, each memory through its number image when `numbers`, so that a
// read-back is compared like with like (a value the image cannot hold differs already here,
// not as a failed write).
ParameterSet expectedAfterWrite(const ParameterSet& written, bool settings, bool numbers,
                                const Texts& texts);

// Compares what a write should have left (`expected`) with what was read back (`held`),
// over the written parameters only. The firmware of the unit decides which fields exist:
// `expected` takes the version read back and its rules before the comparison.
WriteCheck checkWrite(ParameterSet expected, const ParameterSet& held,
                      const WrittenParameters& written, const Texts& texts);

// The set to hand the compare view so that it lists exactly the check's differences: the
// window's own values, with the held values of the differing parameters.
ParameterSet heldForComparison(const ParameterSet& window, const WriteCheck& check);

} // namespace lumo
