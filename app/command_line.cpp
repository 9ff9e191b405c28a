// Picking one argument out of a command line.
#include "app/command_line.h"

#include <string.h>

#include <algorithm>
#include <string>

constexpr char Blank = ' ';
constexpr char Tab = '\t';
constexpr char Quote = '"';
// Stands for a blank inside quotes while the line is split at blanks.
constexpr char QuotedBlank = char(0xFE);

int GetArgumentOfLine(const char *line, DWORD index, char *destination, DWORD destinationSize)
{
    size_t quotes = 0;
    for (const char *c = line; *c; c++)
        quotes += *c == Quote;
    if (quotes % 2)
        return QuotesUnbalanced;

    // A working copy as long as the line, so that no line is too long for it.
    std::string work(line);
    bool quoted = false;
    for (char &c : work) {
        if (c == Tab)
            c = Blank;
        if (c == Quote)
            quoted = !quoted;
        else if (quoted && c == Blank)
            c = QuotedBlank;
    }

    destination[0] = '\0';
    size_t at = work.find_first_not_of(Blank);
    if (at == std::string::npos)
        return ArgumentMissing;  // an empty or all-blank line has no argument 0
    for (DWORD argument = 0; argument < index; argument++) {
        at = work.find(Blank, at);
        if (at == std::string::npos)
            return ArgumentMissing;
        // Blanks at the very end start one more, empty, argument.
        at = work.find_first_not_of(Blank, at);
        if (at == std::string::npos)
            at = work.size();
    }

    const size_t end = std::min(work.find(Blank, at), work.size());
    std::string argument;
    for (size_t i = at; i < end; i++)
        if (work[i] != Quote)
            argument += work[i] == QuotedBlank ? Blank : work[i];
    if (argument.size() >= destinationSize)
        return ArgumentTooLong;
    memcpy(destination, argument.c_str(), argument.size() + 1);
    return argument.empty() ? ArgumentEmpty : ArgumentFound;
}

int GetCommandLineArgument(DWORD index, char *destination, DWORD destinationSize)
{
    return GetArgumentOfLine(GetCommandLineA(), index, destination, destinationSize);
}
