// Prints what the process holds before and after volume: a hundred thousand
// refreshes of the main window, a thousand About boxes. The tests check the
// same balances exactly over a few repetitions.
#include "app/about_box.h"
#include "app/startup.h"
#include "tests/support/gdi_objects.h"
#include "tests/support/long_run.h"
#include "tests/support/message_boxes.h"
#include "tests/support/services.h"

#include <stdio.h>

#include <sstream>

static double Now()
{
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return double(counter.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

static std::string Text(const Holdings &h)
{
    std::ostringstream out;
    PrintTo(h, &out);
    return out.str();
}

int main()
{
    StartProgram();
    double start = Now();
    {
        // Most ticks with no name (no SCM call), some where every tick asks the SCM.
        const TestService service("Volume", "run");
        Holdings first = {}, end = {};
        RunRefreshes(service.name, {500, 1500, 98000}, &first, &end);
        printf("100,000 refreshes in %.1f s\n", (Now() - start) / 1000);
        printf("  after the first: %s\n", Text(first).c_str());
        printf("  at the end:      %s\n", Text(end).c_str());
    }

    const ClosingDialogs closing;
    ShowAboutBox(nullptr, mainIcon);  // the first opening may leave lasting objects
    const int objects = CountGdiObjects(), handles = CountKernelHandles();
    start = Now();
    for (int i = 0; i < 1000; i++)
        ShowAboutBox(nullptr, mainIcon);
    printf("1,000 About boxes in %.1f s\n", (Now() - start) / 1000);
    printf("  GDI objects %d before, %d after; kernel handles %d before, %d after\n", objects, CountGdiObjects(),
           handles, CountKernelHandles());
    return 0;
}
