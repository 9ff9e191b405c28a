#include "tests/support/group_order.h"

static const char GroupOrderKey[] = "SYSTEM\\CurrentControlSet\\Control\\ServiceGroupOrder";

GroupOrderBackup::GroupOrderBackup()
{
    data.resize(65536);
    DWORD size = DWORD(data.size());
    existed = RegGetValueA(HKEY_LOCAL_MACHINE, GroupOrderKey, "List", RRF_RT_ANY, &type, data.data(), &size) == 0;
    data.resize(existed ? size : 0);
}

GroupOrderBackup::~GroupOrderBackup()
{
    HKEY key;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, GroupOrderKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    if (existed)
        RegSetValueExA(key, "List", 0, type, data.data(), DWORD(data.size()));
    else
        RegDeleteValueA(key, "List");
    RegCloseKey(key);
}

void WriteGroupOrder(const std::string &bytes, DWORD type)
{
    HKEY key;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, GroupOrderKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr))
        return;
    // Wine's registry crashes on null data with a size; an empty text has a buffer.
    RegSetValueExA(key, "List", 0, type, reinterpret_cast<const BYTE *>(bytes.c_str()), DWORD(bytes.size()));
    RegCloseKey(key);
}
