// Texts in the system's code page, with the characters that trip byte scans.
#pragma once

#include <windows.h>

#include <string>

// A text the process's code page holds exactly: under 932 and 936 with
// characters whose second byte is a backslash or a bar (and under 936 one
// whose second byte is 0xFE), under UTF-8 in several scripts with an emoji.
std::wstring LocalWideText();

// Conversions between UTF-16 and a code page (the process's by default).
std::string Narrow(const std::wstring &text, UINT codePage = CP_ACP);
std::wstring Wide(const std::string &text, UINT codePage = CP_ACP);
