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
// run out. Watches do not nest: an inner one watches nothing.
struct BoxWatch {
    explicit BoxWatch(std::vector<int> answers = {});
    ~BoxWatch();
    // What was seen so far; the record starts anew.
    std::vector<RecordedBox> Seen();
    BoxWatch(const BoxWatch &) = delete;
    BoxWatch &operator=(const BoxWatch &) = delete;
};

// Closes every dialog that this thread shows as soon as it is activated,
// while it lives.
struct ClosingDialogs {
    ClosingDialogs();
    ~ClosingDialogs();
    // The caption of the last dialog closed, as it showed.
    std::string LastCaption() const;
    ClosingDialogs(const ClosingDialogs &) = delete;
    ClosingDialogs &operator=(const ClosingDialogs &) = delete;
};
