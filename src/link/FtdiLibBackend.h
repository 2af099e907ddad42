#pragma once
#include "link/FtdiApi.h"

namespace lumo {

// The FT_* back end for real FTDI devices, on libftdi1. Enumeration asks every FTDI device
// for its strings (a device that cannot tell them is listed with empty ones); opening finds
// the device by its serial number or description and opens it on the same context. Each open
// device has one I/O thread that owns its context: it keeps a read-ahead queue filled, so the
// receive count never blocks, and runs every other call in turn.
FtdiBackend& libFtdiBackend();

} // namespace lumo
