// The process frame: the object whose life brackets the run (last-resort handler, COM), the
// single-instance guard, immediate termination, and the program's own path and parameters.
#pragma once

#include <string>

class TProgram {
public:
    TProgram();
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;
};

extern TProgram Program;

extern const char* const ProgramInstanceMutexPrefix;

// True when another process holds the program's mutex; otherwise keeps the mutex handle.
bool IsProgramInstanceRunning(const std::string& programName);
void CloseProgramInstance();

[[noreturn]] void TerminateProgramFun();
[[noreturn]] void TerminateProgramImmediately();

std::string GetProgramParameter(int index);
std::string GetProgramPath();
std::string GetProgramDirectory();  // with a trailing backslash
std::string GetProgramFileName();
