// The lookup-list INI file of an edit on arbitrary bytes: the lists read from it are held to the
// history's size; a save either writes a file that gives the same value and lists back, or,
// reported to the application, leaves the file byte for byte as it was.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "controls/inspector/ExtEdit.h"
#include "platform/gui/Forms.h"
#include "fuzz/FuzzInput.h"
#include "fuzz/FuzzScratch.h"

namespace {
TForm* gForm = nullptr;
std::string gFile;

std::string Contents() {
  std::ifstream in(gFile, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TExtEdit* NewEdit() {
  auto* e = new TExtEdit(gForm);
  e->SetName("Edit1");
  e->SetParent(gForm);
  e->Persistence()->Enable = true;
  e->Persistence()->Location = plInifile;
  e->Persistence()->Key = gFile;
  e->Persistence()->Section = "Edits";
  e->Lookup()->Enabled = true;
  e->Lookup()->History = true;
  e->LoadPersistence();
  return e;
}

std::string Lists(TExtEdit* e) {
  return e->Text() + "|" + e->Lookup()->DisplayList()->Text() + "|" + e->Lookup()->ValueList()->Text();
}
}  // namespace

// The font library keeps what it loads for the whole process.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig\n"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  setenv("VELMARON_TEST", "1", 1);
  Application->Initialize();
  gForm = new TForm(Application);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  gFile = fuzzscratch::Reset("lookup.ini", data, size);
  int reported = 0;
  Application->OnException = [&](TObject*, Exception&) { ++reported; };
  TExtEdit* e = NewEdit();
  const int loadReports = reported;
  const std::string lists = Lists(e);
  e->SavePersistence();
  delete e;
  if (reported > loadReports || loadReports) {
    Check(Contents() == bytes, "a file the save refused was changed");
  } else {
    TExtEdit* f = NewEdit();
    Check(Lists(f) == lists, "the saved value and lists did not read back");
    delete f;
  }
  Application->OnException = nullptr;
  return 0;
}
