// The main window's template, initialisation, background, minimising and
// closing; its commands, form, refresh and tray icon have files of their own.
#include "app/main_window_parts.h"

#include "app/accessible_names.h"
#include "app/command_thread.h"
#include "app/dialog_template.h"
#include "app/form_text.h"
#include "app/startup.h"
#include "app/tray_icon.h"
#include "resources/resource_ids.h"
#include "service/registry_lists.h"
#include "skin/color.h"
#include "skin/screen_scale.h"
#include "skin/skin.h"
#include "skin/texture.h"

#include <commctrl.h>

static HWND formTooltips;
static HBITMAP textureHighlight;  // made with the texture, kept, not painted
static RECT textureTile;          // the texture's size: the Close button's client area
static HICON smallIcon;  // the program icon's small image: caption and tray
// From the moment the window is closed until it has ended: its tray icon is
// gone, its refresh stopped.
static bool mainWindowClosing;
constexpr UINT_PTR ShownTimerId = 1;

bool MainWindowClosing()
{
    return mainWindowClosing;
}

constexpr DWORD MainWindowStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_CENTER |
                                  DS_SETFONT;
constexpr DWORD GroupFrame = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;
constexpr DWORD Label = WS_CHILD | WS_VISIBLE;
constexpr DWORD KeyEdit = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
// The bit that is BS_FLAT for buttons; edits ignore it.
constexpr DWORD EditFlatBit = 0x8000;
constexpr DWORD FieldEdit = KeyEdit | EditFlatBit;
constexpr DWORD PasswordEdit = FieldEdit | ES_PASSWORD;
constexpr DWORD SortedList = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST | CBS_AUTOHSCROLL |
                             CBS_SORT | CBS_HASSTRINGS | CBS_NOINTEGRALHEIGHT | CBS_UPPERCASE;
constexpr DWORD UnsortedList = SortedList & ~CBS_SORT;
constexpr DWORD PushButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_FLAT;
constexpr DWORD DisabledButton = PushButton | WS_DISABLED;
constexpr DWORD DefaultButton = PushButton | BS_DEFPUSHBUTTON;

