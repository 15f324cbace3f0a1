// Start-up of the main window: from the process start to the window shown,
// once with the real clock (the time base measures the processor for one
// second) and once with a fake clock injected (the measurement takes no
// real time), both on the simulated adapter with a registry of their own.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <unistd.h>

#include "app/Main.h"
#include "platform/gui/Forms.h"
#include "platform/port/SimAdapter.h"
#include "platform/rtl/Clock.h"
#include "platform/rtl/Registry.h"

namespace {

// Milliseconds since this process started.
double ProcessAgeMs() {
  std::ifstream stat("/proc/self/stat");
  std::string all((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t close = all.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream rest(all.substr(close + 2));
  std::string field;
  unsigned long long start = 0;
  for (int i = 3; i <= 22 && rest >> field; ++i)
    if (i == 22) start = std::stoull(field);
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  const double nowMs = now.tv_sec * 1e3 + now.tv_nsec / 1e6;
  return nowMs - start * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

void StartAndShow() {
  Application->CreateForm(frmMain);
  Application->SetTitle("Velmaron");
  frmMain->Show();
  Application->ProcessMessages();
}

void Close() {
  TfrmMain* f = frmMain;
  f->BeforeDestruction();
  delete f;
}

// Ticks move with the counter readings so that no wait spins forever.
TFakeClock& FakeClock() {
  static TFakeClock clock;
  clock.NanosecondsPerCounterRead = 1000;
  return clock;
}

void BM_StartupRealClock(benchmark::State& state) {
  for (auto _ : state) {
    StartAndShow();
    state.PauseTiming();
    Close();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartupRealClock)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StartupFakeClock(benchmark::State& state) {
  TClockScope scope(FakeClock());
  for (auto _ : state) {
    StartAndShow();
    state.PauseTiming();
    Close();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_StartupFakeClock)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
  const double atMain = ProcessAgeMs();
  const auto dir = std::filesystem::temp_directory_path() / ("velmaron-startup-" + std::to_string(::getpid()));
  TRegistry::SetStoreDirectory(dir.string());
  TSimulatedAdapter sim;
  TPortBackendScope backend(sim);
  QApplication app(argc, argv);

  // The first window of the process, as the program starts it.
  const bool fake = argc > 1 && std::string(argv[argc - 1]) == "--first-with-fake-clock";
  if (fake) SetClock(&FakeClock());
  StartAndShow();
  const double shown = ProcessAgeMs();
  Close();
  SetClock(nullptr);
  std::printf("process start to main(): %.1f ms\nprocess start to main window shown (%s clock): %.1f ms\n", atMain,
              fake ? "fake" : "real", shown);
  if (fake) --argc;

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(dir);
  return 0;
}
