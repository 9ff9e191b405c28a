// Picking one argument out of a command line.
#include "app/command_line.h"

constexpr char Blank = ' ';
constexpr char Tab = '\t';
constexpr char Quote = '"';
// Stands for a blank inside quotes while the line is split at blanks.
constexpr char QuotedBlank = char(0xFE);

static size_t NextBlank(const char *work, size_t at, size_t length)
{
    while (at < length && work[at] != Blank)
        at++;
    return at;
}

static size_t NextNonBlank(const char *work, size_t at, size_t length)
{
    while (at < length && work[at] == Blank)
        at++;
    return at;
}

// Copies work[at, end) without its quotes into destination, if it fits.
static int TakeArgument(const char *work, size_t at, size_t end, char *destination, DWORD destinationSize)
{
    size_t count = 0;
    for (size_t i = at; i < end; i++)
        count += work[i] != Quote;
    if (count >= destinationSize)
        return ArgumentTooLong;
    char *out = destination;
    for (size_t i = at; i < end; i++)
        if (work[i] != Quote)
            *out++ = work[i] == QuotedBlank ? Blank : work[i];
    *out = '\0';
    return count ? ArgumentFound : ArgumentEmpty;
}

int GetArgumentOfLine(const char *line, DWORD index, char *destination, DWORD destinationSize)
{
    size_t quotes = 0, length = 0;
    for (; line[length]; length++)
        quotes += line[length] == Quote;
    if (quotes % 2)
        return QuotesUnbalanced;

    destination[0] = '\0';
    // A working copy as long as the line, so that no line is too long for it.
    char *work = static_cast<char *>(GlobalAlloc(GMEM_FIXED, length + 1));
    if (!work)
        return ArgumentMissing;
    bool quoted = false;
    for (size_t i = 0; i <= length; i++) {
        const char c = line[i] == Tab ? Blank : line[i];
        if (c == Quote)
            quoted = !quoted;
        work[i] = quoted && c == Blank ? QuotedBlank : c;
    }

    int result = ArgumentMissing;  // an empty or all-blank line has no argument 0
    size_t at = NextNonBlank(work, 0, length);
    if (at < length) {
        DWORD argument = 0;
        for (; argument < index; argument++) {
            at = NextBlank(work, at, length);
            if (at == length)
                break;
            // Blanks at the very end start one more, empty, argument.
            at = NextNonBlank(work, at, length);
        }
        if (argument == index)
            result = TakeArgument(work, at, NextBlank(work, at, length), destination, destinationSize);
    }
    GlobalFree(work);
    return result;
}

int GetCommandLineArgument(DWORD index, char *destination, DWORD destinationSize)
{
    return GetArgumentOfLine(GetCommandLineA(), index, destination, destinationSize);
}
