// Ends through the program's termination paths so that tests can watch from outside:
//   immediate - TerminateProgramImmediately;
//   unhandled - an exception no handler catches, which reaches the last-resort handler.
// A global object's destructor would write TerminateProbe.destroyed beside the program: it must not.
#include "Include/Error.h"
#include "Include/Program.h"
#include "Include/ReportServices.h"

#include <windows.h>

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace {

struct TDestructionWitness {
    ~TDestructionWitness() { std::ofstream(GetProgramDirectory() + "TerminateProbe.destroyed") << "destroyed"; }
} Witness;

void Throw() { throw std::runtime_error("nobody catches this"); }
void ThrowThroughNoexcept() noexcept { Throw(); }

}  // namespace

int main(int argc, char** argv) {
    InstallReportServices();
    if (argc > 1 && std::strcmp(argv[1], "immediate") == 0) TerminateProgramImmediately();
    if (argc > 1 && std::strcmp(argv[1], "unhandled") == 0) ThrowThroughNoexcept();
    return 0;
}
