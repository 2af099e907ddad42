#include "link/ui/Dialog.h"
#include "params/ui/FieldBinder.h"
