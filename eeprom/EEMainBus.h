#pragma once
// The bus of the EEPROM windows in the program: the main window's bus
// routines, which refuse the bus while the status line's warning flash runs.

#include "app/bus/MainHost.h"
#include "eeprom/EEBusOps.h"

using TEEMainBus = TEEBusOf<TMainHost>;