// Labels at x 16; fields at x 104, 302 wide, or 288 when a "..." follows;
// rows 16 units apart; six buttons of 58 x 16, 68 units apart.
static const ControlRow mainControls[] = {
    {GeneralFrame, ButtonClass, GroupFrame, 8, 4, 408, 84, "General Setting"},
    {KeyNameLabel, StaticClass, Label, 16, 20, 60, 12, "Key Name:"},
    {KeyNameField, EditClass, KeyEdit, 104, 18, 288, 12, nullptr},
    {KeyNamePicker, ButtonClass, PushButton, 394, 18, 12, 12, "..."},
    {BinaryPathLabel, StaticClass, Label, 16, 36, 60, 12, "Binary Path:"},
    {BinaryPathField, EditClass, FieldEdit, 104, 34, 288, 12, nullptr},
    {BinaryPathPicker, ButtonClass, PushButton, 394, 34, 12, 12, "..."},
    {DisplayNameLabel, StaticClass, Label, 16, 52, 60, 12, "Display Name:"},
    {DisplayNameField, EditClass, FieldEdit, 104, 50, 302, 12, nullptr},
    {DescriptionLabel, StaticClass, Label, 16, 68, 60, 12, "Description:"},
    {DescriptionField, EditClass, FieldEdit, 104, 66, 302, 12, nullptr},
    {AdvancedFrame, ButtonClass, GroupFrame, 8, 94, 408, 148, "Advanced Setting"},
    {DesiredAccessLabel, StaticClass, Label, 16, 110, 60, 12, "Desired Access:"},
    {DesiredAccessList, ComboBoxClass, SortedList, 104, 108, 302, 60, nullptr},
    {ServiceTypeLabel, StaticClass, Label, 16, 126, 60, 12, "Service Type:"},
    {ServiceTypeList, ComboBoxClass, SortedList, 104, 124, 302, 140, nullptr},
    {StartTypeLabel, StaticClass, Label, 16, 142, 60, 12, "Start Type:"},
    {StartTypeList, ComboBoxClass, SortedList, 104, 140, 302, 60, nullptr},
    {ErrorControlLabel, StaticClass, Label, 16, 158, 60, 12, "Error Control:"},
    {ErrorControlList, ComboBoxClass, UnsortedList, 104, 156, 302, 60, nullptr},
    {GroupLabel, StaticClass, Label, 16, 174, 60, 12, "Load Order Group:"},
    {LoadOrderGroupList, ComboBoxClass, SortedList, 104, 172, 302, 60, nullptr},
    {DependenciesLabel, StaticClass, Label, 16, 190, 60, 12, "Dependencies:"},
    {DependenciesField, EditClass, FieldEdit, 104, 188, 288, 12, nullptr},
    {DependencyPicker, ButtonClass, PushButton, 394, 188, 12, 12, "..."},
    {AccountNameLabel, StaticClass, Label, 16, 206, 60, 12, "Account Name:"},
    {AccountNameField, EditClass, FieldEdit, 104, 204, 302, 12, nullptr},
    {PasswordLabel, StaticClass, Label, 16, 222, 60, 12, "Password:"},
    {PasswordField, EditClass, PasswordEdit, 104, 220, 302, 12, nullptr},
    {AboutButton, ButtonClass, PushButton, 12, 252, 58, 16, "&About..."},
    {InstallButton, ButtonClass, DisabledButton, 80, 252, 58, 16, "&Install"},
    {RemoveButton, ButtonClass, DisabledButton, 148, 252, 58, 16, "&Remove"},
    {StartButton, ButtonClass, DisabledButton, 216, 252, 58, 16, "&Start"},
    {StopButton, ButtonClass, DisabledButton, 284, 252, 58, 16, "&Stop"},
    {CloseButton, ButtonClass, DefaultButton, 352, 252, 58, 16, "&Close"},
};
constexpr WORD MainControlCount = sizeof(mainControls) / sizeof(mainControls[0]);
static_assert(MainControlCount == 35);

// The skinned buttons in the order they are skinned; the last one's client
// area sizes the texture tile.
static const struct {
    int id;
    int icon;
} skinnedButtons[] = {
    {KeyNamePicker, 0}, {BinaryPathPicker, 0},     {DependencyPicker, 0},  {AboutButton, IDI_ABOUT},
    {InstallButton, IDI_INSTALL}, {RemoveButton, IDI_REMOVE}, {StartButton, IDI_START},
    {StopButton, IDI_STOP},       {CloseButton, IDI_CLOSE},
};
// Their icons at the size that fits the screen's resolution, loaded from the
// image drawn for it (or the nearest) rather than stretched from 32 pixels.
static HICON buttonIcons[sizeof(skinnedButtons) / sizeof(skinnedButtons[0])];
constexpr int ButtonIconSize = 32;

// What the three "..." buttons do, as a screen reader says it.
static const struct {
    int id;
    const WCHAR *name;
} pickerNames[] = {
    {KeyNamePicker, L"Pick an installed service"},
    {BinaryPathPicker, L"Browse for the service's program"},
    {DependencyPicker, L"Add a dependency"},
};

static const struct {
    int id;
    const char *text;
} fieldTips[] = {
    {KeyNameField, "Service Name (Registry). Forward-slash (/) and back-slash (\\) are invalid service name "
                   "characters."},
    {BinaryPathField, "Fully qualified path to the service binary file."},
    {DisplayNameField, "Display Name (Service Control Manager Database)."},
    {DescriptionField, "Description of what the Service does."},
    {DesiredAccessList, "Before granting the requested access, the system checks the access token of the calling "
                        "process."},
    {ServiceTypeList, "Specify the type of service."},
    {StartTypeList, "Specifies when to start the service."},
    {ErrorControlList, "Specifies the severity of the error if this service fails to start during startup."},
    {LoadOrderGroupList, "You can place a service in a group so that another service can depend on the group."},
    {DependenciesField, "Forward-slash(/)-separated names of services or load ordering groups that must start "
                        "before this service."},
    {AccountNameField, "Account name in the form of \"DomainName\\Username\". If blank the service will be logged on "
                       "as the \"LocalSystem\" account."},
    {PasswordField, "Password to the Account Name."},
};

