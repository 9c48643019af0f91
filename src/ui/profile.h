#pragma once
// CProfile: a reader of one INI file (the host console's settings). Holds only the path; every read goes to
// the file, nothing is cached, nothing is ever written.
#include <string>

class CProfile {
  public:
    explicit CProfile(std::wstring iniPath) : m_strIniPath(std::move(iniPath)) {}

    // The value of section/key, at most 511 characters; def when the file, section or key is missing, and
    // when anything fails during the read.
    std::wstring GetString(const wchar_t* section, const wchar_t* key, const wchar_t* def) const;
    // The leading decimal digits of section/key as the platform's profile reader gives them; def when
    // missing.
    int GetInt(const wchar_t* section, const wchar_t* key, int def) const;

    const std::wstring& Path() const { return m_strIniPath; }

  private:
    std::wstring m_strIniPath;
};
