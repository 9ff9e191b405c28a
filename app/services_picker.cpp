// The picker of installed services or load-order groups: a list to choose a
// name from instead of typing it.
#include "app/services_picker.h"

#include "app/dialog_template.h"
#include "service/registry_lists.h"
#include "skin/skin.h"
#include "skin/texture.h"

LONG pickerMode;
char pickedName[FieldSize];

// Valid while the picker is open; there is never more than one.
static HWND pickerWindow;
static HWND pickerList;
static WNDPROC pickerListPrevProc;

struct OwnerAndIcon {
    HWND owner;
    HICON icon;
};

constexpr DWORD PickerStyle = WS_SYSMENU | DS_CENTER | DS_SETFONT;
constexpr int CarriageReturn = 13;

INT_PTR RunServicesPicker(HWND owner, HICON icon)
{
    OwnerAndIcon parameter = {owner, icon};
    DialogTemplate dialog;
    BeginDialog(&dialog, 1024, PickerStyle, 3, 268, 240, "Selecting...", 8, "MS Sans Serif");
    AddControl(&dialog, WS_CHILD | WS_VISIBLE | BS_GROUPBOX, 8, 4, 248, 188, PickerFrame, ButtonClass,
               "Installed Services List");
    AddControl(&dialog, WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_SORT, 20, 18,
               224, 170, PickerList, ListBoxClass, nullptr);
    AddControl(&dialog, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_FLAT | BS_DEFPUSHBUTTON, 104, 202, 60, 16,
               PickerSelect, ButtonClass, "Select");
    return RunDialog(&dialog, owner, ServicesPickerProc, LPARAM(&parameter));
}

static void OnInitPicker(HWND window, const OwnerAndIcon *parameter)
{
    SendMessageA(window, WM_SETICON, ICON_BIG, LPARAM(parameter->icon));
    FillBytes(pickedName, sizeof(pickedName), 0);
    SkinDescriptor standard;
    SetStandardDescriptor(&standard);
    AttachSkin(GetDlgItem(window, PickerSelect), &standard);

    pickerList = GetDlgItem(window, PickerList);
    pickerWindow = window;
    if (pickerMode == PickGroups) {
        SetDlgItemTextA(window, PickerFrame, "Group List");
        ReadServiceGroupOrder(pickerList, GroupListBox);
    } else {
        ListInstalledServices(pickerList);
    }
    SendMessageA(pickerList, LB_SETCURSEL, 0, 0);
    pickerListPrevProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(pickerList, GWLP_WNDPROC, LONG_PTR(PickerListProc)));
    SetFocus(pickerList);
}

// Takes the selected entry, if any, and ends the picker.
static void TakeSelection(HWND window)
{
    const LRESULT selected = SendMessageA(pickerList, LB_GETCURSEL, 0, 0);
    const LRESULT length = selected == LB_ERR ? LB_ERR : SendMessageA(pickerList, LB_GETTEXTLEN, selected, 0);
    if (length != LB_ERR && length < LRESULT(sizeof(pickedName)))
        SendMessageA(pickerList, LB_GETTEXT, selected, LPARAM(pickedName));
    EndDialog(window, 0);
}

INT_PTR CALLBACK ServicesPickerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR textured;
    if (TextureDialogMessage(window, message, wParam, lParam, &textured))
        return textured;
    switch (message) {
    case WM_INITDIALOG:
        OnInitPicker(window, reinterpret_cast<const OwnerAndIcon *>(lParam));
        return 0;  // the list keeps the focus it was given
    case WM_COMMAND:
        // Select, Enter, a double click or a carriage return; Esc does nothing.
        if (wParam == PickerSelect)
            TakeSelection(window);
        return 0;
    case WM_CLOSE:
        EndDialog(window, 0);
        return 0;
    }
    return 0;
}

LRESULT CALLBACK PickerListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_LBUTTONDBLCLK || (message == WM_CHAR && wParam == CarriageReturn))
        SendMessageA(pickerWindow, WM_COMMAND, PickerSelect, 0);
    return CallWindowProcA(pickerListPrevProc, list, message, wParam, lParam);
}
