// Writes what the program learns about itself to ParameterEcho.txt beside itself, one item a line:
// parameters 0 to 3, the file name, the directory, and the mode.
#include "Include/Install.h"
#include "Include/Program.h"

#include <fstream>

int main() {
    std::ofstream out(GetProgramDirectory() + "ParameterEcho.txt", std::ios::binary | std::ios::trunc);
    for (int i = 0; i <= 3; ++i) out << GetProgramParameter(i) << "\n";
    out << GetProgramFileName() << "\n" << GetProgramDirectory() << "\n"
        << (IsInstallerRun() ? "installer" : "game") << "\n";
    return 0;
}
