// The entry of every test program: a fault fails the program. Left to
// Wine's crash handler, a process that faulted now and then ends with the
// exit code 0, and ctest would count it as passed.
#include <windows.h>

#include <gtest/gtest.h>

#include <stdio.h>

static LONG WINAPI FailOnFault(EXCEPTION_POINTERS *)
{
    fflush(stdout);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

int main(int argc, char **argv)
{
    SetUnhandledExceptionFilter(FailOnFault);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
