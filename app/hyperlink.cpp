// Hyperlink labels, by subclassing the label and its dialog.
#include "app/hyperlink.h"

#include "skin/color.h"

static const char OriginalProcProperty[] = "_Hyperlink_Original_Proc_";
static const char OriginalFontProperty[] = "_Hyperlink_Original_Font_";
static const char UnderlineFontProperty[] = "_Hyperlink_Underline_Font_";

static LRESULT CallOriginal(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC original = reinterpret_cast<WNDPROC>(GetPropA(window, OriginalProcProperty));
    if (!original)
        return DefWindowProcA(window, message, wParam, lParam);
    return CallWindowProcA(original, window, message, wParam, lParam);
}

static void Subclass(HWND window, WNDPROC procedure)
{
    SetPropA(window, OriginalProcProperty, HANDLE(GetWindowLongPtrA(window, GWLP_WNDPROC)));
    SetWindowLongPtrA(window, GWLP_WNDPROC, LONG_PTR(procedure));
}

static void Unsubclass(HWND window)
{
    SetWindowLongPtrA(window, GWLP_WNDPROC, LONG_PTR(GetPropA(window, OriginalProcProperty)));
    RemovePropA(window, OriginalProcProperty);
}

int AttachHyperlink(HWND dialog, int id)
{
    HWND label = GetDlgItem(dialog, id);
    // A label or dialog subclassed before keeps its first subclass: a second
    // one would take the first for the original procedure and call itself.
    if (GetPropA(label, OriginalProcProperty))
        return 1;
    if (dialog && !GetPropA(dialog, OriginalProcProperty))
        Subclass(dialog, HyperlinkParentProc);
    SetWindowLongA(label, GWL_STYLE, GetWindowLongA(label, GWL_STYLE) | SS_NOTIFY);
    Subclass(label, HyperlinkLabelProc);

    // A label without a font of its own shows the system font.
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
    SetPropA(label, OriginalFontProperty, font);
    LOGFONTA description = {};
    GetObjectA(font ? HGDIOBJ(font) : GetStockObject(SYSTEM_FONT), sizeof(description), &description);
    description.lfUnderline = TRUE;
    SetPropA(label, UnderlineFontProperty, CreateFontIndirectA(&description));
    return 1;
}

static void SetLabelFont(HWND label, const char *property)
{
    SendMessageA(label, WM_SETFONT, WPARAM(GetPropA(label, property)), FALSE);
    InvalidateRect(label, nullptr, FALSE);
}

// Hovered while it holds the capture: every mouse move comes to it until
// the pointer leaves its rectangle.
static void OnLabelMouseMove(HWND label, LPARAM position)
{
    if (GetCapture() != label) {
        SetLabelFont(label, UnderlineFontProperty);
        SetCapture(label);
        return;
    }
    POINT at = {short(LOWORD(position)), short(HIWORD(position))};
    ClientToScreen(label, &at);
    RECT window;
    GetWindowRect(label, &window);
    if (!PtInRect(&window, at)) {
        SetLabelFont(label, OriginalFontProperty);
        ReleaseCapture();
    }
}

LRESULT CALLBACK HyperlinkLabelProc(HWND label, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE:
        OnLabelMouseMove(label, lParam);
        break;
    case WM_SETCURSOR: {
        HCURSOR hand = LoadCursorA(nullptr, IDC_HAND);
        SetCursor(hand ? hand : LoadCursorA(nullptr, IDC_ARROW));
        return 1;
    }
    case WM_DESTROY: {
        const WNDPROC original = reinterpret_cast<WNDPROC>(GetPropA(label, OriginalProcProperty));
        Unsubclass(label);
        SendMessageA(label, WM_SETFONT, WPARAM(GetPropA(label, OriginalFontProperty)), FALSE);
        RemovePropA(label, OriginalFontProperty);
        DeleteObject(GetPropA(label, UnderlineFontProperty));
        RemovePropA(label, UnderlineFontProperty);
        return CallWindowProcA(original, label, message, wParam, lParam);
    }
    }
    return CallOriginal(label, message, wParam, lParam);
}

LRESULT CALLBACK HyperlinkParentProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CTLCOLORSTATIC:
        if (GetPropA(reinterpret_cast<HWND>(lParam), OriginalProcProperty)) {
            const LRESULT brush = CallOriginal(dialog, message, wParam, lParam);
            // Under high contrast, the system's colour for links.
            SetTextColor(reinterpret_cast<HDC>(wParam), highContrast ? GetSysColor(COLOR_HOTLIGHT) : HyperlinkColour);
            return brush;
        }
        break;
    case WM_DESTROY: {
        const WNDPROC original = reinterpret_cast<WNDPROC>(GetPropA(dialog, OriginalProcProperty));
        Unsubclass(dialog);
        return CallWindowProcA(original, dialog, message, wParam, lParam);
    }
    }
    return CallOriginal(dialog, message, wParam, lParam);
}
