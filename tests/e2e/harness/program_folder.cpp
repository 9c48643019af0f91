#include "harness/program_folder.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace sidecar::e2e {

namespace {

constexpr wchar_t kFolderPrefix[] = L"sidecar-e2e-";

// Folders left by a test process that was killed: their name carries the owner's process id.
void RemoveOrphans(const fs::path& tempDir) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(tempDir, ec)) {
        const std::wstring strName = entry.path().filename().wstring();
        if (strName.rfind(kFolderPrefix, 0) != 0)
            continue;
        const DWORD dwOwner =
            static_cast<DWORD>(std::wcstoul(strName.c_str() + std::size(kFolderPrefix) - 1, nullptr, 10));
        if (dwOwner == GetCurrentProcessId())
            continue;
        HANDLE hOwner = OpenProcess(SYNCHRONIZE, FALSE, dwOwner);
        if (hOwner != nullptr) {
            CloseHandle(hOwner);
            continue;
        }
        fs::remove_all(entry.path(), ec);
    }
}

fs::path TempDirectory() {
    wchar_t szTemp[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathW(MAX_PATH + 1, szTemp);
    return n > 0 && n <= MAX_PATH ? fs::path(szTemp) : fs::current_path();
}

}  // namespace

std::wstring WindowsPath(const char* pszPath) {
    std::wstring str(pszPath, pszPath + std::strlen(pszPath));
    for (wchar_t& ch : str)
        if (ch == L'/')
            ch = L'\\';
    if (!str.empty() && str.front() == L'\\')
        str.insert(0, L"Z:");
    return str;
}

CProgramFolder::~CProgramFolder() {
    Remove();
}

bool CProgramFolder::Create(const std::wstring& strExe, const std::optional<std::string>& hostappIni,
                            const std::vector<ExtraFile>& files, std::wstring& strError) {
    static std::atomic<unsigned> s_nNext{0};
    static const bool s_bSwept = (RemoveOrphans(TempDirectory()), true);
    (void)s_bSwept;

    Remove();
    const fs::path folder = TempDirectory() / (kFolderPrefix + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                               std::to_wstring(++s_nNext));
    std::error_code ec;
    fs::remove_all(folder, ec);
    if (!fs::create_directories(folder, ec)) {
        strError = L"cannot create " + folder.wstring();
        return false;
    }
    m_strPath = folder.wstring();
    if (m_strPath.back() != L'\\')
        m_strPath += L'\\';

    if (!CopyFileW(strExe.c_str(), ExePath().c_str(), FALSE)) {
        strError = L"cannot copy " + strExe + L" (error " + std::to_wstring(GetLastError()) + L")";
        Remove();
        return false;
    }
    std::vector<ExtraFile> all = files;
    if (hostappIni)
        all.push_back({L"Hostapp.ini", *hostappIni});
    for (const ExtraFile& file : all) {
        const fs::path target = folder / file.path;
        fs::create_directories(target.parent_path(), ec);
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        out.write(file.bytes.data(), static_cast<std::streamsize>(file.bytes.size()));
        if (!out.flush()) {
            strError = L"cannot write " + target.wstring();
            Remove();
            return false;
        }
    }
    return true;
}

bool CProgramFolder::Remove() {
    if (m_strPath.empty())
        return true;
    std::error_code ec;
    fs::remove_all(fs::path(m_strPath), ec);
    const bool bGone = !fs::exists(fs::path(m_strPath), ec);
    if (bGone)
        m_strPath.clear();
    return bGone;
}

}  // namespace sidecar::e2e
