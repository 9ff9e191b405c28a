// One blank-separated argument of the process command line.
#pragma once

#include <windows.h>

enum CommandLineResult {
    ArgumentFound = 1,     // the argument, in destination
    ArgumentMissing = 2,   // fewer arguments; destination emptied
    QuotesUnbalanced = 3,  // an odd number of double quotes; destination untouched
    ArgumentEmpty = 4,     // such as a pair of quotes; destination emptied
    ArgumentTooLong = 5,   // it does not fit destination; destination emptied
};

// Argument index of the process's command line (0 is the program's path).
// Quotes group blanks into an argument and are removed; TABs count as blanks.
int GetCommandLineArgument(DWORD index, char *destination, DWORD destinationSize);
// The same for a given command line.
int GetArgumentOfLine(const char *line, DWORD index, char *destination, DWORD destinationSize);
