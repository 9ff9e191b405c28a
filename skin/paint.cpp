// The skinned-button painter: background, face, edge, face bitmap, icon,
// caption, arrow strip and focus frame, composed off-screen.
#include "skin/paint.h"

#include "skin/color.h"
#include "skin/draw.h"

#include <stddef.h>
#include <string.h>

constexpr int BorderInset = 2;
constexpr int FocusInset = 2;
constexpr int ArrowSeparatorInset = 4;
constexpr int OpenStripInset = 3;
constexpr LONG SmallestGlyphHeight = -15;
constexpr DWORD ArrowGlyphFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
constexpr DWORD CaptionFormat = DT_CENTER | DT_WORDBREAK;
constexpr int ContrastFrameWidth = 2;
constexpr int FaceFramesInset = 3;

// The metrics record as it was before the padded border width was added.
constexpr UINT ClassicNonClientMetricsSize = offsetof(NONCLIENTMETRICSA, iPaddedBorderWidth);
static_assert(ClassicNonClientMetricsSize == 340, "the record every Windows version takes");

// Frames and fills with the context's own brush: nothing to create.
static void FrameWithColour(HDC dc, const RECT *rect, COLORREF colour)
{
    const COLORREF old = SetDCBrushColor(dc, colour);
    FrameRect(dc, rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetDCBrushColor(dc, old);
}

static void FillWithColour(HDC dc, const RECT *rect, COLORREF colour)
{
    const COLORREF old = SetDCBrushColor(dc, colour);
    FillRect(dc, rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetDCBrushColor(dc, old);
}

void PaintBasicFace(HDC dc, const RECT *rect, int state)
{
    int fill, frame;
    switch (state) {
    case PaintPressed: fill = COLOR_WINDOW; frame = COLOR_BTNTEXT; break;
    case PaintHot: fill = COLOR_3DLIGHT; frame = COLOR_BTNSHADOW; break;
    case PaintNormal: fill = COLOR_BTNFACE; frame = COLOR_BTNSHADOW; break;
    default: return;
    }
    FillRect(dc, rect, GetSysColorBrush(fill));
    FrameRect(dc, rect, GetSysColorBrush(frame));
}

// One screen query a face; the accent only for the faces that show it.
void PaintGradientFace(HDC dc, const RECT *rect, int state)
{
    const int depth = ScreenColorDepth();
    if (depth <= 8) {
        PaintBasicFace(dc, rect, state);
        return;
    }
    COLORREF top, bottom, outer, inner;
    switch (state) {
    case PaintPressed: {
        const COLORREF accent = AccentColorAtDepth(depth);
        top = LightenColor(164, accent);
        bottom = DarkenColor(16, accent);
        outer = DarkenColor(70, MixColors86(bottom, top));
        inner = LightenColor(118, outer);
        break;
    }
    case PaintHot: {
        const COLORREF accent = AccentColorAtDepth(depth);
        top = DarkenColor(24, accent);
        bottom = LightenColor(200, accent);
        const COLORREF mixed = MixColors86(top, bottom);
        outer = DarkenColor(64, mixed);
        inner = LightenColor(128, mixed);
        break;
    }
    case PaintNormal: {
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        top = DarkenColor(16, face);
        bottom = LightenColor(128, face);
        outer = DarkenColor(64, MixColors86(top, bottom));
        inner = LightenColor(96, outer);
        break;
    }
    default:
        return;
    }
    GradientFillRect(dc, rect, top, bottom, TRUE);
    RECT frame = *rect;
    FrameWithColour(dc, &frame, outer);
    InflateRect(&frame, -1, -1);
    FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    InflateRect(&frame, -1, -1);
    FrameWithColour(dc, &frame, inner);
}

void PaintFlatFace(HDC dc, const RECT *rect, int state)
{
    const int depth = ScreenColorDepth();
    if (depth <= 8) {
        PaintBasicFace(dc, rect, state);
        return;
    }
    const COLORREF accent = AccentColorAtDepth(depth);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const COLORREF selection = GetSysColor(COLOR_HIGHLIGHT);
    COLORREF fill, frame;
    switch (state) {
    case PaintPressed:
        fill = LightenColor(72, MixColors86(accent, face));
        frame = DarkenColor(64, MixColors86(accent, fill));
        break;
    case PaintHot:
        fill = LightenColor(128, MixColors86(accent, face));
        frame = DarkenColor(64, MixColors86(accent, face));
        break;
    case PaintNormal:
        fill = ColorLuminance(face) > 215 ? MixColors86(face, selection)
                                          : LightenColor(255 - ColorLuminance(face), face);
        frame = DarkenColor(64, MixColors86(face, selection));
        break;
    default:
        return;
    }
    FillWithColour(dc, rect, fill);
    FrameWithColour(dc, rect, frame);
}

void PaintContrastFace(HDC dc, const RECT *rect, int state)
{
    int fill = COLOR_BTNFACE, frame = COLOR_BTNTEXT;
    if (state == PaintHot)
        frame = COLOR_HIGHLIGHT;
    else if (state == PaintPressed)
        fill = frame = COLOR_HIGHLIGHT;
    else if (state == PaintDisabled)
        frame = COLOR_GRAYTEXT;
    FillRect(dc, rect, GetSysColorBrush(fill));
    RECT edge = *rect;
    for (int width = 0; width < ContrastFrameWidth; width++, InflateRect(&edge, -1, -1))
        FrameRect(dc, &edge, GetSysColorBrush(frame));
}

// What the kept arrow font was made from: Marlett at the size of the
// system's menu font.
static LOGFONTA arrowFontLook;

// The arrow glyphs' font, made by the first paint that shows one and made
// anew, the old one deleted, when the system's menu font has changed.
static HFONT ArrowFont()
{
    NONCLIENTMETRICSA metrics = {};
    metrics.cbSize = ClassicNonClientMetricsSize;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, ClassicNonClientMetricsSize, &metrics, 0);
    LOGFONTA look = metrics.lfMenuFont;
    if (look.lfHeight < 0 && look.lfHeight > SmallestGlyphHeight)
        look.lfHeight = SmallestGlyphHeight;
    look.lfCharSet = DEFAULT_CHARSET;
    memset(look.lfFaceName, 0, sizeof(look.lfFaceName));
    strcpy(look.lfFaceName, "Marlett");
    if (arrowFont && !memcmp(&look, &arrowFontLook, sizeof(look)))
        return arrowFont;
    if (arrowFont)
        DeleteObject(arrowFont);
    arrowFont = CreateFontIndirectA(&look);
    arrowFontLook = look;
    return arrowFont;
}

static void DrawArrowGlyph(HDC dc, const RECT *rect, BYTE down)
{
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, ArrowFont());
    RECT area = *rect;
    // In Marlett "6" is a down-pointing and "4" a right-pointing triangle.
    DrawTextA(dc, down ? "6" : "4", 1, &area, ArrowGlyphFormat);
    SelectObject(dc, old);
}

