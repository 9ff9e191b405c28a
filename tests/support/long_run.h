// The main window's refresh driven many times over, and what the process
// holds before and after: the leak check of the tests and of the volume
// benchmark.
#pragma once

#include <windows.h>

#include <string>

// What the process holds: GDI objects, the windows of the calling thread
// (children included), kernel handles, and SCM handles opened through the
// counting SCM calls and not closed.
struct Holdings {
    int gdiObjects, windows, kernelHandles, scmHandles;
    bool operator==(const Holdings &) const = default;
};
Holdings TakeHoldings();
void PrintTo(const Holdings &h, std::ostream *out);

// Ticks of the refresh in each state of the form: the service's name (SCM
// calls and a shown service), a missing name (SCM calls), no name.
struct TicksPerState {
    int shown, missing, empty;
};

// Runs the main window on the calling thread with SCM handles counted, and
// drives its refresh as its timer would: the form in each of its states
// once, then the given ticks in each, repainting now and then. first is what
// the process held after the first pass, end what it held at the end.
void RunRefreshes(const std::string &service, TicksPerState ticks, Holdings *first, Holdings *end);
