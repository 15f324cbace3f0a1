// The EEPROM operations of a 64 KB device on the simulated adapter with the
// real clock, and the 64 KB Intel HEX file.
//
// Set-up, as in the program: the processor clock from the time base (one
// second), the port search with its calibration, the bus clock set to 100 KHz.
// Every register access costs what a parallel-port access costs (1 µs through
// the driver, "Slow"; 0.4 µs direct, "Normal"), busy-waited by the adapter.
// The device: a 64 KB EEPROM at A0 (page 128, write cycle 5 ms); the window's
// page size 128 and Write Time 5 ms. New random data every iteration.
//
// BM_ReadAll64K/slow:S     one Read All of the whole device.
// BM_WriteAll64K/slow:S    one Write All: 512 page writes, each followed by the
//                          write time, then its Verify (a read of the device).
//
// Baselines, each the same work as the operation, no less and no more:
//   bus_s      the time the bytes need on the wire at the set clock: 9 clock
//              periods per byte (8 bits and the acknowledge), for a written byte
//              the 300 ns hold and two Delays after them, for a read byte a Delay
//              after each clock, for a start two Delays, and one period each for a
//              start, repeated start and stop; for Write All also the write time
//              after every page and the wait before Verify.
//   engine_s   the operation's own sequence of bus routines (the same starts,
//              bytes, acknowledge levels, stops and waits) called straight on the
//              engine in a loop, with no operation code in between: what the
//              engine alone takes, so ratio_engine is what the operation adds.
// Counters: op_s the operation's time, ratio_bus = op_s / bus_s (goals: Read
// All 1.05, Write All 1.10), ratio_engine = op_s / engine_s; for Write All the
// write phase (to the "Verifying" text) and Verify separately: write_s,
// write_ratio_bus, verify_s, verify_ratio_bus.
// The means carry every preemption of a loaded machine. The medians do not:
// med_ratio_bus is the median over the read's 1 KB pieces (Read All) or over
// the pages, each with its write time (Write All), of the piece's time over
// its bus time; med_engine the same for the engine alone. The pieces are timed
// from the operation's own hand-overs (each byte, each wait), and the engine
// loop takes the same timestamps. cpu_ratio_bus is the process's processor
// time during the operation over its bus time: every wait is a busy wait that
// ends at a deadline, so time the machine gave to others shows in the real
// time but not here (a wait cut short by a preemption makes it a little low).
// The figure without any load lies between cpu_ratio_bus and med_ratio_bus.
//
// BM_HexLoad64K, BM_HexSave64K: OpenHexFile and SaveHexFile of a 64 KB image of
// random bytes (4096 records) on the temporary folder; the save writes a
// temporary file, syncs it to the disk and renames it over the old one.
// BM_HexParse64K, BM_HexText64K: the same without the file system.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/bus/I2CBus.h"
#include "app/bus/InstHPTimerFunc.h"
#include "app/bus/PortIO.h"
#include "eeprom/EEBusOps.h"
#include "eeprom/EEFiles.h"
#include "platform/port/SimAdapter.h"
#include "platform/rtl/SysUtils.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }
double CpuSeconds() { return double(std::clock()) / CLOCKS_PER_SEC; }

double ProcessorMhz() {
  static const double mhz = [] {
    TInstHPTimeBase timeBase(nullptr);
    return timeBase.CPUSpeedMhz();
  }();
  return mhz;
}

constexpr uint32_t kSize = 65536;
constexpr uint32_t kPage = 128;
constexpr uint32_t kWriteTimeMs = 5;

struct TRig {
  TSimulatedAdapter sim;
  TPortBackendScope scope{sim};
  TPortIO port{nullptr};
  std::unique_ptr<TI2CBus> bus;
  TSimEeprom* ee = nullptr;

