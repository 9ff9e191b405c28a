// Web addresses open in the desktop user's browser, not an elevated one.
#include "app/web_link.h"

#include "service/settings.h"
#include "skin/system_library.h"

#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

// SID_STopLevelBrowser, written out: the GUID library would bring some two
// thousand other GUIDs into the program with it.
static const GUID TopLevelBrowserService = {0x4c96be40, 0x915c, 0x11cf,
                                            {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

// The desktop's shell, reached through its window list: the folder view of
// the desktop window, whose application object runs a command as the
// desktop's process does. Every interface taken is released on every path.
static bool OpenThroughDesktopShell(const char *address)
{
    static decltype(&SysAllocString) sysAllocString;
    static decltype(&SysFreeString) sysFreeString;
    if (!SystemFunction(sysAllocString, "oleaut32.dll", "SysAllocString") ||
        !SystemFunction(sysFreeString, "oleaut32.dll", "SysFreeString"))
        return false;
    WCHAR wide[L_MAX_URL_LENGTH];
    if (!MultiByteToWideChar(ProgramCodePage(), 0, address, -1, wide, L_MAX_URL_LENGTH))
        return false;

    bool opened = false;
    IShellWindows *windows = nullptr;
    IDispatch *desktop = nullptr;
    IServiceProvider *provider = nullptr;
    IShellBrowser *browser = nullptr;
    IShellView *view = nullptr;
    IDispatch *background = nullptr;
    IShellFolderViewDual *folderView = nullptr;
    IDispatch *application = nullptr;
    IShellDispatch2 *shell = nullptr;
    BSTR file = nullptr;
    VARIANT desktopFolder = {}, none = {}, show = {};
    long desktopWindow = 0;
    desktopFolder.vt = VT_I4;
    desktopFolder.lVal = CSIDL_DESKTOP;
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;

    if (FAILED(CoCreateInstance(__uuidof(ShellWindows), nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IShellWindows),
                                reinterpret_cast<void **>(&windows))) ||
        windows->FindWindowSW(&desktopFolder, &none, SWC_DESKTOP, &desktopWindow, SWFO_NEEDDISPATCH, &desktop) !=
            S_OK ||
        !desktop ||
        FAILED(desktop->QueryInterface(__uuidof(IServiceProvider), reinterpret_cast<void **>(&provider))) ||
        FAILED(provider->QueryService(TopLevelBrowserService, __uuidof(IShellBrowser), reinterpret_cast<void **>(&browser))) ||
        FAILED(browser->QueryActiveShellView(&view)) ||
        FAILED(view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), reinterpret_cast<void **>(&background))) ||
        FAILED(background->QueryInterface(__uuidof(IShellFolderViewDual), reinterpret_cast<void **>(&folderView))) ||
        FAILED(folderView->get_Application(&application)) || !application ||
        FAILED(application->QueryInterface(__uuidof(IShellDispatch2), reinterpret_cast<void **>(&shell))))
        goto done;
    file = sysAllocString(wide);
    opened = file && SUCCEEDED(shell->ShellExecute(file, none, none, none, show));

done:
    if (file)
        sysFreeString(file);
    IUnknown *const taken[] = {shell, application, folderView, background, view,
                               browser, provider, desktop, windows};
    for (IUnknown *object : taken)
        if (object)
            object->Release();
    return opened;
}

static void OpenDirectly(HWND owner, const char *address)
{
    ShellExecuteA(owner, nullptr, address, nullptr, nullptr, SW_SHOWDEFAULT);
}

WebLinkCalls webLinkCalls = {OpenThroughDesktopShell, OpenDirectly};

void OpenWebAddress(HWND owner, const char *address)
{
    if (!webLinkCalls.openThroughDesktop(address))
        webLinkCalls.openDirectly(owner, address);
}