bool BuildMainWindowTemplate(DialogTemplate *dialog)
{
    if (!BeginDialog(dialog, 2048, MainWindowStyle, MainControlCount, 424, 278, "Tarnex (Install/Remove)", 8,
                     "Ms Sans Serif"))
        return false;
    return AddControls(dialog, mainControls, MainControlCount);
}

int RunMainWindow()
{
    // The creation parameter: a block whose first field is the window's icon.
    auto *iconBlock = static_cast<HICON *>(GlobalAlloc(GPTR, 32));
    if (!iconBlock)
        return 0;
    iconBlock[0] = mainIcon;
    DialogTemplate dialog;
    if (BuildMainWindowTemplate(&dialog))
        RunDialog(&dialog, nullptr, MainWindowProc, LPARAM(iconBlock));
    else
        FreeDialog(&dialog);
    GlobalFree(iconBlock);
    return 0;
}

static void FillOptionList(HWND window, int id, const OptionTable &table)
{
    HWND list = GetDlgItem(window, id);
    for (int row = 0; row < table.rowCount; row++)
        SendMessageA(list, CB_INSERTSTRING, WPARAM(-1), LPARAM(OptionName(table, row)));
    SendMessageA(list, CB_SETCURSEL, table.defaultRow, 0);
}

static void CreateFormTooltips(HWND window)
{
    formTooltips = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                   0, 0, 0, 0, window, nullptr, moduleInstance, nullptr);
    SetWindowPos(formTooltips, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    SendMessageA(formTooltips, TTM_ACTIVATE, TRUE, 0);
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window;
    tool.hinst = moduleInstance;
    for (const auto &tip : fieldTips) {
        tool.uId = UINT_PTR(GetDlgItem(window, tip.id));
        tool.lpszText = const_cast<char *>(tip.text);
        SendMessageA(formTooltips, TTM_ADDTOOLA, 0, LPARAM(&tool));
    }
}

static void MakeTexture()
{
    GenerateTexture(TexturePatternNoise, &textureTile, 30, 15, 0, 0, &textureBitmap, &textureHighlight);
}

static BOOL CALLBACK RedrawProgramWindow(HWND window, LPARAM)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return TRUE;
}

// High contrast turned on or off, or the system's colours changed: every
// window of the program follows at once, on a texture made anew from the
// colours it is made of.
static void OnSystemLookChange(HWND window, UINT message)
{
    const bool wasHighContrast = highContrast;
    ReadHighContrast();
    if (message == WM_SYSCOLORCHANGE) {
        DiscardTexture(&textureHighlight);
        MakeTexture();
    } else if (highContrast == wasHighContrast) {
        return;
    }
    EnumThreadWindows(GetWindowThreadProcessId(window, nullptr), RedrawProgramWindow, 0);
}