  explicit TRig(bool slow) {
    sim.SlowAccessNs = 1000;
    sim.NormalAccessNs = 400;
    sim.LogLines = false;
    sim.LogCapacity = 1024;
    ee = &sim.Add<TSimEeprom>(kSize, uint8_t{0xA0});
    ee->WriteCycleMicroseconds = kWriteTimeMs * 1000;
    port.OpenDriver("PortIODevice1");
    bus = std::make_unique<TI2CBus>(port, ProcessorMhz());
    bus->LPTAddresses = sim.PortBases;
    bus->SelectPort(1);
    if (!slow) bus->RestoreAccessMode(false);
    bus->SetFrequency(100);
  }
  double PeriodS() const { return 1e-3 / bus->Clock; }
  // What a written byte holds SCL low after its nine clocks: the 300 ns hold and two Delays.
  double WrittenTailS() const { return (0.3 + bus->DelaySlope * bus->DelayCount) * 1e-6; }
  // One Delay (half a written bit's turns): a start holds SCL low for two after its clock, a
  // read byte for one after each of its nine clocks.
  double DelayS() const { return bus->DelaySlope * bus->DelayCount / 2 * 1e-6; }
  // Bus time of a sequential read of the device from address 0.
  double ReadBusS() const { return PeriodS() * (1 + 3 * 9 + 1 + 9 + double(kSize) * 9 + 1) + 4 * WrittenTailS() +
                                (2 * 2 + double(kSize) * 9) * DelayS(); }
  double WriteBusS() const {
    const double pages = kSize / kPage;
    return pages * (PeriodS() * (1 + (3 + kPage) * 9 + 1) + (3 + kPage) * WrittenTailS() + 2 * DelayS() + kWriteTimeMs * 1e-3);
  }
};

// Times of consecutive pieces of work: Mark() ends one piece.
struct TPieces {
  std::vector<double> seconds;
  Clock::time_point last = Clock::now();
  void Mark() {
    const auto now = Clock::now();
    seconds.push_back(Seconds(last, now));
    last = now;
  }
  double Median() {
    if (seconds.empty()) return NAN;
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
  }
};
constexpr uint32_t kPiece = 1024;  // bytes of a timed piece of a read

// The engine alone: the same sequences as the operations.
void EngineRead(TI2CBus& bus, TEEBytes& out, TPieces& pieces) {
  uint8_t ack = 0;
  bus.I2CStart();
  bus.I2CWrite(0xA0);
  bus.I2CWrite(0);
  bus.I2CWrite(0);
  bus.I2CStart();
  bus.I2CWrite(0xA1);
  pieces.last = Clock::now();
  for (uint32_t a = 0; a + 1 < kSize; ++a) {
    out[a] = bus.I2CRead(0, ack);
    if (a % kPiece == kPiece - 1) pieces.Mark();
  }
  out[kSize - 1] = bus.I2CRead(1, ack);
  bus.I2CStop();
}

void EngineWrite(TI2CBus& bus, const TEEBytes& image, TPieces& pages) {
  pages.last = Clock::now();
  for (uint32_t addr = 0; addr < kSize; addr += kPage) {
    bus.I2CStart();
    bus.I2CWrite(0xA0);
    bus.I2CWrite(uint8_t(addr >> 8));
    bus.I2CWrite(uint8_t(addr & 0xFF));
    for (uint32_t i = 0; i < kPage; ++i) bus.I2CWrite(image[addr + i]);
    bus.I2CStop();
    bus.uSeconds(kWriteTimeMs * 1000);
    pages.Mark();
  }
}

// The engine's bus with a timestamp after every wait: the end of each page.
class TTimedBus : public TEEEngineBus {
 public:
  TTimedBus(TI2CBus& bus, TPieces& pages) : TEEEngineBus(bus), pages_(pages) {}
  void Wait(int32_t us) override {
    TEEEngineBus::Wait(us);
    pages_.Mark();
  }

 private:
  TPieces& pages_;
};

TEEBytes RandomImage(std::mt19937& rng) {
  TEEBytes b(kSize);
  for (auto& v : b) v = uint8_t(rng());
  return b;
}

