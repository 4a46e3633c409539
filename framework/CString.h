#pragma once
#include <windows.h>
#include <string>

// The framework's 8-bit string: std::string with the few conveniences the windows use.
class CString : public std::string {
public:
    CString() {}
    CString(const char* text) : std::string(text ? text : "") {}
    CString(const std::string& text) : std::string(text) {}

    bool IsEmpty() const { return empty(); }
    operator const char*() const { return c_str(); }
    // printf-style formatting into this string; the result may be of any length.
    void Format(const char* format, ...);
    // Loads a string-table entry of the program; a missing entry gives "".
    bool LoadString(unsigned id);
};

// Where the last backslash of a path is, or npos. In a double-byte code page the second byte
// of a character may have the backslash's value; it is no separator.
size_t LastPathSeparator(const CString& path, UINT codePage = CP_ACP);
