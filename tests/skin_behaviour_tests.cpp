// Attachment and behaviour of skinned buttons, seen as the messages that
// reach the original procedures of the buttons and of their parent.
#include "skin/button.h"
#include "skin/paint.h"
#include "skin/parent.h"
#include "skin/record.h"
#include "tests/support/gdi_objects.h"
#include "tests/support/gui_driver.h"
#include "tests/support/seams.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <vector>

struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;
};
static std::vector<Seen> seen;
static LRESULT parentDefaultId;  // the recording parent's answer to DM_GETDEFID
constexpr LRESULT ParentDrawResult = 77;
static const char RealProcProperty[] = "TEST_REAL_PROC";

static LRESULT CALLBACK RecordingParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    seen.push_back({window, message, wParam});
    if (message == DM_GETDEFID)
        return parentDefaultId;
    if (message == WM_DRAWITEM)
        return ParentDrawResult;
    return DefWindowProcA(window, message, wParam, lParam);
}

// Sits under the skin on each test button: what reaches it reached the
// button's own procedure.
static LRESULT CALLBACK RecordingButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    seen.push_back({window, message, wParam});
    return CallWindowProcA(reinterpret_cast<WNDPROC>(GetPropA(window, RealProcProperty)), window, message, wParam,
                           lParam);
}

static int Count(HWND window, UINT message)
{
    return int(std::count_if(seen.begin(), seen.end(),
                             [&](const Seen &s) { return s.window == window && s.message == message; }));
}

static bool NeedsPaint(HWND window)
{
    return GetUpdateRect(window, nullptr, FALSE);
}

class SkinBehaviour : public testing::Test {
protected:
    HWND parent = nullptr;
    SkinDescriptor standard = {};

    void SetUp() override
    {
        static ATOM parentClass = [] {
            WNDCLASSA c = {};
            c.lpfnWndProc = RecordingParentProc;
            c.hInstance = GetModuleHandleA(nullptr);
            c.lpszClassName = "TarnexTestParent";
            c.hCursor = LoadCursorA(nullptr, IDC_ARROW);
            return RegisterClassA(&c);
        }();
        ASSERT_TRUE(parentClass);
        parent = CreateWindowExA(0, "TarnexTestParent", "skin test", WS_POPUP | WS_VISIBLE, 100, 100, 400, 300,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        SetStandardDescriptor(&standard);
        parentDefaultId = 0;
        EXPECT_TRUE(MovePointerTo(5, 5));
        seen.clear();
    }

    void TearDown() override
    {
        DestroyWindow(parent);
        hotControl = nullptr;
        menuOwner = nullptr;
        savedClassCursor = nullptr;
        tooltipWindow = nullptr;
        seen.clear();
    }

    HWND AddButton(DWORD style, int id, int x = 10, int y = 10, int width = 80, int height = 30)
    {
        HWND button = CreateWindowExA(0, "BUTTON", "Go", WS_CHILD | WS_VISIBLE | style, x, y, width, height, parent,
                                      HMENU(INT_PTR(id)), GetModuleHandleA(nullptr), nullptr);
        SetPropA(button, RealProcProperty, HANDLE(GetWindowLongPtrA(button, GWLP_WNDPROC)));
        SetWindowLongPtrA(button, GWLP_WNDPROC, LONG_PTR(RecordingButtonProc));
        return button;
    }

    static POINT PointAt(HWND control, int fromRight = -1)
    {
        RECT window;
        GetWindowRect(control, &window);
        const POINT at = {fromRight < 0 ? (window.left + window.right) / 2 : window.right - fromRight,
                          (window.top + window.bottom) / 2};
        EXPECT_TRUE(MovePointerTo(at.x, at.y));
        return at;
    }

    // Hovers the control with the real pointer as a person would: the control
    // becomes hot on a move after the previous hot control's leave.
    static void Hover(HWND control, int fromRight = -1)
    {
        const POINT at = PointAt(control, fromRight);
        for (int step = 0; step < 100 && hotControl != control; step++) {
            EXPECT_TRUE(MovePointerTo(at.x + step % 2, at.y));
            Sleep(20);
        }
        ASSERT_EQ(hotControl, control);
    }
};

TEST_F(SkinBehaviour, AttachingMakesTheButtonOwnerDrawnAndKeepsOtherBits)
{
    HWND push = AddButton(BS_PUSHBUTTON | WS_TABSTOP | BS_FLAT, 1);
    HWND defaultPush = AddButton(BS_DEFPUSHBUTTON | WS_TABSTOP, 2);
    HWND check = AddButton(BS_AUTOCHECKBOX, 3);
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(AttachSkin(nullptr, &standard), 0);
    EXPECT_EQ(AttachSkin(HWND(0x12345678), &standard), 0);
    for (HWND button : {push, defaultPush, check})
        ASSERT_EQ(AttachSkin(button, &standard), 1);

    const DWORD style = GetWindowLongA(defaultPush, GWL_STYLE);
    EXPECT_EQ(style & 0xF, DWORD(BS_OWNERDRAW));
    EXPECT_TRUE(style & WS_TABSTOP);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_TRUE(GetWindowLongA(push, GWL_STYLE) & BS_FLAT);

    EXPECT_EQ(SkinRecord(push)->buttonKind, 0u);
    EXPECT_EQ(SkinRecord(defaultPush)->buttonKind, DWORD(BS_DEFPUSHBUTTON));
    EXPECT_EQ(SkinRecord(check)->buttonKind, DWORD(BS_AUTOCHECKBOX));
    EXPECT_EQ(SkinRecord(check)->checkState, 1u);
    EXPECT_EQ(SkinRecord(defaultPush)->savedStyle & 0xF, BS_DEFPUSHBUTTON);

    // BM_GETCHECK is answered by the skin from now on.
    seen.clear();
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), 1);
    EXPECT_EQ(Count(check, BM_GETCHECK), 0);
}

