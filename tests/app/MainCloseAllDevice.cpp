// The device window's unit state for the Close All tests, in a unit of its own: the device
// window's header and the EEPROM windows' cannot be included together.
#include "devices/Longi2c.h"

void SetDeviceModified(bool Modified) { Longi2c::Modified = Modified; }
