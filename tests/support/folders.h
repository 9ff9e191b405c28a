// Where the test programs and the program they test lie.
#pragma once

#include <string>

// The folder of the running test program.
std::string TestsFolder();
// The tarnex.exe built beside the tests, or the one TARNEX_PROGRAM names.
std::string BuiltProgram();