TEST_F(SkinBehaviour, DetachingRestoresStyleAndCheckMark)
{
    HWND check = AddButton(BS_AUTOCHECKBOX | WS_TABSTOP, 3);
    const LONG original = GetWindowLongA(check, GWL_STYLE);
    AttachSkin(check, &standard);
    SendMessageA(check, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SkinRecord(check)->checkState, 1u);
    ASSERT_EQ(AttachSkin(check, nullptr), 1);
    EXPECT_EQ(SkinRecord(check), nullptr);
    EXPECT_EQ(GetWindowLongA(check, GWL_STYLE), original);
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);  // answered by the button again
    // Detaching an unskinned control is harmless.
    EXPECT_EQ(AttachSkin(check, nullptr), 1);
}

TEST_F(SkinBehaviour, ReattachingKeepsWhatTheFirstAttachmentLearned)
{
    HWND check = AddButton(BS_AUTOCHECKBOX, 3);
    const LONG original = GetWindowLongA(check, GWL_STYLE);
    AttachSkin(check, &standard);
    SkinDescriptor other = standard;
    other.normalTextColor = RGB(1, 2, 3);
    AttachSkin(check, &other);
    EXPECT_EQ(SkinRecord(check)->skin.normalTextColor, RGB(1, 2, 3));
    EXPECT_EQ(SkinRecord(check)->buttonKind, DWORD(BS_AUTOCHECKBOX));
    AttachSkin(check, nullptr);
    EXPECT_EQ(GetWindowLongA(check, GWL_STYLE), original);
}

TEST_F(SkinBehaviour, OneParentSubclassForManyChildrenAndOwnCopiesOfTheDescriptor)
{
    const LONG_PTR parentProc = GetWindowLongPtrA(parent, GWLP_WNDPROC);
    HWND first = AddButton(0, 1);
    HWND second = AddButton(0, 2);
    standard.normalIcon = HICON(1);
    AttachSkin(first, &standard);
    standard.normalIcon = HICON(2);
    AttachSkin(second, &standard);
    standard = {};  // the descriptor is not referenced afterwards
    EXPECT_EQ(SkinRecord(first)->skin.normalIcon, HICON(1));
    EXPECT_EQ(SkinRecord(second)->skin.normalIcon, HICON(2));
    EXPECT_EQ(GetWindowLongPtrA(parent, GWLP_WNDPROC), LONG_PTR(SkinParentProc));
    EXPECT_EQ(LONG_PTR(GetPropA(parent, OldProcProperty)), parentProc);
    EXPECT_EQ(GetWindowLongPtrA(first, GWLP_WNDPROC), LONG_PTR(SkinButtonProc));
    EXPECT_EQ(LONG_PTR(GetPropA(first, OldProcProperty)), LONG_PTR(RecordingButtonProc));
}

// A 7 x 3 bitmap: key colour at (0, 0) and where '.' stands.
static HBITMAP ShapeBitmap(const char *rows[3])
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 7, 3);
    HDC dc = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 7; x++)
            SetPixel(dc, x, y, rows[y][x] == '.' ? RGB(255, 0, 255) : RGB(0, 0, 90 + 10 * x));
    SelectObject(dc, old);
    DeleteDC(dc);
    return bitmap;
}

