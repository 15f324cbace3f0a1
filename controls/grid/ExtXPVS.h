#pragma once
// The grid family's visual-styles binding. The program has one binding
// (platform/gui/VisualStyles.h), bound at its first use; this unit names it
// for the grid's controls. Users test Loaded() (or VisualStylesUsable())
// before drawing themed parts and draw the classic look otherwise.

#include "platform/gui/VisualStyles.h"

namespace ExtXPVS {

// The loaded flag.
bool Loaded();
// Binds now (later calls do nothing); true when a library is bound.
bool Bind();
// Frees the library.
void Unbind();

}  // namespace ExtXPVS
