#pragma once
#include "app/TForm1.h"
#include "platform/Clock.h"