TEST_F(SkinBehaviour, RegionsHoldExactlyTheOpaquePixels)
{
    const char *rows[3] = {".##.###", "#.#.#.#", "####..."};
    HBITMAP bitmap = ShapeBitmap(rows);
    const int before = CountGdiObjects();
    HRGN region = RegionFromBitmap(bitmap);
    ASSERT_TRUE(region);
    EXPECT_EQ(CountGdiObjects(), before + 1);  // the region alone
    for (int y = 0; y < 3; y++)
        for (int x = 0; x < 7; x++)
            EXPECT_EQ(PtInRegion(region, x, y) != 0, rows[y][x] == '#') << x << "," << y;
    EXPECT_FALSE(PtInRegion(region, 7, 0));
    EXPECT_FALSE(PtInRegion(region, 0, 3));
    DeleteObject(region);

    const char *empty[3] = {".......", ".......", "......."};
    HBITMAP clear = ShapeBitmap(empty);
    EXPECT_EQ(RegionFromBitmap(clear), nullptr);
    EXPECT_EQ(CountGdiObjects(), before + 1);  // the second bitmap, no region

    // A transparent-bitmap skin clips the control to the shape.
    HWND shaped = AddButton(0, 4, 10, 10, 7, 3);
    standard.normalBitmap = bitmap;
    standard.flags |= CTRL_TRANSPARENT_BITMAP;
    AttachSkin(shaped, &standard);
    HRGN window = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(GetWindowRgn(shaped, window), ERROR);
    EXPECT_TRUE(PtInRegion(window, 1, 0));
    EXPECT_FALSE(PtInRegion(window, 1, 1));  // a hole inside the shape
    DeleteObject(window);
    AttachSkin(shaped, nullptr);
    HRGN none = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(GetWindowRgn(shaped, none), ERROR);
    DeleteObject(none);
    DeleteObject(clear);
    DeleteObject(bitmap);
}

