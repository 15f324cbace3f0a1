// The program's update server setting: the address of the update control file,
// turned into the engine's transport and location.
#pragma once

#include <string>

class TNetUpdate;
class TNetUpdateWizard;

namespace NuServer {

// Gives Engine the transport and location of an address beginning with file://,
// http://, https:// or ftp:// that names a control file (the engine takes it
// apart). False, with Problem saying why, for any other address; the engine is
// left as it was then.
bool Apply(TNetUpdate& Engine, const std::string& Address, std::string& Problem);

// The program's own settings of its engine and wizard (the wizard is bound to the engine).
void ConfigureProgram(TNetUpdate& Engine, TNetUpdateWizard& Wizard);

// At the program's start: removes what crashed or killed update runs left in
// the temporary directory and in the program's folder, and returns what the updater could not put in place
// last time ("" when all went well), once.
std::string ProgramStarted();

}  // namespace NuServer