TEESettings Device() { return TEESettings{ekLarge, kSize, 0xA0, kPage, kWriteTimeMs}; }

void BM_ReadAll64K(benchmark::State& state) {
  TRig rig(state.range(0) != 0);
  TEEEngineBus bus(*rig.bus);
  std::mt19937 rng(1);
  double op = 0, engine = 0, opCpu = 0;
  int n = 0, failed = 0;
  TPieces opPieces, enginePieces;
  for (auto _ : state) {
    rig.ee->Memory = RandomImage(rng);
    TEEBusOps ops(bus, Device());
    TEEBytes image;
    bool first = true;
    const auto onByte = [&](uint32_t a, uint8_t) {
      if (first) opPieces.last = Clock::now();  // the first byte ends the addressing
      first = false;
      if (a % kPiece == kPiece - 1 && a != kSize - 1) opPieces.Mark();
    };
    TEEBytes raw(kSize);
    double opS = 0, engineS = 0;
    const auto runOp = [&] {
      const auto t0 = Clock::now();
      const double c0 = CpuSeconds();
      failed += ops.ReadAll(image, onByte) != 0 || image != rig.ee->Memory;
      opS = Seconds(t0, Clock::now());
      opCpu += CpuSeconds() - c0;
    };
    const auto runEngine = [&] {
      const auto t0 = Clock::now();
      EngineRead(*rig.bus, raw, enginePieces);
      engineS = Seconds(t0, Clock::now());
    };
    // Turn about, so that a change in the machine's load meets both alike.
    if (n % 2 == 0) {
      runOp();
      runEngine();
    } else {
      runEngine();
      runOp();
    }
    op += opS;
    engine += engineS;
    ++n;
  }
  state.counters["kHz"] = rig.bus->Clock;
  state.counters["op_s"] = op / n;
  state.counters["bus_s"] = rig.ReadBusS();
  state.counters["engine_s"] = engine / n;
  state.counters["ratio_bus"] = op / n / rig.ReadBusS();
  state.counters["ratio_engine"] = op / engine;
  const double pieceBus = (rig.PeriodS() + rig.DelayS()) * kPiece * 9;
  state.counters["med_ratio_bus"] = opPieces.Median() / pieceBus;
  state.counters["cpu_ratio_bus"] = opCpu / n / rig.ReadBusS();
  state.counters["med_engine"] = enginePieces.Median() / pieceBus;
  state.counters["failed"] = failed;
}
BENCHMARK(BM_ReadAll64K)->ArgName("slow")->Arg(1)->Arg(0)->Iterations(4)->Unit(benchmark::kSecond)->UseRealTime();

