#pragma once
#include "remote/RemoteReadView.h"
#include <QString>

namespace lumo {

class Texts;

// How far a remote read has come, for people: the settings block or memory being read, of how
// many, and the exchange overall. Shown by the read dialog and by the write dialog's
// read-back.
QString readProgressText(const Texts& texts, const RemoteProgress& p);

} // namespace lumo
