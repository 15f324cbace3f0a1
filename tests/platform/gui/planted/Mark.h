// A planted plugin's only deed: once loaded, it says so in the file
// VELMARON_PLUGIN_MARK names. Code that runs at load time is what a real
// planted plugin would abuse.
#pragma once

#include <cstdio>
#include <cstdlib>

struct TPlantedMark {
  explicit TPlantedMark(const char* name) {
    const char* file = std::getenv("VELMARON_PLUGIN_MARK");
    if (!file) return;
    if (FILE* out = std::fopen(file, "a")) {
      std::fprintf(out, "%s loaded\n", name);
      std::fclose(out);
    }
  }
};
