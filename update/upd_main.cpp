// The updater program: see Updater.h.
#include "update/Updater.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return Updater::Run(args);
}
