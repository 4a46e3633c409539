#include "CString.h"
#include <cstdarg>
#include <cstdio>
#include <vector>
#include <windows.h>

void CString::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::vector<char> buffer(needed > 0 ? needed + 1 : 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    assign(buffer.data());
}

bool CString::LoadString(unsigned id)
{
    // A pointer to the resource itself avoids guessing a buffer size.
    wchar_t* wide = nullptr;
    const int length = LoadStringW(GetModuleHandleA(nullptr), id, reinterpret_cast<wchar_t*>(&wide), 0);
    if (length <= 0) {
        clear();
        return false;
    }
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    std::string narrow(bytes, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, length, &narrow[0], bytes, nullptr, nullptr);
    assign(narrow);
    return true;
}

size_t LastPathSeparator(const CString& path, UINT codePage)
{
    size_t found = std::string::npos;
    for (const char* p = path.c_str(); *p; p = ::CharNextExA(static_cast<WORD>(codePage), p, 0))
        if (*p == '\\')
            found = p - path.c_str();
    return found;
}

std::vector<wchar_t> FromCodePage(const char* narrow)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, narrow, -1, nullptr, 0);
    std::vector<wchar_t> wide(length > 0 ? length : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow, -1, wide.data(), length);
    return wide;
}

bool ToCodePage(const wchar_t* wide, CString& narrow)
{
    // No flags: the UTF-8 code page takes none. Whatever the conversion had to replace does
    // not come back unchanged.
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> text(bytes > 0 ? bytes : 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, text.data(), bytes, nullptr, nullptr);
    narrow = CString(text.data());
    const std::vector<wchar_t> back = FromCodePage(narrow);
    return lstrcmpW(back.data(), wide) == 0;
}