static void OnInitDialog(HWND window, LPARAM parameter)
{
    mainWindowClosing = false;
    SetWindowLongPtrA(window, GWLP_USERDATA, parameter);
    SendMessageA(window, WM_SETICON, ICON_BIG, LPARAM(reinterpret_cast<HICON *>(parameter)[0]));
    // The caption and the tray show the program icon's small image, made
    // for their size rather than shrunk from the large one.
    smallIcon = static_cast<HICON>(LoadImageA(moduleInstance, MAKEINTRESOURCEA(IDI_PROGRAM), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    SendMessageA(window, WM_SETICON, ICON_SMALL, LPARAM(smallIcon));

    SkinDescriptor standard;
    SetStandardDescriptor(&standard);
    const int iconSize = ScaleToScreen(ButtonIconSize);
    for (int i = 0; i < int(sizeof(skinnedButtons) / sizeof(skinnedButtons[0])); i++) {
        const auto &b = skinnedButtons[i];
        buttonIcons[i] = b.icon ? static_cast<HICON>(LoadImageA(moduleInstance, MAKEINTRESOURCEA(b.icon), IMAGE_ICON,
                                                                 iconSize, iconSize, 0))
                                : nullptr;
        standard.normalIcon = buttonIcons[i];
        HWND button = GetDlgItem(window, b.id);
        AttachSkin(button, &standard);
        GetClientRect(button, &textureTile);
    }
    ForgetFormState(window);
    ReadHighContrast();
    MakeTexture();

    FillOptionList(window, DesiredAccessList, DesiredAccessOptions);
    FillOptionList(window, ServiceTypeList, ServiceTypeOptions);
    FillOptionList(window, StartTypeList, StartTypeOptions);
    FillOptionList(window, ErrorControlList, ErrorControlOptions);
    // No field takes more characters than its record field takes bytes; the
    // bytes themselves are kept within at every change.
    for (const auto &field : formTextFields) {
        SendDlgItemMessageA(window, field.id, EM_LIMITTEXT, field.size - 1, 0);
        KeepFormTextWithin(GetDlgItem(window, field.id), field.size);
    }
    HWND groups = GetDlgItem(window, LoadOrderGroupList);
    SendMessageA(groups, CB_ADDSTRING, 0, LPARAM(NoGroupEntry));
    SendMessageA(groups, CB_SETCURSEL, 0, 0);
    ReadServiceGroupOrder(groups, GroupListCombo);

    HMENU systemMenu = GetSystemMenu(window, FALSE);
    AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(systemMenu, MF_STRING, CopyAsCommandsCommand, "Copy as Comm&ands");
    AppendMenuA(systemMenu, MF_STRING, RecoveryCommand, "Reco&very...");
    CreateTrayMenu();
    ForgetFormRecovery();
    StartRefreshing(window);
    // A timer comes only when no paint is due: once the window shows whole.
    SetTimer(window, ShownTimerId, 0, nullptr);
}

// What the window does not show at once is made once it has painted: the
// form's tooltips and the tray icon, which alone take a tenth of start-up,
// and the pickers' names, which load the accessibility library.
static void OnShown(HWND window)
{
    KillTimer(window, ShownTimerId);
    CreateFormTooltips(window);
    AddTrayIcon(window, smallIcon ? smallIcon : mainIcon);
    for (const auto &picker : pickerNames)
        accessibleNameCalls.setName(GetDlgItem(window, picker.id), picker.name);
}

// Minimised, the program lives on as its tray icon alone; without a
// notification area (Server Core, a shell without one, Explorer restarting)
// it stays a minimised window, reachable as any other.
static void OnSize(HWND window, WPARAM kind)
{
    if (kind == SIZE_MINIMIZED && ShowTrayIcon())
        ShowWindow(window, SW_HIDE);
    InvalidateRect(window, nullptr, TRUE);
}

// Hidden behind its icon, the window comes back when the icon goes (the
// shell ended, and no taskbar came back to say so).
static void KeepReachable(HWND window)
{
    if (!IsWindowVisible(window) && !mainWindowClosing && !ShowTrayIcon())
        ShowWindow(window, SW_SHOWMINNOACTIVE);
}

// The taskbar was made anew, or at last: the icon goes into it. A window
// hidden behind an icon that the taskbar will not take comes back.
static void OnTaskbarCreated(HWND window)
{
    if (!ShowTrayIcon() && !IsWindowVisible(window) && !mainWindowClosing)
        ShowWindow(window, SW_SHOWMINNOACTIVE);
}

// The window ends once every box open inside its loop is dismissed; its
// tray icon and refresh end at once, so that nothing restores the ended
// window or runs its commands meanwhile, and a command that still runs ends
// by itself, unseen. The Close button, the tray's Close and the close box
// all end it here.
static void CloseMainWindow(HWND window)
{
    mainWindowClosing = true;
    StopRefreshing(window);
    KillTimer(window, ShownTimerId);
    RemoveTrayIcon();
    AbandonServiceCommand();
    EndDialog(window, 0);
}

// A command of a button, or of the tray item that stands for it.
static void OnCommand(HWND window, WPARAM command)
{
    if (command == CloseButton)
        CloseMainWindow(window);
    else
        OnMainCommand(window, command);
}

// What the tray's items stand for.
static const struct {
    UINT item;
    int button;
} trayButtons[] = {{TrayAbout, AboutButton}, {TrayStart, StartButton}, {TrayStop, StopButton}, {TrayClose, CloseButton}};

static void OnTrayNotify(HWND window, WPARAM wParam, LPARAM lParam)
{
    const UINT chosen = AnswerTrayNotify(window, wParam, lParam);
    for (const auto &b : trayButtons)
        if (b.item == chosen)
            OnCommand(window, WPARAM(b.button));
}

// While a command runs the window answers, with the cursor that says the
// program works meanwhile.
static bool OnSetCursor(HWND window, LPARAM hit)
{
    if (!ServiceCommandRunning() || LOWORD(hit) != HTCLIENT)
        return false;
    SetCursor(LoadCursorA(nullptr, IDC_APPSTARTING));
    SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
    return true;
}

// However the window ends, its tray icon and its objects go with it; the
// tooltip window, which it owns, is already gone. A command that still runs
// ends by itself.
static void OnDestroy(HWND window)
{
    mainWindowClosing = true;
    AbandonServiceCommand();
    StopRefreshing(window);
    KillTimer(window, ShownTimerId);
    DestroyTray();
    if (smallIcon)
        DestroyIcon(smallIcon);
    smallIcon = nullptr;
    for (HICON &icon : buttonIcons) {
        if (icon)
            DestroyIcon(icon);
        icon = nullptr;
    }
    for (const auto &field : formTextFields)
        ForgetFormText(GetDlgItem(window, field.id));
    for (const auto &picker : pickerNames)
        accessibleNameCalls.clearName(GetDlgItem(window, picker.id));
    DiscardTexture(&textureHighlight);
    formTooltips = nullptr;
}

INT_PTR CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    INT_PTR textured;
    if (TextureDialogMessage(window, message, wParam, lParam, &textured))
        return textured;
    if (IsTaskbarCreated(message)) {
        OnTaskbarCreated(window);
        return 0;
    }
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(window, lParam);
        return 0;  // the dialog manager sets no focus
    case WM_SIZE:
        OnSize(window, wParam);
        return 0;
    case TrayNotifyMessage:
        OnTrayNotify(window, wParam, lParam);
        return 0;
    case WM_TIMER:
        if (wParam == ShownTimerId) {
            OnShown(window);
        } else {
            KeepReachable(window);
            RefreshForm(window);
        }
        return 0;
    case WM_COMMAND:
        OnCommand(window, wParam);
        return 0;
    case ServiceCommandDone:
        OnServiceCommandDone(window, wParam, lParam);
        return 0;
    case WM_SETCURSOR:
        return OnSetCursor(window, lParam);
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case CopyAsCommandsCommand:
            CopyAsCommands(window);
            return TRUE;
        case RecoveryCommand:
            OnRecoveryCommand(window);
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        CloseMainWindow(window);
        return 0;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        OnSystemLookChange(window, message);
        return 0;
    case DM_GETDEFID:
        // No default button: Enter in a field must not close the program.
        SetWindowLongPtrA(window, DWLP_MSGRESULT, 0);
        return TRUE;
    case WM_DESTROY:
        OnDestroy(window);
        return 0;
    }
    return 0;
}
