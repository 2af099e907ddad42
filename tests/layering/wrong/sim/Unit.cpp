#include "link/AfComPort.h"
#include "shell/Shell.h"
