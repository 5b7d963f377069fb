#pragma once
#include <windows.h>

#include <string>

namespace qs::test {

// A file in the folder of the running test program (where the build puts every program and library).
std::wstring besideThisProgram(const std::wstring& name);

struct ProgramRun {
    bool started = false;
    bool finished = false;  // false: still running at the deadline, and then ended by force
    DWORD exitCode = 99;
    std::string output;  // what it wrote to stdout and stderr, without the trailing line ends
};

// Runs a command line with its output captured, serving this thread's windows until it ends or
// `timeoutMs` passes.
ProgramRun runProgram(const std::wstring& commandLine, DWORD timeoutMs);

// regsvr32 /s on the Foldwatcher.dll built beside this program, in this test's Wine prefix.
bool registerFoldwatcher();

}  // namespace qs::test
