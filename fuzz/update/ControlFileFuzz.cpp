// Reads arbitrary bytes as an update control file through the engine's
// steps (signature, application, version check, file list and its filter)
// and checks what the reader promises: no step raises, every result is one of
// its codes, the list stays within its cap, target folders are empty or end
// with a delimiter, the INI text keeps its bytes and reads back as UTF-8.
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Win1252.h"
#include "update/NUpdate.h"

#include "fuzz/FuzzScratch.h"

using namespace fuzzscratch;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  TIniText text;
  text.Parse(bytes);
  // Lines keep their bytes: a text with LF line ends comes back as it was.
  if (bytes.find('\r') == std::string::npos) Check(text.Text() == bytes);
  Check(IsValidUtf8(IniTextToUtf8(bytes)));

  const std::string file = Reset("update.inf", data, size);
  fs::create_directory(Root() / "tmp");
  TNetUpdate nu(nullptr);
  nu.SetUpdateType(fileUpdate);
  nu.SetTempDirectory((Root() / "tmp").string());
  nu.SetURL(file);
  nu.SetSignatureCheck(size % 2 == 0);
  nu.SetVersionCheck(size % 3 == 0 ? vcAlways : vcUpdateOnly);
  nu.SetUseCRC32(size % 5 == 0);
  Check(nu.StartConnection() == 0);
  const int read = nu.ReadControlFile();
  Check(read == 0 || read == 5 || (read == 4 && size == 0));  // an empty file is no file to copy
  const int check = nu.CheckVersion();
  Check(check >= 6 && check <= 11);
  const int count = nu.ReadFileList();
  Check(count >= 0 && count <= 10000 && nu.FileList()->Count() == count);
  for (int i = 0; i < count; ++i) {
    const std::string& dir = nu.FileList()->Items(i)->TargetDir;
    Check(dir.empty() || dir.back() == '/');
  }
  const int filtered = nu.FilterFileList();
  Check(filtered == (nu.FileList()->Count() == 0 ? -1 : 0));
  Check(nu.FileList()->Count() <= count);
  nu.StopConnection();
  Check(fs::is_empty(Root() / "tmp"));
  return 0;
}
