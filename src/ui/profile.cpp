#include "ui/profile.h"

#include <windows.h>

#include <memory>

namespace {
constexpr DWORD kValueBufferChars = 512;
}

std::wstring CProfile::GetString(const wchar_t* section, const wchar_t* key, const wchar_t* def) const {
    try {
        // A fresh buffer per read, freed on return; a longer value is cut to the buffer less its terminator.
        auto buffer = std::make_unique<wchar_t[]>(kValueBufferChars);
        DWORD n = ::GetPrivateProfileStringW(section, key, def, buffer.get(), kValueBufferChars,
                                             m_strIniPath.c_str());
        return std::wstring(buffer.get(), n);
    } catch (...) {
        return def ? std::wstring(def) : std::wstring();
    }
}

int CProfile::GetInt(const wchar_t* section, const wchar_t* key, int def) const {
    return static_cast<int>(::GetPrivateProfileIntW(section, key, def, m_strIniPath.c_str()));
}
