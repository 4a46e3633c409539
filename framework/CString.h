#pragma once
#include <windows.h>
#include <string>
#include <vector>

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

// Texts between the system's 8-bit code page and UTF-16. ToCodePage is false when the code page
// cannot hold every character: the system would put a look-alike ("L" for "Ł") or "?" in
// its place, and a name would then stand for another file.
// (Wide texts are zero-ended vectors: std::wstring would bring a library of its own along.)
bool ToCodePage(const wchar_t* wide, CString& narrow);
std::vector<wchar_t> FromCodePage(const char* narrow);
