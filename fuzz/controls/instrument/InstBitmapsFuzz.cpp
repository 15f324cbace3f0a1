// The bitmap-list reader takes any bytes: it either appends every bitmap or
// raises an error and leaves the list as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "controls/instrument/InstClasses.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TInstBitmaps list;
  TBitmap one;
  one.SetSize(2, 2);
  list.Add(&one);
  TMemoryStream ms;
  ms.Write(data, static_cast<int64_t>(size));
  ms.SetPosition(0);
  try {
    list.LoadFromStream(&ms);
  } catch (const Exception&) {
    if (list.Count() != 1) std::abort();
    return 0;
  }
  for (int i = 0; i < list.Count(); ++i) (void)list.Bitmaps(i)->Width();
  return 0;
}
