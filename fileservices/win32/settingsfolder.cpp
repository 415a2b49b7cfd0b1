#include "fileservices/settingsfolder.h"

#include "fileservices/hostpath.h"

namespace hostpath {

// Where Windows users expect it: beside the program.
std::string SettingsFolder() { return ProgramFolder(); }

}  // namespace hostpath
