#pragma once
// A throw-away program folder: a copy of Sidecar.exe, its Hostapp.ini and any other files a case needs.
#include <optional>
#include <string>
#include <vector>

namespace sidecar::e2e {

// A build tree path as CMake gives it ("/work/build/...") as the program sees it under Wine, where the
// Linux root is drive Z: ("Z:\\work\\build\\...").
std::wstring WindowsPath(const char* pszPath);

// A file placed in the program folder; the path is relative to it ("Skins\\default.skf") and the
// bytes are written as given.
struct ExtraFile {
    std::wstring path;
    std::string bytes;
};

// Owns a uniquely named folder below the Wine user's temporary folder and removes it when destroyed.
class CProgramFolder {
  public:
    CProgramFolder() = default;
    CProgramFolder(const CProgramFolder&) = delete;
    CProgramFolder& operator=(const CProgramFolder&) = delete;
    ~CProgramFolder();

    // Creates the folder with a copy of strExe, then Hostapp.ini (when given) and the extra files.
    // On failure returns false with the reason in strError and leaves nothing behind.
    bool Create(const std::wstring& strExe, const std::optional<std::string>& hostappIni,
                const std::vector<ExtraFile>& files, std::wstring& strError);
    // Removes the folder and everything in it; true when it is gone.
    bool Remove();

    // The folder, ending in a backslash; empty before Create.
    const std::wstring& Path() const { return m_strPath; }
    // The program's copy inside the folder.
    std::wstring ExePath() const { return m_strPath + L"Sidecar.exe"; }

  private:
    std::wstring m_strPath;
};

}  // namespace sidecar::e2e