void BM_WriteAll64K(benchmark::State& state) {
  TRig rig(state.range(0) != 0);
  TPieces opPages, enginePages;
  TTimedBus bus(*rig.bus, opPages);
  std::mt19937 rng(2);
  double writeS = 0, verifyS = 0, engine = 0, opCpu = 0;
  int n = 0, failed = 0;
  for (auto _ : state) {
    const TEEBytes image = RandomImage(rng);
    TEEBusOps ops(bus, Device());
    const size_t before = opPages.seconds.size();
    Clock::time_point verifying;
    ops.OnProgress = [&](const std::string& text) {
      if (text == EEVerifyingText) verifying = Clock::now();
    };
    Clock::time_point t0, t1, t2, t3;
    const auto runOp = [&] {
      t0 = Clock::now();
      opPages.last = t0;
      const double c0 = CpuSeconds();
      failed += ops.WriteAll(image) != EEWriteVerified;
      t1 = Clock::now();
      opCpu += CpuSeconds() - c0;
      opPages.seconds.pop_back();  // the wait before Verify is no page
      failed += opPages.seconds.size() - before != kSize / kPage;
    };
    // The engine alone: the pages, the wait before Verify and the read.
    const TEEBytes other = RandomImage(rng);
    const auto runEngine = [&] {
      t2 = Clock::now();
      EngineWrite(*rig.bus, other, enginePages);
      rig.bus->uSeconds(kWriteTimeMs * 1000);
      TEEBytes raw(kSize);
      TPieces unused;
      EngineRead(*rig.bus, raw, unused);
      t3 = Clock::now();
      failed += raw != other;
    };
    // Turn about, so that a change in the machine's load meets both alike.
    if (n % 2 == 0) {
      runOp();
      runEngine();
    } else {
      runEngine();
      runOp();
    }
    writeS += Seconds(t0, verifying);
    verifyS += Seconds(verifying, t1);
    engine += Seconds(t2, t3);
    ++n;
  }
  const double verifyBus = kWriteTimeMs * 1e-3 + rig.ReadBusS();
  state.counters["kHz"] = rig.bus->Clock;
  state.counters["op_s"] = (writeS + verifyS) / n;
  state.counters["bus_s"] = rig.WriteBusS() + verifyBus;
  state.counters["engine_s"] = engine / n;
  state.counters["ratio_bus"] = (writeS + verifyS) / n / (rig.WriteBusS() + verifyBus);
  state.counters["ratio_engine"] = (writeS + verifyS) / engine;
  state.counters["write_s"] = writeS / n;
  state.counters["write_ratio_bus"] = writeS / n / rig.WriteBusS();
  state.counters["verify_s"] = verifyS / n;
  state.counters["verify_ratio_bus"] = verifyS / n / verifyBus;
  const double pageBus = rig.WriteBusS() / (kSize / kPage);
  state.counters["med_ratio_bus"] = opPages.Median() / pageBus;
  state.counters["cpu_ratio_bus"] = opCpu / n / (rig.WriteBusS() + verifyBus);
  state.counters["med_engine"] = enginePages.Median() / pageBus;
  state.counters["failed"] = failed;
}
BENCHMARK(BM_WriteAll64K)->ArgName("slow")->Arg(1)->Arg(0)->Iterations(4)->Unit(benchmark::kSecond)->UseRealTime();

// ---------------------------------------------------------------- HEX files

std::string TempName(const char* name) { return GetTempDir() + "velmaron-eebench-" + name; }

void BM_HexLoad64K(benchmark::State& state) {
  std::mt19937 rng(3);
  const std::string file = TempName("load.hex");
  for (auto _ : state) {
    state.PauseTiming();
    const TEEBytes image = RandomImage(rng);
    SaveHexFile(file, image);
    state.ResumeTiming();
    const TEELoadResult r = OpenHexFile(kSize, file);
    if (!r.Ok || r.Data != image) state.SkipWithError("HEX file did not read back");
  }
  DeleteFile(file);
}
BENCHMARK(BM_HexLoad64K)->Unit(benchmark::kMillisecond);

void BM_HexSave64K(benchmark::State& state) {
  std::mt19937 rng(4);
  const std::string file = TempName("save.hex");
  for (auto _ : state) {
    state.PauseTiming();
    const TEEBytes image = RandomImage(rng);
    state.ResumeTiming();
    SaveHexFile(file, image);
  }
  DeleteFile(file);
}
BENCHMARK(BM_HexSave64K)->Unit(benchmark::kMillisecond);

void BM_HexParse64K(benchmark::State& state) {
  std::mt19937 rng(5);
  for (auto _ : state) {
    state.PauseTiming();
    const std::string text = HexFileText(RandomImage(rng));
    state.ResumeTiming();
    benchmark::DoNotOptimize(ParseHexFile(kSize, text));
  }
}
BENCHMARK(BM_HexParse64K)->Unit(benchmark::kMillisecond);

void BM_HexText64K(benchmark::State& state) {
  std::mt19937 rng(6);
  for (auto _ : state) {
    state.PauseTiming();
    const TEEBytes image = RandomImage(rng);
    state.ResumeTiming();
    benchmark::DoNotOptimize(HexFileText(image));
  }
}
BENCHMARK(BM_HexText64K)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
