// Every test program marks itself as a test run before any test starts, also when it is started
// by hand rather than through CTest: settings and notes then go to a scratch folder of the run,
// never into the user's own settings folder.
#include <cstdlib>

namespace {
const bool kMarked = [] {
  setenv("VELMARON_TEST", "1", 0);
  return true;
}();
}  // namespace
