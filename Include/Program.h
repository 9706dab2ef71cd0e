// The process frame: the object whose life brackets the run (last-resort handler, COM), the
// single-instance guard, immediate termination, the program's own path and parameters, and the
// folder of the files it writes.
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

// The folder for the files the program writes (options, the games folder, the error log), with a
// trailing backslash: the program directory when files can be created there, as for a copy
// unpacked on a desktop or a stick; otherwise the user's application-data folder + name + "\",
// made when missing. Where neither works, the program directory, whose failures are then reported
// when a file is written.
std::string DataDirectoryFor(const std::string& programDirectory, const std::string& name);
// Decides the data directory of this run once, at start; later calls keep the first decision.
void DecideDataDirectory(const std::string& name);
// The decided data directory. A run that decided none (a test program) decides it here, under
// the program file's name without extension.
std::string GetDataDirectory();
