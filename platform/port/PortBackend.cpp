#include "platform/port/PortBackend.h"

#include <cctype>
#include <cstdlib>

#include "platform/port/DirectIOBackend.h"
#include "platform/port/PortConfig.h"
#include "platform/port/PpdevBackend.h"

namespace {

TPortBackend* g_installed = nullptr;

std::string JoinProblems(const std::vector<std::string>& problems) {
  std::string all;
  for (const auto& p : problems) all += (all.empty() ? "" : "; ") + p;
  return all;
}

}  // namespace

bool ParsePortBackendKind(const std::string& text, TPortBackendKind& kind) {
  std::string t;
  for (char c : text) t += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (t == "auto") kind = TPortBackendKind::Auto;
  else if (t == "ppdev") kind = TPortBackendKind::Ppdev;
  else if (t == "direct") kind = TPortBackendKind::Direct;
  else if (t == "simulated") kind = TPortBackendKind::Simulated;
  else return false;
  return true;
}

std::string PortBackendKindName(TPortBackendKind kind) {
  switch (kind) {
    case TPortBackendKind::Auto: return "auto";
    case TPortBackendKind::Ppdev: return "ppdev";
    case TPortBackendKind::Direct: return "direct";
    case TPortBackendKind::Simulated: return "simulated";
  }
  return "auto";
}

void InstallPortBackend(TPortBackend* backend) { g_installed = backend; }
TPortBackend* InstalledPortBackend() { return g_installed; }

TOpenedBackend OpenPortBackend() {
  TOpenedBackend result;
  if (g_installed) {
    g_installed->Open();
    result.Backend = g_installed;
    return result;
  }
  // A test run never touches the machine's ports nor the user's settings: it
  // gets the simulated adapter with its default set.
  const bool testRun = std::getenv("VELMARON_TEST") != nullptr;
  TPortConfig config;
  if (!testRun) config = LoadPortConfig(DefaultPortConfigPath());
  std::string notes = JoinProblems(config.Problems);

  TPortBackendKind kind = testRun ? TPortBackendKind::Simulated : config.Backend;
  if (kind == TPortBackendKind::Ppdev || kind == TPortBackendKind::Auto) {
    auto ppdev = std::make_unique<TPpdevBackend>();
    if (ppdev->Open() || kind == TPortBackendKind::Ppdev) {
      result.FallbackError = notes;
      result.Owned = std::move(ppdev);
    } else {
      result.FallbackError = ppdev->LastError() + (notes.empty() ? "" : "; " + notes);
    }
  } else if (kind == TPortBackendKind::Direct) {
    TLptBases bases = KernelParportBases(ReadWholeTextFile);
    if (bases == TLptBases{0, 0, 0}) bases = config.Ports;
    auto direct = std::make_unique<TDirectIOBackend>(bases);
    direct->Open();
    result.FallbackError = notes;
    result.Owned = std::move(direct);
  }
  if (!result.Owned) {
    auto sim = BuildSimulatedAdapter(config);
    sim->Open();
    result.Owned = std::move(sim);
    if (result.FallbackError.empty()) result.FallbackError = notes;
  }
  result.Backend = result.Owned.get();
  return result;
}
