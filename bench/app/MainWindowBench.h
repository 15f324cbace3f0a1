#pragma once
// The main window as the program starts it, for benchmarks of the windows it
// opens: its settings in a new temporary folder, on the clock and port backend
// in force when it is made.

#include <filesystem>
#include <string>

#include <unistd.h>

#include "app/Main.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/Registry.h"

class TMainWindowForBench {
 public:
  TMainWindowForBench() {
    dir_ = std::filesystem::temp_directory_path() / ("velmaron-eebench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
    TRegistry::SetStoreDirectory(dir_.string());
    Application->CreateForm(frmMain);
    frmMain->SetBounds(0, 0, 1200, 800);
    frmMain->Show();
    Application->ProcessMessages();
  }
  ~TMainWindowForBench() {
    TfrmMain* f = frmMain;
    f->BeforeDestruction();
    delete f;
    Application->ProcessMessages();
    TRegistry::SetStoreDirectory("");
    std::filesystem::remove_all(dir_);
  }
  TMainWindowForBench(const TMainWindowForBench&) = delete;
  TMainWindowForBench& operator=(const TMainWindowForBench&) = delete;

 private:
  std::filesystem::path dir_;
};
