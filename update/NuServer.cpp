#include "update/NuServer.h"

#include <cctype>

#include "platform/rtl/SysUtils.h"
#include "update/NUpdate.h"
#include "update/NUpdateWiz.h"

namespace NuServer {
namespace {

std::string PercentDecode(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

bool StartsWithNoCase(const std::string& s, const std::string& prefix) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

// Splits "scheme://[user[:password]@]host[:port]/path" after the scheme.
struct TParts {
  std::string User, Password, Authority, Host, Path;
  int Port = 0;
};

bool Split(const std::string& Rest, TParts& p) {
  size_t slash = Rest.find('/');
  std::string authority = Rest.substr(0, slash);
  p.Path = slash == std::string::npos ? std::string() : Rest.substr(slash);
  if (size_t at = authority.rfind('@'); at != std::string::npos) {
    std::string info = authority.substr(0, at);
    authority = authority.substr(at + 1);
    size_t colon = info.find(':');
    p.User = PercentDecode(info.substr(0, colon));
    if (colon != std::string::npos) p.Password = PercentDecode(info.substr(colon + 1));
  }
  p.Authority = authority;
  p.Host = authority;
  size_t colon = authority.rfind(':');
  if (colon != std::string::npos && authority.find(']', colon) == std::string::npos) {
    p.Host = authority.substr(0, colon);
    if (!TryStrToInt(authority.substr(colon + 1), p.Port) || p.Port <= 0 || p.Port > 65535) return false;
  }
  // A control file is named: a path that does not end with "/".
  return !p.Host.empty() && !p.Path.empty() && p.Path.back() != '/';
}

}  // namespace

bool Apply(TNetUpdate& Engine, const std::string& Address, std::string& Problem) {
  const std::string a = Trim(Address);
  auto refuse = [&](const std::string& why) {
    Problem = "The update server address \"" + a + "\" " + why;
    return false;
  };
  TParts p;
  if (StartsWithNoCase(a, "http://") || StartsWithNoCase(a, "https://")) {
    size_t after = a.find("://") + 3;
    if (!Split(a.substr(after), p)) return refuse("names no host, no valid port or no control file.");
    Engine.SetUpdateType(httpUpdate);
    // Credentials go to the server as a login, never as part of an address that status texts show.
    Engine.SetUserID(p.User);
    Engine.SetPassword(p.Password);
    Engine.SetURL(a.substr(0, after) + p.Authority + p.Path);
    return true;
  }
  if (StartsWithNoCase(a, "file://")) {
    std::string path = a.substr(7);
    if (StartsWithNoCase(path, "localhost/")) path = path.substr(9);
    if (path.empty() || path[0] != '/' || path.back() == '/')
      return refuse("names no control file (file:///directory/file).");
    Engine.SetUpdateType(fileUpdate);
    Engine.SetURL(PercentDecode(path));
    return true;
  }
  if (StartsWithNoCase(a, "ftp://")) {
    if (!Split(a.substr(6), p)) return refuse("names no host, no valid port or no control file.");
    Engine.SetUpdateType(ftpUpdate);
    Engine.SetHost(p.Host);
    Engine.SetPort(p.Port ? p.Port : 21);
    Engine.SetUserID(p.User);
    Engine.SetPassword(p.Password);
    Engine.SetFTPDirectory(PercentDecode(p.Path.substr(0, p.Path.rfind('/') + 1)));
    Engine.SetURL("ftp://" + p.Authority + p.Path);
    return true;
  }
  return refuse("must begin with file://, http://, https:// or ftp://.");
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
