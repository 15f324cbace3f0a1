// The program: the main window first, then the title and the help file, then
// the message loop until the main window closes.

#include "app/Main.h"
#include "platform/gui/Forms.h"

int main(int argc, char** argv) {
  (void)argc;
  (void)argv;
  Application->Initialize();
  Application->CreateForm(frmMain);
  // The quick-start window comes with its own part of the program; until
  // then ShowSplash is only kept in the settings.
  Application->SetTitle("Velmaron");
  Application->SetHelpFile("Velmaron.hlp");
  Application->Run();
  return 0;
}
