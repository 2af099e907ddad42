#pragma once
#include <QIcon>

namespace lumo {

// The pictures of the six transfer tool buttons, drawn in code: a green arrow towards the
// computer for reading, a red arrow towards the unit for writing, with a mark for what moves
// (everything, the settings, the number memories).
enum class ToolGlyph { ReadAll, ReadSettings, ReadNumbers, WriteAll, WriteSettings, WriteNumbers };

QIcon toolGlyph(ToolGlyph glyph, int size = 22);

} // namespace lumo
