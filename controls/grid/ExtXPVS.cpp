#include "controls/grid/ExtXPVS.h"

namespace ExtXPVS {

bool Loaded() { return VisualStylesLoaded(); }

bool Bind() { return BindVisualStyles(); }

void Unbind() { UnbindVisualStyles(); }

}  // namespace ExtXPVS
