// Texts in the system's code page.
#include "tests/support/local_text.h"

std::wstring LocalWideText()
{
    switch (GetACP()) {
    case 932:
        return L"\x30BD\x30D5\x30C8\x8868\x793A\x5012";  // ソフト表示倒: ソ and 表 end in 0x5C, 倒 in 0x7C
    case 936:
        return L"\x4E57\x4E8C\x670D\x52A1\x5104";  // 乗二服务億: 乗 ends in 0x5C, 二 in 0xFE, 億 in 0x7C
    case 1251:
        return L"\x0421\x043B\x0443\x0436\x0431\x0430";  // Служба
    case CP_UTF8:
        return L"\x0421\x043B\x0443\x0436\x0431\x0430 \x30B5\x30FC\x30D3\x30B9 \x670D\x52A1 Caf\x00E9 \xD83D\xDE00";
    default:
        return L"Caf\x00E9 \x00DCn\x00EF";  // Café Ünï
    }
}

std::string Narrow(const std::wstring &text, UINT codePage)
{
    std::string narrow(text.size() * 4 + 1, '\0');
    narrow.resize(WideCharToMultiByte(codePage, 0, text.c_str(), -1, narrow.data(), int(narrow.size()), nullptr,
                                      nullptr));
    if (!narrow.empty())
        narrow.pop_back();
    return narrow;
}

std::wstring Wide(const std::string &text, UINT codePage)
{
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.c_str(), -1, wide.data(), int(wide.size())));
    if (!wide.empty())
        wide.pop_back();
    return wide;
}