TEST_F(SkinBehaviour, OneHotControlAtATimeRepaintedOnlyWithAHotLook)
{
    HWND first = AddButton(0, 1, 10, 10);
    HWND plain = AddButton(0, 2, 100, 10);
    AttachSkin(first, &standard);
    SkinDescriptor noHotLook = {};
    noHotLook.flags = CTRL_GRADIENT_FACE;
    AttachSkin(plain, &noHotLook);
    UpdateWindow(parent);
    ValidateRect(first, nullptr);
    ValidateRect(plain, nullptr);

    SendMessageA(first, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(hotControl, first);
    EXPECT_TRUE(NeedsPaint(first));
    SendMessageA(plain, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(hotControl, first);  // the second waits for the first's leave
    ValidateRect(first, nullptr);
    SendMessageA(first, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(hotControl, nullptr);
    EXPECT_TRUE(NeedsPaint(first));
    SendMessageA(plain, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(hotControl, plain);
    EXPECT_FALSE(NeedsPaint(plain));
    SendMessageA(plain, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(NeedsPaint(plain));
    // Every mouse message still reached the buttons themselves.
    EXPECT_EQ(Count(first, WM_MOUSEMOVE), 1);
    EXPECT_EQ(Count(plain, WM_MOUSEMOVE), 2);
    EXPECT_EQ(Count(first, WM_MOUSELEAVE), 1);
}

TEST_F(SkinBehaviour, AHoverCursorReplacesTheClassCursorWhileHot)
{
    HWND button = AddButton(0, 1);
    HWND other = AddButton(0, 2, 100, 10);
    HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
    standard.hoverCursor = hand;
    AttachSkin(button, &standard);
    const ULONG_PTR classCursor = GetClassLongPtrA(button, GCLP_HCURSOR);
    SendMessageA(button, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(GetClassLongPtrA(other, GCLP_HCURSOR), ULONG_PTR(hand));  // the whole class
    SendMessageA(button, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(GetClassLongPtrA(other, GCLP_HCURSOR), classCursor);
    EXPECT_EQ(savedClassCursor, nullptr);

    // A hot control that is destroyed gives the cursor back too.
    SendMessageA(button, WM_MOUSEMOVE, 0, 0);
    DestroyWindow(button);
    EXPECT_EQ(GetClassLongPtrA(other, GCLP_HCURSOR), classCursor);
    EXPECT_EQ(hotControl, nullptr);
}

TEST_F(SkinBehaviour, TooltipShowsAtTheCursorAndHides)
{
    HWND quiet = AddButton(0, 1, 10, 10);
    HWND tipped = AddButton(0, 2, 100, 10);
    AttachSkin(quiet, &standard);
    standard.tooltipText = "Starts the service";
    standard.flags |= CTRL_BALLOON_TIP;
    AttachSkin(tipped, &standard);

    tooltipTimer = 0;
    SendMessageA(quiet, WM_MOUSEMOVE, 0, 0);
    EXPECT_EQ(tooltipTimer, 0u);  // no text, no timer
    SendMessageA(quiet, WM_MOUSELEAVE, 0, 0);

    PointAt(tipped);
    SendMessageA(tipped, WM_MOUSEMOVE, 0, 0);
    ASSERT_NE(tooltipTimer, 0u);
    // Other timer messages and identifiers are ignored.
    ShowTooltipTimer(tipped, WM_PAINT, tooltipTimer, 0);
    ShowTooltipTimer(tipped, WM_TIMER, tooltipTimer + 1, 0);
    EXPECT_EQ(tooltipWindow, nullptr);

    ShowTooltipTimer(tipped, WM_TIMER, tooltipTimer, 0);
    ASSERT_TRUE(IsWindow(tooltipWindow));
    char className[64] = {};
    GetClassNameA(tooltipWindow, className, sizeof(className));
    EXPECT_STREQ(className, TOOLTIPS_CLASSA);
    EXPECT_TRUE(GetWindowLongA(tooltipWindow, GWL_STYLE) & TTS_BALLOON);
    EXPECT_TRUE(GetWindowLongA(tooltipWindow, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(tooltipWindow, GW_OWNER), parent);  // a child's top-level window owns it
    EXPECT_EQ(SendMessageA(tooltipWindow, TTM_GETMAXTIPWIDTH, 0, 0), 220);
    EXPECT_EQ(SendMessageA(tooltipWindow, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_TRUE(IsWindowVisible(tooltipWindow));

    HideTooltipTimer(tipped, WM_TIMER, tooltipTimer, 0);
    EXPECT_EQ(tooltipWindow, nullptr);
    EXPECT_FALSE(KillTimer(tipped, 1));  // the lifetime timer is gone too

    // Leaving hides a shown tooltip at once.
    SendMessageA(tipped, WM_MOUSELEAVE, 0, 0);
    SendMessageA(tipped, WM_MOUSEMOVE, 0, 0);
    ShowTooltipTimer(tipped, WM_TIMER, tooltipTimer, 0);
    HWND shown = tooltipWindow;
    ASSERT_TRUE(IsWindow(shown));
    SendMessageA(tipped, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(IsWindow(shown));
    EXPECT_EQ(tooltipWindow, nullptr);

    // A control that lost its skin during the delay shows nothing.
    SendMessageA(tipped, WM_MOUSEMOVE, 0, 0);
    AttachSkin(tipped, nullptr);
    ShowTooltipTimer(tipped, WM_TIMER, tooltipTimer, 0);
    EXPECT_EQ(tooltipWindow, nullptr);
}

TEST_F(SkinBehaviour, TheTooltipComesByItsTimer)
{
    HWND tipped = AddButton(0, 2, 100, 10);
    standard.tooltipText = "Installs the service";
    AttachSkin(tipped, &standard);
    PointAt(tipped);
    SendMessageA(tipped, WM_MOUSEMOVE, 0, 0);
    PumpMessages();
    EXPECT_EQ(tooltipWindow, nullptr);  // not before its delay
    EXPECT_TRUE(PumpUntil([] { return IsWindow(tooltipWindow); }));
    SendMessageA(tipped, WM_MOUSELEAVE, 0, 0);
}

TEST_F(SkinBehaviour, ReleasingTheButtonAppliesTheClickRule)
{
    HWND check = AddButton(BS_AUTOCHECKBOX, 1, 10, 10);
    HWND radio = AddButton(BS_RADIOBUTTON, 2, 10, 60);
    HWND menuCheck = AddButton(BS_AUTOCHECKBOX, 3, 10, 110, 120, 30);
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 40, "Item");
    AttachSkin(check, &standard);
    AttachSkin(radio, &standard);
    standard.dropMenu = menu;
    AttachSkin(menuCheck, &standard);

    // Over the control but not hot (another control's leave cleared it):
    // the release only makes it hot.
    Hover(check);
    hotControl = nullptr;
    SendMessageA(check, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(hotControl, check);
    EXPECT_EQ(SkinRecord(check)->checkState, 0u);
    SendMessageA(check, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(SkinRecord(check)->checkState, 1u);
    SendMessageA(check, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(SkinRecord(check)->checkState, 0u);
    EXPECT_EQ(Count(check, WM_LBUTTONUP), 3);  // every release reached the button

    Hover(radio);
    SendMessageA(radio, WM_LBUTTONUP, 0, 0);
    SendMessageA(radio, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(SkinRecord(radio)->checkState, 1u);  // a radio button only checks

    // Over the arrow strip nothing toggles; beside it the release counts.
    Hover(menuCheck, 5);
    SendMessageA(menuCheck, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(SkinRecord(menuCheck)->checkState, 0u);
    PointAt(menuCheck, 40);
    SendMessageA(menuCheck, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(SkinRecord(menuCheck)->checkState, 1u);

    // The space bar's key-up toggles as a click does.
    SendMessageA(check, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(SkinRecord(check)->checkState, 1u);
    SendMessageA(check, WM_KEYUP, VK_RETURN, 0);
    EXPECT_EQ(SkinRecord(check)->checkState, 1u);
    DestroyMenu(menu);
}

// The dialog manager clicks a button this way for its mnemonic (Alt+I for
// "&Install"): a press and a release with no mouse over the button.
TEST_F(SkinBehaviour, AClickWithoutHoverStillReachesTheParent)
{
    HWND button = AddButton(0, 7);
    AttachSkin(button, &standard);
    seen.clear();
    SendMessageA(button, BM_CLICK, 0, 0);
    const auto clicked = std::find_if(seen.begin(), seen.end(), [&](const Seen &s) {
        return s.window == parent && s.message == WM_COMMAND && s.wParam == MAKEWPARAM(7, BN_CLICKED);
    });
    EXPECT_NE(clicked, seen.end());
    EXPECT_EQ(hotControl, button);
}

TEST_F(SkinBehaviour, CheckingAnAutoRadioUnchecksItsGroup)
{
    HWND first = AddButton(BS_AUTORADIOBUTTON | WS_GROUP, 1, 10, 10);
    HWND second = AddButton(BS_AUTORADIOBUTTON, 2, 10, 50);
    HWND unskinned = AddButton(BS_AUTORADIOBUTTON, 3, 10, 90);
    HWND nextGroup = AddButton(BS_AUTORADIOBUTTON | WS_GROUP, 4, 10, 130);
    SendMessageA(unskinned, BM_SETCHECK, BST_CHECKED, 0);
    SendMessageA(nextGroup, BM_SETCHECK, BST_CHECKED, 0);
    AttachSkin(first, &standard);
    AttachSkin(second, &standard);
    SendMessageA(first, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SendMessageA(unskinned, BM_GETCHECK, 0, 0), BST_UNCHECKED);

    SendMessageA(second, WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(SkinRecord(second)->checkState, 1u);
    EXPECT_EQ(SkinRecord(first)->checkState, 0u);
    EXPECT_EQ(SendMessageA(nextGroup, BM_GETCHECK, 0, 0), BST_CHECKED);  // another group
}

TEST_F(SkinBehaviour, SetCheckKeepsOnlyTheStatesAKindCanHave)
{
    HWND threeState = AddButton(BS_AUTO3STATE, 1);
    HWND push = AddButton(BS_PUSHBUTTON, 2, 100, 10);
    AttachSkin(threeState, &standard);
    AttachSkin(push, &standard);
    SendMessageA(threeState, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SkinRecord(threeState)->checkState, 1u);
    SendMessageA(threeState, BM_SETCHECK, BST_INDETERMINATE, 0);
    EXPECT_EQ(SkinRecord(threeState)->checkState, 0u);

    UpdateWindow(parent);
    ValidateRect(push, nullptr);
    SendMessageA(push, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_EQ(SkinRecord(push)->checkState, 0u);
    EXPECT_TRUE(NeedsPaint(push));  // repainted all the same
    EXPECT_EQ(Count(push, BM_SETCHECK), 1);
}

TEST_F(SkinBehaviour, ADoubleClickIsAnExtraPress)
{
    HWND button = AddButton(0, 1);
    AttachSkin(button, &standard);
    SendMessageA(button, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 4));
    ASSERT_GE(seen.size(), 2u);
    auto press = std::find_if(seen.begin(), seen.end(),
                              [&](const Seen &s) { return s.window == button && s.message == WM_LBUTTONDOWN; });
    auto doubleClick = std::find_if(seen.begin(), seen.end(), [&](const Seen &s) {
        return s.window == button && s.message == WM_LBUTTONDBLCLK;
    });
    ASSERT_NE(press, seen.end());
    ASSERT_NE(doubleClick, seen.end());
    EXPECT_LT(press - seen.begin(), doubleClick - seen.begin());
    ReleaseCapture();
    // Without a skin too.
    AttachSkin(button, nullptr);
    seen.clear();
    SendMessageA(button, WM_LBUTTONDBLCLK, MK_LBUTTON, 0);
    EXPECT_EQ(Count(button, WM_LBUTTONDOWN), 1);
    ReleaseCapture();
}

// Inside the menu loop: note the owner, put the cursor where asked, close.
static HWND menuOwnerWhileOpen;
static POINT cursorAtClose;
static void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    menuOwnerWhileOpen = menuOwner;
    SetCursorPos(cursorAtClose.x, cursorAtClose.y);
    EndMenu();
}

TEST_F(SkinBehaviour, TheDropDownMenuStateMachine)
{
    HWND button = AddButton(0, 1, 10, 10, 120, 30);
    HMENU menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 40, "Item");
    standard.dropMenu = menu;
    standard.flags |= CTRL_MENU_BELOW;
    AttachSkin(button, &standard);
    RECT window;
    GetWindowRect(button, &window);

    // A press in the strip opens the menu; closed over the strip: state 1.
    PointAt(button, 5);
    cursorAtClose = {window.right - 5, window.top + 5};
    SetTimer(nullptr, 0, 100, CloseMenu);
    EXPECT_EQ(SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, 0), 0);
    EXPECT_EQ(menuOwnerWhileOpen, button);
    EXPECT_EQ(menuOwner, MENU_CLOSED_OVER_STRIP);
    EXPECT_EQ(GetCapture(), button);
    EXPECT_EQ(Count(button, WM_LBUTTONDOWN), 0);  // swallowed
    EXPECT_EQ(Count(parent, WM_EXITMENULOOP), 1);

    // The next press only resets the state.
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(menuOwner, nullptr);
    EXPECT_NE(GetCapture(), button);
    EXPECT_EQ(Count(button, WM_LBUTTONDOWN), 0);

    // Opened again and closed elsewhere: state 0.
    menuOwnerWhileOpen = nullptr;
    cursorAtClose = {window.left + 5, window.bottom + 40};
    SetTimer(nullptr, 0, 100, CloseMenu);
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(menuOwnerWhileOpen, button);
    EXPECT_EQ(menuOwner, nullptr);
    ReleaseCapture();

    // A press beside the strip is an ordinary press.
    PointAt(button, 60);
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(Count(button, WM_LBUTTONDOWN), 1);
    ReleaseCapture();
    DestroyMenu(menu);
}

TEST_F(SkinBehaviour, SkinnedDrawingNeverReachesTheParent)
{
    HWND skinned = AddButton(0, 1);
    HWND unskinned = AddButton(BS_OWNERDRAW, 2, 100, 10);
    AttachSkin(skinned, &standard);
    Canvas canvas = CreateCanvas(80, 30, RGB(1, 2, 3));
    seen.clear();

    DRAWITEMSTRUCT item = DrawRequest(skinned, canvas.dc);
    EXPECT_EQ(SendMessageA(parent, WM_DRAWITEM, 1, LPARAM(&item)), 1);
    EXPECT_EQ(Count(parent, WM_DRAWITEM), 0);
    EXPECT_NE(CanvasPixel(canvas, 40, 0), RGB(1, 2, 3));  // painted

    item = DrawRequest(unskinned, canvas.dc);
    EXPECT_EQ(SendMessageA(parent, WM_DRAWITEM, 2, LPARAM(&item)), ParentDrawResult);
    EXPECT_EQ(Count(parent, WM_DRAWITEM), 1);

    // A list box's request is the parent's too.
    item.CtlType = ODT_LISTBOX;
    item.CtlID = 1;
    EXPECT_EQ(SendMessageA(parent, WM_DRAWITEM, 1, LPARAM(&item)), ParentDrawResult);
    EXPECT_EQ(Count(parent, WM_DRAWITEM), 2);
    EXPECT_EQ(DrawSkinnedItem(&item), 0);
    DestroyCanvas(canvas);
}

TEST_F(SkinBehaviour, CommandsFocusMovesAndCuesRepaintSkinnedChildren)
{
    HWND clicked = AddButton(0, 1, 10, 10);
    HWND defaultButton = AddButton(BS_DEFPUSHBUTTON, 2, 100, 10);
    AttachSkin(clicked, &standard);
    AttachSkin(defaultButton, &standard);
    parentDefaultId = MAKELRESULT(2, DC_HASDEFID);
    // The dialog manager turns a default button back into its own type.
    SetWindowLongA(defaultButton, GWL_STYLE, (GetWindowLongA(defaultButton, GWL_STYLE) & ~0xF) | BS_DEFPUSHBUTTON);
    UpdateWindow(parent);
    ValidateRect(clicked, nullptr);
    ValidateRect(defaultButton, nullptr);

    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), LPARAM(clicked));
    EXPECT_EQ(Count(parent, WM_COMMAND), 1);
    EXPECT_TRUE(NeedsPaint(clicked));
    EXPECT_TRUE(NeedsPaint(defaultButton));
    EXPECT_EQ(GetWindowLongA(defaultButton, GWL_STYLE) & 0xF, BS_OWNERDRAW);

    // A focus move by direction repaints only the default button.
    ValidateRect(clicked, nullptr);
    ValidateRect(defaultButton, nullptr);
    SendMessageA(parent, WM_NEXTDLGCTL, 0, 0);
    EXPECT_FALSE(NeedsPaint(clicked));
    EXPECT_TRUE(NeedsPaint(defaultButton));
    ValidateRect(defaultButton, nullptr);
    SendMessageA(parent, WM_NEXTDLGCTL, WPARAM(clicked), 1);
    EXPECT_TRUE(NeedsPaint(clicked));
    // So do the keyboard cues coming or going.
    ValidateRect(clicked, nullptr);
    SendMessageA(clicked, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    EXPECT_TRUE(NeedsPaint(clicked));
}

TEST_F(SkinBehaviour, DestroyingTheButtonFreesItsRecord)
{
    HWND button = AddButton(0, 1);
    AttachSkin(button, &standard);
    SendMessageA(button, WM_MOUSEMOVE, 0, 0);
    ASSERT_EQ(hotControl, button);
    static bool recordGoneFirst;
    recordGoneFirst = false;
    // Checked where WM_DESTROY reaches the button's own procedure.
    struct Watch {
        static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp)
        {
            if (m == WM_DESTROY)
                recordGoneFirst = GetPropA(w, SkinRecordProperty) == nullptr;
            return RecordingButtonProc(w, m, wp, lp);
        }
    };
    SetPropA(button, OldProcProperty, HANDLE(Watch::Proc));
    DestroyWindow(button);
    EXPECT_TRUE(recordGoneFirst);
    EXPECT_EQ(hotControl, nullptr);
}

TEST_F(SkinBehaviour, AWallpaperIsTiledAndDeletedWithTheParent)
{
    HWND button = AddButton(0, 1);
    AttachSkin(button, &standard);
    Canvas tile = CreateCanvas(2, 2, RGB(10, 200, 30));
    HBITMAP wallpaper = CreateCompatibleBitmap(tile.dc, 2, 2);
    HDC dc = CreateCompatibleDC(tile.dc);
    HGDIOBJ old = SelectObject(dc, wallpaper);
    BitBlt(dc, 0, 0, 2, 2, tile.dc, 0, 0, SRCCOPY);
    SelectObject(dc, old);
    DeleteDC(dc);
    DestroyCanvas(tile);

    Canvas canvas = CreateCanvas(400, 300, RGB(0, 0, 0));
    EXPECT_EQ(SendMessageA(parent, WM_ERASEBKGND, WPARAM(canvas.dc), 0), 0);  // the parent's own answer
    EXPECT_NE(CanvasPixel(canvas, 200, 200), RGB(10, 200, 30));
    ReplaceObjectProperty(parent, WallpaperProperty, wallpaper);
    EXPECT_EQ(SendMessageA(parent, WM_ERASEBKGND, WPARAM(canvas.dc), 0), 1);
    EXPECT_EQ(CanvasPixel(canvas, 200, 200), RGB(10, 200, 30));
    EXPECT_EQ(CanvasPixel(canvas, 399, 299), RGB(10, 200, 30));
    DestroyCanvas(canvas);

    DestroyWindow(parent);
    parent = nullptr;
    EXPECT_EQ(GetObjectType(wallpaper), 0u);  // deleted with the parent
}

TEST_F(SkinBehaviour, AMenuLoopWithoutAnOpenMenuChangesNothing)
{
    menuOwner = nullptr;
    SendMessageA(parent, WM_EXITMENULOOP, 0, 0);  // the parent is not subclassed yet
    HWND button = AddButton(0, 1);
    AttachSkin(button, &standard);
    SendMessageA(parent, WM_EXITMENULOOP, 0, 0);
    EXPECT_EQ(menuOwner, nullptr);
    menuOwner = MENU_CLOSED_OVER_STRIP;  // nothing to measure: back to 0
    SendMessageA(parent, WM_EXITMENULOOP, 0, 0);
    EXPECT_EQ(menuOwner, nullptr);
}

static void SendKey(WORD key, DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

static void SendLeftButton(DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}

// Real input: a press the pointer moves through still ends in a click.
TEST_F(SkinBehaviour, MovingThePointerNeverCancelsAPress)
{
    HWND button = AddButton(WS_TABSTOP, 7, 10, 10);
    AttachSkin(button, &standard);
    SetForegroundWindow(parent);
    SetFocus(button);
    auto clicks = [&] {
        return std::count_if(seen.begin(), seen.end(), [&](const Seen &s) {
            return s.window == parent && s.message == WM_COMMAND && s.wParam == MAKEWPARAM(7, BN_CLICKED);
        });
    };
    RECT window;
    GetWindowRect(button, &window);
    const POINT off = {window.right + 40, window.bottom + 40};

    // Space held on the focused button while the pointer comes over it.
    EXPECT_TRUE(MovePointerTo(off.x, off.y));
    hotControl = nullptr;
    seen.clear();
    SendKey(VK_SPACE, 0);
    ASSERT_TRUE(PumpUntil([&] { return GetCapture() == button; }));
    Hover(button);
    SendKey(VK_SPACE, KEYEVENTF_KEYUP);
    EXPECT_TRUE(PumpUntil([&] { return GetCapture() != button; }));
    EXPECT_EQ(clicks(), 1);

    // A press with the pointer, a move off the button and back, a release.
    // The pointer's brief leave was reported before the press, so the move
    // back makes the button hot during its own press.
    SendMessageA(button, WM_MOUSELEAVE, 0, 0);
    seen.clear();
    SendLeftButton(MOUSEEVENTF_LEFTDOWN);
    ASSERT_TRUE(PumpUntil([&] { return GetCapture() == button; }));
    EXPECT_TRUE(MovePointerTo(off.x, off.y));
    Hover(button);
    SendLeftButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return GetCapture() != button; }));
    EXPECT_EQ(clicks(), 1);
}

static HGLOBAL WINAPI NoMemory(UINT, SIZE_T)
{
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

TEST_F(SkinBehaviour, AControlWhoseRecordCannotBeHadKeepsWhatItHad)
{
    HWND fresh = AddButton(BS_PUSHBUTTON, 1);
    HWND skinned = AddButton(BS_PUSHBUTTON, 2, 100, 10);
    AttachSkin(skinned, &standard);
    const LONG style = GetWindowLongA(fresh, GWL_STYLE);
    const LONG_PTR procedure = GetWindowLongPtrA(fresh, GWLP_WNDPROC);
    SkinDescriptor other = standard;
    other.normalTextColor = RGB(1, 2, 3);
    int freshResult, skinnedResult;
    {
        const ScopedOverride noMemory(memoryCalls.globalAlloc, NoMemory);
        freshResult = AttachSkin(fresh, &other);
        skinnedResult = AttachSkin(skinned, &other);
    }

    EXPECT_EQ(freshResult, 0);
    EXPECT_EQ(GetWindowLongA(fresh, GWL_STYLE), style);  // an ordinary button still
    EXPECT_EQ(GetWindowLongPtrA(fresh, GWLP_WNDPROC), procedure);
    EXPECT_EQ(SkinRecord(fresh), nullptr);
    EXPECT_EQ(skinnedResult, 0);
    ASSERT_NE(SkinRecord(skinned), nullptr);  // still painted with its old skin
    EXPECT_EQ(SkinRecord(skinned)->skin.normalTextColor, standard.normalTextColor);
}

// Sits above the skin and looks after the skin has seen the last message.
static bool oldProcPropertyLeft;
static LRESULT CALLBACK WatchLastMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC below = reinterpret_cast<WNDPROC>(GetPropA(window, "TEST_BELOW"));
    const LRESULT result = CallWindowProcA(below, window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        oldProcPropertyLeft |= GetPropA(window, OldProcProperty) != nullptr;
        RemovePropA(window, "TEST_BELOW");
    }
    return result;
}

TEST_F(SkinBehaviour, TheSubclassPropertiesGoWithTheirWindows)
{
    HWND button = AddButton(0, 1);
    AttachSkin(button, &standard);
    for (HWND window : {button, parent})
        SetPropA(window, "TEST_BELOW", HANDLE(SetWindowLongPtrA(window, GWLP_WNDPROC, LONG_PTR(WatchLastMessage))));
    oldProcPropertyLeft = false;
    DestroyWindow(parent);
    parent = nullptr;
    EXPECT_FALSE(oldProcPropertyLeft);
}
