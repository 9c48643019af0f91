// The INI reader under the platform's real profile functions: defaults, the integer reading, the 511
// character limit and that every read goes to the file.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ui/profile.h"

namespace {

// A fresh temporary folder, removed with its files at the end of the test.
class CTempIni {
  public:
    CTempIni() {
        wchar_t dir[MAX_PATH];
        ::GetTempPathW(MAX_PATH, dir);
        m_strPath = std::wstring(dir) + L"sidecar-profile-" + std::to_wstring(::GetCurrentProcessId()) +
                    L"-" + std::to_wstring(++s_nCounter) + L".ini";
    }
    ~CTempIni() { ::DeleteFileW(m_strPath.c_str()); }
    CTempIni(const CTempIni&) = delete;
    CTempIni& operator=(const CTempIni&) = delete;

    // Writes the file as plain ASCII text, the way the console's installer leaves it.
    void Write(const std::string& text) const {
        HANDLE h = ::CreateFileW(m_strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD n = 0;
        ::WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &n, nullptr);
        ::CloseHandle(h);
    }
    const std::wstring& Path() const { return m_strPath; }

  private:
    static inline int s_nCounter = 0;
    std::wstring m_strPath;
};

}  // namespace

TEST(Profile, MissingFileSectionOrKeyGivesTheDefault) {
    CTempIni ini;
    CProfile missing(ini.Path());
    EXPECT_EQ(missing.GetString(L"SYSTEM", L"FontName", L"Arial"), L"Arial");
    EXPECT_EQ(missing.GetInt(L"SYSTEM", L"FontSize", 20), 20);

    ini.Write("[SYSTEM]\r\nFontName=Tahoma\r\nFontSize=14\r\n");
    CProfile profile(ini.Path());
    EXPECT_EQ(profile.GetString(L"SYSTEM", L"FontName", L"Arial"), L"Tahoma");
    EXPECT_EQ(profile.GetInt(L"SYSTEM", L"FontSize", 20), 14);
    EXPECT_EQ(profile.GetString(L"KOVESDK", L"FontName", L"Arial"), L"Arial");
    EXPECT_EQ(profile.GetInt(L"KOVESDK", L"KOVESDK", 0), 0);
    EXPECT_EQ(profile.GetString(L"SYSTEM", L"SkinType", L"default.skf"), L"default.skf");
    EXPECT_EQ(profile.GetInt(L"SYSTEM", L"FontSizeL", 30), 30);
    EXPECT_EQ(profile.GetString(L"SYSTEM", L"SkinType", nullptr), L"");
}

TEST(Profile, IntegersAreTheLeadingDigitsWithTheirSign) {
    CTempIni ini;
    ini.Write("[SYSTEM]\r\nA=12abc\r\nB=abc\r\nC=-35\r\nD=  7\r\nSidecarPosX=1024\r\n");
    CProfile profile(ini.Path());
    EXPECT_EQ(profile.GetInt(L"SYSTEM", L"A", 99), 12);
    EXPECT_EQ(profile.GetInt(L"SYSTEM", L"B", 99), 0);  // present but not a number: the platform gives 0
    EXPECT_EQ(profile.GetInt(L"SYSTEM", L"C", 99), -35);
    EXPECT_EQ(profile.GetInt(L"SYSTEM", L"D", 99), 7);
    EXPECT_EQ(profile.GetInt(L"system", L"sidecarposx", 0), 1024);  // names ignore case
}

TEST(Profile, StringsAreCutTo511CharactersAndReadFreshEachTime) {
    CTempIni ini;
    const std::string longValue(600, 'v');
    const std::string fontName = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd";  // 40 characters
    ini.Write("[SYSTEM]\r\nLong=" + longValue + "\r\nFontName=" + fontName + "\r\n");
    CProfile profile(ini.Path());
    EXPECT_EQ(profile.GetString(L"SYSTEM", L"Long", L""), std::wstring(511, L'v'));
    EXPECT_EQ(profile.GetString(L"SYSTEM", L"FontName", L"Arial"),
              std::wstring(fontName.begin(), fontName.end()));  // the caller cuts it to 31

    ini.Write("[SYSTEM]\r\nFontName=Verdana\r\n");
    EXPECT_EQ(profile.GetString(L"SYSTEM", L"FontName", L"Arial"), L"Verdana");
    EXPECT_EQ(profile.GetString(L"SYSTEM", L"Long", L"gone"), L"gone");
}
