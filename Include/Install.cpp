#include "Include/Install.h"

#include "Include/Core/PathText.h"
#include "Include/Program.h"

bool IsInstallerRun() {
    return EqualIgnoringAsciiCase(GetProgramFileName(), "Install.exe") ||
           EqualIgnoringAsciiCase(GetProgramParameter(1), "/Uninstall");
}