// The parent's own background under the control, for see-through faces.
static void CopyParentBackground(HDC buffer, HWND control, const RECT &item)
{
    HWND parent = GetParent(control);
    RECT client;
    GetClientRect(parent, &client);
    HDC parentDc = CreateCompatibleDC(buffer);
    HBITMAP parentBits = CreateCompatibleBitmap(buffer, client.right, client.bottom);
    HGDIOBJ old = SelectObject(parentDc, parentBits);
    SendMessageA(parent, WM_ERASEBKGND, WPARAM(parentDc), 0);
    RECT window;
    GetWindowRect(control, &window);
    POINT corner = {window.left, window.top};
    ScreenToClient(parent, &corner);
    BitBlt(buffer, 0, 0, item.right - item.left, item.bottom - item.top, parentDc, corner.x, corner.y, SRCCOPY);
    SelectObject(parentDc, old);
    DeleteObject(parentBits);
    DeleteDC(parentDc);
}

static void DrawSunkenEdge(HDC dc, RECT *rect, DWORD flags)
{
    if (flags & CTRL_THIN_EDGE)
        DrawTwoColourFrame(dc, rect, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
    else
        DrawEdge(dc, rect, EDGE_SUNKEN, BF_RECT);
}

static void DrawRaisedEdge(HDC dc, RECT *rect, DWORD flags)
{
    if (flags & CTRL_THIN_EDGE)
        DrawTwoColourFrame(dc, rect, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    else
        DrawEdge(dc, rect, EDGE_RAISED, BF_RECT);
}

// Face and edge; returns the state the rest of the button is painted in.
static int PaintFace(HDC buffer, const DRAWITEMSTRUCT *item, const CTRL_STRUCT *record, RECT *face,
                     RECT *iconRect, RECT *captionRect)
{
    const DWORD flags = record->skin.flags;
    const bool flat = flags & CTRL_FLAT_FACE;
    const bool gradient = flags & CTRL_GRADIENT_FACE;
    const bool border = flags & CTRL_BORDER;

    if (highContrast) {
        const int state = (item->itemState & ODS_SELECTED) || record->checkState ? PaintPressed
                          : item->hwndItem == hotControl                       ? PaintHot
                                                                               : PaintNormal;
        PaintContrastFace(buffer, face, (item->itemState & ODS_DISABLED) ? PaintDisabled : state);
        return state;
    }
    if (item->itemState & ODS_SELECTED) {
        if (flat)
            PaintFlatFace(buffer, face, PaintPressed);
        else if (gradient)
            PaintGradientFace(buffer, face, PaintPressed);
        else {
            if (border)
                DrawSunkenEdge(buffer, face, flags);
            OffsetRect(iconRect, 1, 1);
            if (border)
                OffsetRect(captionRect, 1, 1);
        }
        return PaintPressed;
    }

    int state = item->hwndItem == hotControl ? PaintHot : PaintNormal;
    if (flat || gradient) {
        if (record->checkState)
            state = PaintPressed;
        if (flat)
            PaintFlatFace(buffer, face, state);
        else
            PaintGradientFace(buffer, face, state);
    } else if (border && (!(flags & CTRL_HOT_BORDER) || state == PaintHot)) {
        if (record->checkState)
            DrawSunkenEdge(buffer, face, flags);
        else
            DrawRaisedEdge(buffer, face, flags);
    }
    return record->checkState ? PaintPressed : state;
}

// Splits the inset rectangle between icon and caption by the icon bits.
static void LayOutIconAndCaption(DWORD flags, RECT *iconRect, RECT *captionRect)
{
    const int iconWidth = iconRect->right - iconRect->left;
    const int iconHeight = iconRect->bottom - iconRect->top;
    const int captionWidth = captionRect->right - captionRect->left;
    const int captionHeight = captionRect->bottom - captionRect->top;
    if ((flags & CTRL_ICON_LEFT) || !(flags & (CTRL_ICON_RIGHT | CTRL_ICON_TOP))) {
        iconRect->right = iconRect->left + RoundDiv(iconWidth, 3);
        captionRect->left += captionWidth / 4;
    } else if (flags & CTRL_ICON_RIGHT) {
        iconRect->left = iconRect->right - RoundDiv(iconWidth, 3);
        captionRect->right -= captionWidth / 4;
    } else {
        iconRect->bottom -= RoundDiv(iconHeight, 3);
        captionRect->top += captionHeight / 2;
    }
}

static HBITMAP FaceBitmap(const SkinDescriptor &skin, int state)
{
    switch (state) {
    case PaintNormal: return skin.normalBitmap;
    case PaintHot: return skin.hotBitmap;
    case PaintPressed: return skin.pressedBitmap;
    default: return skin.disabledBitmap;
    }
}

// Draws the icon of the state with what the record keeps of it: its size,
// and its lightened copy, made by the first paint that shows it lightened.
static void DrawStateIcon(HDC buffer, HDC itemDc, const RECT *iconRect, HICON icon, SkinIconLook *look, int state,
                          DWORD flags)
{
    if (!look->size.cx)
        look->size = MeasureIcon(icon);
    if (state == PaintDisabled) {
        DrawSizedIconCentered(buffer, iconRect, icon, look->size, IconDisabled);
        return;
    }
    const bool lighten = !highContrast && ((flags & CTRL_GRADIENT_FACE) ||
                                           ((flags & CTRL_FLAT_FACE) && (state == PaintHot || state == PaintPressed)));
    if (lighten && !look->lightened)
        look->lightened = MakeLightenedIcon(itemDc, icon);
    DrawSizedIconCentered(buffer, iconRect, lighten && look->lightened ? look->lightened : icon, look->size,
                          IconNormal);
}

// Takes the access-key marks out of a caption: "&&" stands for "&".
static void RemoveAccessKeyMarks(char *caption)
{
    char *to = caption;
    for (const char *from = caption; *from; from++) {
        if (*from == '&' && *++from == '\0')
            break;
        *to++ = *from;
    }
    *to = '\0';
}

// The caption, its access key underlined only while the window shows
// keyboard cues. The marks are taken out by hand: not every platform's
// DrawText honours DT_HIDEPREFIX (Wine's does not).
static void DrawCaption(HDC buffer, char *caption, RECT *captionRect, bool showAccessKey)
{
    DWORD format = CaptionFormat;
    if (!showAccessKey) {
        RemoveAccessKeyMarks(caption);
        format |= DT_NOPREFIX;
    }
    RECT measured = *captionRect;
    DrawTextA(buffer, caption, -1, &measured, format | DT_CALCRECT);
    // A caption taller than its area stays drawn from the area's top.
    const int spare = (captionRect->bottom - captionRect->top) - (measured.bottom - measured.top);
    if (spare > 0)
        OffsetRect(captionRect, 0, spare / 2);
    DrawTextA(buffer, caption, -1, captionRect, format);
}

static void DrawArrowStrip(HDC buffer, const RECT &strip, HWND control, DWORD flags)
{
    if (menuOwner == control) {
        RECT open = strip;
        open.top += OpenStripInset;
        open.bottom -= OpenStripInset;
        open.right -= OpenStripInset;
        DrawEdge(buffer, &open, BDR_SUNKENOUTER, BF_RECT);
    } else {
        const int colours[] = {COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
        HGDIOBJ old = SelectObject(buffer, GetStockObject(DC_PEN));
        const COLORREF oldColour = GetDCPenColor(buffer);
        for (int i = 0; i < 2; i++) {
            SetDCPenColor(buffer, GetSysColor(colours[i]));
            MoveToEx(buffer, strip.left + i, strip.top + ArrowSeparatorInset, nullptr);
            LineTo(buffer, strip.left + i, strip.bottom - ArrowSeparatorInset);
        }
        SetDCPenColor(buffer, oldColour);
        SelectObject(buffer, old);
    }
    if (flags & (CTRL_MENU_BELOW | CTRL_ARROW_DOWN))
        DrawArrowGlyph(buffer, &strip, 1);
    else if (flags & CTRL_MENU_RIGHT)
        DrawArrowGlyph(buffer, &strip, 0);
}

// The dotted focus frame; a skin that asks for none leaves it no room, and
// gets it inside the frames of its face.
static void DrawFocusFrame(HDC buffer, RECT focus, const SkinDescriptor &skin, COLORREF textColour)
{
    const bool wide = (skin.flags & CTRL_BORDER) || skin.normalBitmap || skin.hotBitmap || skin.pressedBitmap;
    const int inset = wide ? 4 : (skin.flags & CTRL_FOCUS_RECT) ? 1 : FaceFramesInset;
    InflateRect(&focus, -inset, -inset);
    const COLORREF colour =
        highContrast ? textColour
                     : LightenColor(32, MixColors86(GetSysColor(COLOR_GRAYTEXT), GetSysColor(COLOR_BTNTEXT)));
    const int left = focus.left, top = focus.top;
    const int width = focus.right - focus.left, height = focus.bottom - focus.top;
    // Adjacent edges continue one every-other-pixel pattern round the corners.
    const int right = DrawDottedLine(buffer, left + 1, top, width - 1, TRUE, colour);
    DrawDottedLine(buffer, right + 1, top + 1, height - 1, FALSE, colour);
    const int bottom = DrawDottedLine(buffer, left, top + 1, height - 1, FALSE, colour);
    DrawDottedLine(buffer, left + 1, bottom + 1, width - 1, TRUE, colour);
}

void PaintSkinnedButton(const DRAWITEMSTRUCT *item, CTRL_STRUCT *record)
{
    const SkinDescriptor &skin = record->skin;
    const DWORD flags = skin.flags;
    const int width = item->rcItem.right;
    const int height = item->rcItem.bottom;

    HDC buffer = CreateCompatibleDC(item->hDC);
    HBITMAP bits = CreateCompatibleBitmap(item->hDC, width, height);
    HGDIOBJ oldBits = SelectObject(buffer, bits);
    SetBkMode(buffer, TRANSPARENT);

    // The control's own font, as selected into its context, starts the buffer.
    HGDIOBJ controlFont = SelectObject(item->hDC, GetStockObject(DEFAULT_GUI_FONT));
    HGDIOBJ oldFont = SelectObject(buffer, controlFont);
    SelectObject(item->hDC, controlFont);

    // Keyboard cues, as the button has them from its window's state: until
    // the keyboard is used (or always, as the user may ask Windows), neither
    // focus frame nor access keys.
    const bool showFocus = (item->itemState & ODS_FOCUS) && !(item->itemState & ODS_NOFOCUSRECT);
    const bool showAccessKeys = !(item->itemState & ODS_NOACCEL);

    const int length = GetWindowTextLengthA(item->hwndItem);
    char *caption = static_cast<char *>(GlobalAlloc(GPTR, length + 1));
    if (caption)
        GetWindowTextA(item->hwndItem, caption, length + 1);
    const bool hasCaption = caption && length >= 1;

    RECT face = item->rcItem;
    RECT iconRect = item->rcItem;
    if (skin.dropMenu)
        iconRect.right -= ArrowStripWidth();
    RECT captionRect = iconRect;
    const RECT focusRect = iconRect;
    const RECT strip = {item->rcItem.right - ArrowStripWidth(), item->rcItem.top, item->rcItem.right,
                        item->rcItem.bottom};
    const int inset = ((flags & CTRL_BORDER) ? BorderInset : 0) + ((flags & CTRL_FOCUS_RECT) ? FocusInset : 0);
    InflateRect(&iconRect, -inset, -inset);
    InflateRect(&captionRect, -inset, -inset);

    // Both tinted looks at once paint the flat face over no background.
    if (!((flags & CTRL_GRADIENT_FACE) && (flags & CTRL_FLAT_FACE))) {
        if (flags & CTRL_SEE_THROUGH)
            CopyParentBackground(buffer, item->hwndItem, item->rcItem);
        else
            FillRect(buffer, &face, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    }

    int state = PaintFace(buffer, item, record, &face, &iconRect, &captionRect);

    bool showHotIcon = false;
    COLORREF textColour;
    if (item->itemState & ODS_DISABLED) {
        state = PaintDisabled;
        textColour = GetSysColor(COLOR_GRAYTEXT);
    } else {
        showHotIcon = skin.hotIcon && (state == PaintHot || state == PaintPressed);
        if (highContrast)
            textColour = GetSysColor(state == PaintPressed ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
        else if (skin.pressedTextColor && state == PaintPressed)
            textColour = skin.pressedTextColor;
        else if (skin.hotTextColor && state == PaintHot)
            textColour = skin.hotTextColor;
        else if (skin.normalTextColor)
            textColour = skin.normalTextColor;
        else
            textColour = GetSysColor(COLOR_BTNTEXT);
    }
    const HICON icon = showHotIcon ? skin.hotIcon : skin.normalIcon;
    SetTextColor(buffer, textColour);
    if (skin.hotFont && (state == PaintHot || state == PaintPressed))
        SelectObject(buffer, skin.hotFont);
    else if (skin.normalFont)
        SelectObject(buffer, skin.normalFont);

    if (icon && hasCaption)
        LayOutIconAndCaption(flags, &iconRect, &captionRect);

    if (HBITMAP bitmap = FaceBitmap(skin, state)) {
        RECT inner = face;
        if (flags & CTRL_BORDER) {
            const int edge = (flags & CTRL_THIN_EDGE) ? 1 : 2;
            InflateRect(&inner, -edge, -edge);
        }
        DrawBitmapInRect(buffer, &inner, bitmap, (flags & CTRL_TRANSPARENT_BITMAP) != 0);
    }

    if (icon)
        DrawStateIcon(buffer, item->hDC, &iconRect, icon, showHotIcon ? &record->hotLook : &record->normalLook, state,
                      flags);
    if (hasCaption)
        DrawCaption(buffer, caption, &captionRect, showAccessKeys);
    if (skin.dropMenu)
        DrawArrowStrip(buffer, strip, item->hwndItem, flags);
    if (showFocus)
        DrawFocusFrame(buffer, focusRect, skin, textColour);

    if (caption)
        GlobalFree(caption);
    BitBlt(item->hDC, 0, 0, width, height, buffer, 0, 0, SRCCOPY);
    SelectObject(buffer, oldFont);
    SelectObject(buffer, oldBits);
    DeleteObject(bits);
    DeleteDC(buffer);
}
