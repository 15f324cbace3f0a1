// What the input fuzzers share: a broken model check stops the run where libFuzzer keeps the
// input, and the input is taken a byte at a time (zeros once it is used up).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

inline void Check(bool ok, const char* what = "a model check") {
  if (ok) return;
  fprintf(stderr, "broken: %s\n", what);
  __builtin_trap();
}

struct TReader {
  const uint8_t* p;
  size_t n;
  uint8_t Byte() { return n ? (--n, *p++) : 0; }
};
