// Accessible names through the system's accessibility annotation.
#include "app/accessible_names.h"

#include "skin/system_library.h"

#include <oleacc.h>

// CLSID_AccPropServices, IID_IAccPropServices and PROPID_ACC_NAME, written
// out: the GUID library would bring thousands of others with them.
static const GUID AnnotationClass = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
static const GUID AnnotationInterface = {0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
static const GUID NameProperty = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};

static IAccPropServices *annotations;
static int namedControls;  // names given and not yet taken back

// The annotation service, made by oleacc of the system folder at the first
// name; null where the platform has none.
static IAccPropServices *Annotations()
{
    static decltype(&DllGetClassObject) getClassObject;
    IClassFactory *factory = nullptr;
    if (!annotations && SystemFunction(getClassObject, "oleacc.dll", "DllGetClassObject") &&
        SUCCEEDED(getClassObject(AnnotationClass, __uuidof(IClassFactory), reinterpret_cast<void **>(&factory)))) {
        factory->CreateInstance(nullptr, AnnotationInterface, reinterpret_cast<void **>(&annotations));
        factory->Release();
    }
    return annotations;
}

// A platform that cannot keep the name (Wine answers E_NOTIMPL) changes
// nothing else.
static void SetAccessibleName(HWND control, const WCHAR *name)
{
    IAccPropServices *services = Annotations();
    if (!services)
        return;
    namedControls++;
    services->SetHwndPropStr(control, DWORD(OBJID_CLIENT), CHILDID_SELF, NameProperty, name);
}

static void ClearAccessibleName(HWND control)
{
    if (!annotations)
        return;
    MSAAPROPID name = NameProperty;
    annotations->ClearHwndProps(control, DWORD(OBJID_CLIENT), CHILDID_SELF, &name, 1);
    if (--namedControls <= 0) {
        annotations->Release();
        annotations = nullptr;
        namedControls = 0;
    }
}

AccessibleNameCalls accessibleNameCalls = {SetAccessibleName, ClearAccessibleName};
