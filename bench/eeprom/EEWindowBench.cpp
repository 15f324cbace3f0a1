// Opening the 64 KB EEPROM window from the Device menu: the window created,
// its 131,072 cells filled, shown and painted for the first time (the message
// loop run until nothing is pending), on the simulated adapter with a fake
// clock. Also the fill alone, and a Read All of the whole device into the
// grids against the same read into a plain byte buffer (the bus work is the
// same; the difference is what the window adds per byte).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "bench/app/MainWindowBench.h"
#include "eeprom/EEBusOps.h"
#include "eeprom/EEMainBus.h"
#include "eeprom/Eeprom.h"
#include "platform/gui/Forms.h"
#include "platform/port/SimAdapter.h"
#include "platform/port/SimDevices.h"
#include "platform/rtl/Clock.h"
#include "platform/rtl/Registry.h"

namespace {

struct TBench {
  TFakeClock clock;
  TSimulatedAdapter sim;
  TClockScope clockScope{clock};
  TPortBackendScope backendScope{sim};
  TSimEeprom* ee = &sim.Add<TSimEeprom>(65536, 0xA0);
  std::unique_ptr<TMainWindowForBench> main;

  TBench() {
    clock.NanosecondsPerCounterRead = 1000;
    main = std::make_unique<TMainWindowForBench>();
  }
};

void Close(TCustomForm* w) {
  w->Release();
  Application->ProcessMessages();
}

void BM_Open64KWindowFillAndFirstPaint(benchmark::State& state) {
  TBench b;
  for (auto _ : state) {
    b.sim.ClearLog();
    frmMain->mnu64Kx8->Click();
    Application->ProcessMessages();
    frmEEPROM->Repaint();
    state.PauseTiming();
    Close(frmEEPROM);
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Open64KWindowFillAndFirstPaint)->Unit(benchmark::kMillisecond);

void BM_Fill64KGrids(benchmark::State& state) {
  TBench b;
  frmMain->mnu64Kx8->Click();
  Application->ProcessMessages();
  TfrmEEPROM* w = frmEEPROM;
  for (auto _ : state) w->SetUpGrids(65536, true);
  Close(w);
}
BENCHMARK(BM_Fill64KGrids)->Unit(benchmark::kMillisecond);

// Read All of 64 KB through the window (every byte into both grids as it comes) and the same
// sequential read through the same operation into a byte buffer only.
void BM_ReadAll64KIntoTheGrids(benchmark::State& state) {
  TBench b;
  b.sim.LogLines = false;
  frmMain->mnu64Kx8->Click();
  Application->ProcessMessages();
  TfrmEEPROM* w = frmEEPROM;
  for (auto _ : state) {
    w->btnReadClick(w);
    b.sim.ClearLog();
  }
  Close(w);
}
BENCHMARK(BM_ReadAll64KIntoTheGrids)->Unit(benchmark::kMillisecond);

void BM_ReadAll64KIntoABuffer(benchmark::State& state) {
  TBench b;
  b.sim.LogLines = false;
  TEESettings s;
  s.Kind = ekLarge;
  s.Size = 65536;
  TEEMainBus bus(*frmMain);
  for (auto _ : state) {
    TEEBusOps ops(bus, s);
    TEEBytes image;
    benchmark::DoNotOptimize(ops.ReadAll(image, [](uint32_t, uint8_t) {}));
    b.sim.ClearLog();
  }
}
BENCHMARK(BM_ReadAll64KIntoABuffer)->Unit(benchmark::kMillisecond);

}  // namespace
