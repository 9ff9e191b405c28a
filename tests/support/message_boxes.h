// Records and answers the message boxes that the calling thread shows while
// it lives, so that no test waits for a person.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct RecordedBox {
    std::string caption;
    std::string text;
};

// Each box is answered with the next of answers, and with IDOK once they
// run out.
struct BoxWatch {
    explicit BoxWatch(std::vector<int> answers = {});
    ~BoxWatch();
    // What was seen so far; the record starts anew.
    std::vector<RecordedBox> Seen();
    BoxWatch(const BoxWatch &) = delete;
    BoxWatch &operator=(const BoxWatch &) = delete;
};
