// Records and answers the message boxes that the calling thread shows, so
// that no test waits for a person.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct RecordedBox {
    std::string caption;
    std::string text;
};

// Starts recording on this thread; each box is answered with the next of
// answers, and with IDOK once they run out.
void WatchMessageBoxes(std::vector<int> answers = {});
// Stops recording and returns what was seen.
std::vector<RecordedBox> StopWatchingMessageBoxes();
