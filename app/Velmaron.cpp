// The program: the main window first, then the title and the help file, then
// the message loop until the main window closes.

#include "app/Main.h"
#include "app/Splash.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/rtl/SysUtils.h"
#include "update/NuServer.h"

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  // Dates, times and decimal separators as the user's locale writes them.
  LoadSystemFormatSettings();
  Application->Initialize();
  Application->CreateForm(frmMain);
  // The quick-start window opens over the shown frame: a child shown before its
  // frame would lose the activation, and with it its life, at once.
  frmMain->Show();
  // The updater cannot speak to the user; what it could not do is told here.
  const std::string kept = NuServer::ProgramStarted();
  if (!kept.empty())
    MessageDlg("The last update could not put every file in place; the old files were kept.\n\n" + kept, mtWarning,
               mbOK, 0);
  if (frmMain->ShowSplash) Application->CreateForm(frmSplash);
  Application->SetTitle("Velmaron");
  Application->SetHelpFile("Velmaron.hlp");
  Application->Run();
  // What the run made goes before the process ends, so a leak check of the program sees its own.
  Application->Shutdown();
  return 0;
}
