#include "platform/port/PortBackend.h"

#include <cctype>
#include <cstdlib>

#include "platform/port/DirectIOBackend.h"
#include "platform/port/PortConfig.h"
#include "platform/port/PpdevBackend.h"

namespace {

TPortBackend* g_installed = nullptr;
std::string g_installedReason;
std::string g_installedNotes;

// The first few problems, then how many more: a file of a thousand bad lines is one short note.
std::string JoinProblems(const std::vector<std::string>& problems) {
  constexpr size_t kShown = 5;
  std::string all;
  for (size_t i = 0; i < problems.size() && i < kShown; ++i) all += (all.empty() ? "" : "; ") + problems[i];
  if (problems.size() > kShown) all += "; and " + std::to_string(problems.size() - kShown) + " more";
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

const char* const kNoPortReason = "no parallel port on this machine";
const char* const kChosenReason = "chosen in the port settings";
const char* const kTestRunReason = "test run";

void InstallPortBackend(TPortBackend* backend, const std::string& simulatedReason, const std::string& configNotes) {
  g_installed = backend;
  g_installedReason = backend ? simulatedReason : std::string();
  g_installedNotes = backend ? configNotes : std::string();
}
TPortBackend* InstalledPortBackend() { return g_installed; }

TOpenedBackend OpenConfiguredBackend(const TPortConfig& config, TPpdevSystem& ppdevSystem,
                                     TDirectIOSystem& directSystem) {
  TOpenedBackend result;
  result.Notes = JoinProblems(config.Problems);
  const TPortBackendKind kind = config.Backend;
  if (kind == TPortBackendKind::Ppdev || kind == TPortBackendKind::Auto) {
    auto ppdev = std::make_unique<TPpdevBackend>(ppdevSystem, directSystem);
    // A port that is there but cannot be had stays an error the user is told
    // about; only a machine without any port gets the simulation unasked.
    if (ppdev->Open() || kind == TPortBackendKind::Ppdev || ppdev->MachineHasPort())
      result.Owned = std::move(ppdev);
    else
      result.SimulatedReason = kNoPortReason;
  } else if (kind == TPortBackendKind::Direct) {
    TLptBases bases = KernelParportBases(
        [&](const std::string& p, std::string& t) { return ppdevSystem.ReadTextFile(p, t); });
    if (bases == TLptBases{0, 0, 0}) bases = config.Ports;
    auto direct = std::make_unique<TDirectIOBackend>(bases, directSystem);
    direct->Open();
    result.Owned = std::move(direct);
  } else {
    result.SimulatedReason = kChosenReason;
  }
  if (!result.Owned) {
    auto sim = BuildSimulatedAdapter(config);
    sim->Open();
    result.Owned = std::move(sim);
  }
  result.Backend = result.Owned.get();
  return result;
}

TOpenedBackend OpenPortBackend() {
  if (g_installed) {
    TOpenedBackend result;
    g_installed->Open();
    result.Backend = g_installed;
    result.SimulatedReason = g_installedReason;
    result.Notes = g_installedNotes;
    return result;
  }
  // A test run never touches the machine's ports nor the user's settings: it
  // gets the simulated adapter with its default set.
  if (std::getenv("VELMARON_TEST") != nullptr) {
    TOpenedBackend result;
    result.Owned = BuildSimulatedAdapter(TPortConfig{});
    result.Owned->Open();
    result.Backend = result.Owned.get();
    result.SimulatedReason = kTestRunReason;
    return result;
  }
  return OpenConfiguredBackend(LoadPortConfig(DefaultPortConfigPath()), RealPpdevSystem(), RealDirectIOSystem());
}
