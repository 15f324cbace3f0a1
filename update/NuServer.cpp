#include "update/NuServer.h"

#include "platform/rtl/SysUtils.h"
#include "update/NUpdate.h"
#include "update/NUpdateWiz.h"
#include "update/NuHousekeeping.h"
#include "update/NuPrefix.h"

namespace NuServer {

bool Apply(TNetUpdate& Engine, const std::string& Address, std::string& Problem) {
  const std::string a = Trim(Address);
  const std::string quoted = "The update server address \"" + a + "\" ";
  const size_t scheme = a.find("://");
  const std::string kind = scheme == std::string::npos ? std::string() : LowerCase(a.substr(0, scheme));
  if (kind != "http" && kind != "https" && kind != "ftp" && kind != "file") {
    Problem = quoted + "must begin with file://, http://, https:// or ftp://.";
    return false;
  }
  // The engine takes the address apart; it must name a host (but for file://) and a file.
  const size_t path = a.find('/', scheme + 3);
  if (path == std::string::npos || a.back() == '/' || (kind != "file" && path == scheme + 3)) {
    Problem = quoted + "names no server or no control file.";
    return false;
  }
  if (!NUpdate::ApplyControlFileURL(Engine, a)) {
    Problem = quoted + "cannot be used.";
    return false;
  }
  return true;
}

std::string ProgramStarted() {
  NUpdate::RemoveStaleFolders(GetTempDir());
  NUpdate::RemoveUpdaterLeftovers(NUpdate::AppDirectory());
  return NUpdate::TakeUpdaterNote();
}

void ConfigureProgram(TNetUpdate& Engine, TNetUpdateWizard& Wizard) {
  Engine.SetUpdateType(httpUpdate);
  Engine.SetUpdateConnect(nucConnectPrompt);
  Engine.SetUpdateUpdate(nuuPromptOnce);
  Engine.SetVersionCheck(vcUpdateOnly);
  Engine.SetExtractCAB(true);
  Engine.SetHTTPKeepAliveAuthentication(true);
  Engine.SetLogging(false);
  Engine.SetLogFileName("NUPDATE.LOG");
  Engine.SetTempDirectory(".");
  Engine.SetSignature("NetUpdate");
  Engine.SetAgent("TNetUpdate");
  Engine.SetPort(21);
  Engine.SetFTPPassive(false);
  Engine.SetUseCRC32(false);
  Engine.SetSignatureCheck(false);
  Engine.SetDateFormat("dd/mm/yyyy");
  Engine.SetTimeFormat("hh:nn");

  Wizard.SetCaption("Update Velmaron");
  Wizard.Font()->SetName("Verdana");
  Wizard.Font()->SetStyle(fsBold);
  Wizard.Font()->SetHeight(-12);
  Wizard.Font()->SetColor(clWindowText);
  Wizard.SetPosition(poScreenCenter);
  Wizard.SetBorderStyle(bsDialog);
  Wizard.SetNetUpdate(&Engine);
}

}  // namespace NuServer
