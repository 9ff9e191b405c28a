#include "tests/support/message_boxes.h"

static HHOOK boxHook;
static std::vector<RecordedBox> seenBoxes;
static std::vector<int> pendingAnswers;

static std::string WindowText(HWND window)
{
    char text[1024] = {};
    if (window)
        GetWindowTextA(window, text, sizeof(text));
    return text;
}

static LRESULT CALLBACK BoxHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        HWND window = HWND(wParam);
        char className[32] = {};
        GetClassNameA(window, className, sizeof(className));
        if (!lstrcmpA(className, "#32770")) {
            // The box's text is its static with identifier 0xFFFF.
            seenBoxes.push_back({WindowText(window), WindowText(GetDlgItem(window, 0xFFFF))});
            int answer = IDOK;
            if (!pendingAnswers.empty()) {
                answer = pendingAnswers.front();
                pendingAnswers.erase(pendingAnswers.begin());
            }
            PostMessageA(window, WM_COMMAND, answer, 0);
        }
    }
    return CallNextHookEx(boxHook, code, wParam, lParam);
}

void WatchMessageBoxes(std::vector<int> answers)
{
    seenBoxes.clear();
    pendingAnswers = std::move(answers);
    boxHook = SetWindowsHookExA(WH_CBT, BoxHookProc, nullptr, GetCurrentThreadId());
}

std::vector<RecordedBox> StopWatchingMessageBoxes()
{
    if (boxHook)
        UnhookWindowsHookEx(boxHook);
    boxHook = nullptr;
    return std::move(seenBoxes);
}
