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

static int watches;

BoxWatch::BoxWatch(std::vector<int> answers)
{
    if (watches++)
        return;
    seenBoxes.clear();
    openBoxes.clear();
    pendingAnswers = std::move(answers);
    boxHook = SetWindowsHookExA(WH_CBT, BoxHookProc, nullptr, GetCurrentThreadId());
}

BoxWatch::~BoxWatch()
{
    if (--watches)
        return;
    UnhookWindowsHookEx(boxHook);
    boxHook = nullptr;
}

std::vector<RecordedBox> BoxWatch::Seen()
{
    return std::exchange(seenBoxes, {});
}

static HHOOK closingHook;
static std::string lastCaption;

static LRESULT CALLBACK CloseWhenActivated(int code, WPARAM wParam, LPARAM lParam)
{
    char className[16] = {};
    GetClassNameA(HWND(wParam), className, sizeof(className));
    if (code == HCBT_ACTIVATE && !lstrcmpA(className, "#32770")) {
        lastCaption = WindowText(HWND(wParam));
        PostMessageA(HWND(wParam), WM_CLOSE, 0, 0);
    }
    return CallNextHookEx(closingHook, code, wParam, lParam);
}

ClosingDialogs::ClosingDialogs()
{
    lastCaption.clear();
    closingHook = SetWindowsHookExA(WH_CBT, CloseWhenActivated, nullptr, GetCurrentThreadId());
}

ClosingDialogs::~ClosingDialogs()
{
    UnhookWindowsHookEx(closingHook);
}

std::string ClosingDialogs::LastCaption() const
{
    return lastCaption;
}
