#include "tests/support/message_boxes.h"

#include <algorithm>
#include <utility>

static HHOOK boxHook;
static std::vector<RecordedBox> seenBoxes;
static std::vector<int> pendingAnswers;
static std::vector<HWND> openBoxes;  // recorded and answered, not yet destroyed

static std::string WindowText(HWND window)
{
    char text[1024] = {};
    if (window)
        GetWindowTextA(window, text, sizeof(text));
    return text;
}

static LRESULT CALLBACK BoxHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    HWND window = HWND(wParam);
    if (code == HCBT_DESTROYWND)
        std::erase(openBoxes, window);
    // A box may be activated more than once; it is recorded and answered once.
    if (code == HCBT_ACTIVATE && std::find(openBoxes.begin(), openBoxes.end(), window) == openBoxes.end()) {
        char className[32] = {};
        GetClassNameA(window, className, sizeof(className));
        // A message box is the dialog whose text is its static 0xFFFF; the
        // pickers and the About box are never answered here.
        if (!lstrcmpA(className, "#32770") && GetDlgItem(window, 0xFFFF)) {
            openBoxes.push_back(window);
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

BoxWatch::BoxWatch(std::vector<int> answers)
{
    seenBoxes.clear();
    openBoxes.clear();
    pendingAnswers = std::move(answers);
    boxHook = SetWindowsHookExA(WH_CBT, BoxHookProc, nullptr, GetCurrentThreadId());
}

BoxWatch::~BoxWatch()
{
    UnhookWindowsHookEx(boxHook);
    boxHook = nullptr;
}

std::vector<RecordedBox> BoxWatch::Seen()
{
    return std::exchange(seenBoxes, {});
}
