// One 50 MB file downloaded over HTTP from the tests' server on 127.0.0.1, through the
// engine alone and through the engine with the update wizard's download page showing it.
//
// Both sides run the same engine on the same kind of session and write the same file into
// the same folder; the engine lets the window system breathe between blocks on both. The
// only difference is what the wizard adds: its progress handler (file label, two bars,
// painting). The engine alone is therefore the least the same download can cost, and the
// wizard's time over it is what the display costs (it should stay within 1.5 times).
//
// Each iteration downloads one of two files of different bytes in turn (new data each
// time for the page cache and the bars), so neither side is timed on a repeated file only.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/gui/Forms.h"
#include "tests/update/TestServers.h"
#include "update/NUpdate.h"
#include "update/NuWizForm.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kFileBytes = 50u << 20;

struct TSite {
  fs::path root, target;
  std::unique_ptr<updatetest::TTestServer> server;
  TSite() {
    root = fs::temp_directory_path() / ("velmaron-bench-" + std::to_string(::getpid()));
    target = root / "app";
    fs::create_directories(target);
    for (int k = 0; k < 2; ++k) {
      std::string bytes(kFileBytes, 0);
      for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * (7 + 2 * k) + i / 4093) & 0xFF);
      std::ofstream(root / ("file" + std::to_string(k) + ".bin"), std::ios::binary) << bytes;
    }
    server = std::make_unique<updatetest::TTestServer>("http_server.py", std::vector<std::string>{root.string()});
  }
  ~TSite() {
    server.reset();
    std::error_code ec;
    fs::remove_all(root, ec);
  }
  std::string Url(int k) const { return server->Base() + "/files/file" + std::to_string(k) + ".bin"; }
};

TSite& Site() {
  static TSite site;
  return site;
}

void Download(benchmark::State& state, bool withWizard) {
  TSite& site = Site();
  TNetUpdate engine(nullptr);
  engine.SetUpdateType(httpUpdate);
  engine.SetTempDirectory(site.root.string());
  std::unique_ptr<TNUWIZ> page;
  if (withWizard) {
    page = std::make_unique<TNUWIZ>(nullptr);
    page->SetNetUpdate(&engine);
    page->PageControl1->SetActivePage(page->TabSheet6);
    page->Show();
  }
  engine.FileList()->Add()->FileSize = static_cast<int>(kFileBytes);
  if (engine.StartConnection() != 0) state.SkipWithError("no session");
  int k = 0;
  for (auto _ : state) {
    if (!engine.DownloadFile(site.Url(k), false, site.target.string() + "/")) state.SkipWithError("download failed");
    k ^= 1;
  }
  engine.StopConnection();
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kFileBytes));
}

void BM_EngineAlone(benchmark::State& state) { Download(state, false); }
void BM_ThroughTheWizard(benchmark::State& state) { Download(state, true); }

}  // namespace

BENCHMARK(BM_EngineAlone)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(6);
BENCHMARK(BM_ThroughTheWizard)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(6);
