#include "app/sidecar_app.h"

#include <objbase.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "ui/profile.h"
#include "app/skin_engine.h"
#include "app/text_workbook.h"
#include "panel/sidecar_dlg.h"
#include "resources/resource.h"
#include "review/dlg_review.h"

std::wstring g_strAppDir;
HWND g_hHostWnd = nullptr;
CSidecarApp theApp;

namespace {

// The folder part of a path, up to and including its last backslash.
std::wstring FolderOf(const std::wstring& path) {
    std::size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// The program file's full path. A buffer that turns out too small is grown, so a program folder deeper
// than the classic 260 characters is still found whole.
std::wstring ModulePath() {
    std::vector<wchar_t> buf(260);
    for (;;) {
        DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (n == 0)
            return {};
        if (n < buf.size())
            return std::wstring(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

std::wstring CurrentDirectory() {
    DWORD need = ::GetCurrentDirectoryW(0, nullptr);
    if (need == 0)
        return {};
    std::wstring dir(need, L'\0');
    DWORD got = ::GetCurrentDirectoryW(need, dir.data());
    dir.resize(got < need ? got : 0);
    return dir;
}

// True when the process was started with at least one argument (the program counts as one). The runtime
// has split the command line already; asking the shell library to split it again would load that library
// (and its dependencies) at every start for one count.
bool HasArguments() {
    return __argc >= 2;
}

}  // namespace

bool SetAppDirectory() {
    std::wstring folder = FolderOf(ModulePath());
    return !folder.empty() && ::SetCurrentDirectoryW(folder.c_str());
}

CSidecarApp::CSidecarApp() {
    SetLook(this);
}

CSidecarApp::~CSidecarApp() {
    SetLook(nullptr);
}

BOOL CSidecarApp::InitInstance() {
    // Hosting of ActiveX controls needs no set-up here: the skin component is driven by dispatch only.
    bool inFolder = SetAppDirectory();
    g_strAppDir = CurrentDirectory();
    if (!inFolder || g_strAppDir.empty()) {
        // The folder could not be made current: the program's folder is still where its files are.
        g_strAppDir = FolderOf(ModulePath());
    }
    if (g_strAppDir.empty() || g_strAppDir.back() != L'\\')
        g_strAppDir += L'\\';
    m_strIniPath = g_strAppDir + L"Hostapp.ini";

    ReadSettings();
    CreateFonts();
    StartSkinEngine();

    if (HasArguments())
        m_strHostTitle = CommandTail(::GetCommandLineW());

    LoadTextTable();

    g_hHostWnd = nullptr;
    CSidecarDlg dlg(PanelSetup{m_strIniPath, g_strAppDir, m_nStandType,
                               [] { return FindHostWindow() ? g_hHostWnd : nullptr; }});
    m_pMainWnd = &dlg;

    m_pReviewDlg = std::make_unique<CDlgReview>();
    m_pReviewDlg->m_pPanel = &dlg;
    m_pReviewDlg->Create(IDD_REVIEW, &dlg);
    dlg.SetReview(m_pReviewDlg.get());

    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

void CSidecarApp::ReadSettings() {
    CProfile profile(m_strIniPath);
    m_nPosX = profile.GetInt(L"SYSTEM", L"SidecarPosX", 0);
    m_nPosY = profile.GetInt(L"SYSTEM", L"SidecarPosY", 0);
    std::wstring face = profile.GetString(L"SYSTEM", L"FontName", L"Arial");
    face.resize(std::min<std::size_t>(face.size(), std::size(m_szFontName) - 1));
    std::copy(face.begin(), face.end(), m_szFontName);
    m_szFontName[face.size()] = L'\0';
    m_nFontSize = profile.GetInt(L"SYSTEM", L"FontSize", 20);
    m_nFontSizeL = profile.GetInt(L"SYSTEM", L"FontSizeL", 30);
    std::wstring skin = profile.GetString(L"SYSTEM", L"SkinType", L"default.skf");
    m_strSkinPath = g_strAppDir + L"\\Skins\\" + skin;
    m_nModalityMode = profile.GetInt(L"SYSTEM", L"Modality Mode", 0);
    m_nStandType = profile.GetInt(L"KOVESDK", L"KOVESDK", 0);
}

void CSidecarApp::CreateFonts() {
    auto make = [this](int height) {
        return ::CreateFontW(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_SWISS | DEFAULT_PITCH, m_szFontName);
    };
    m_fontNormal.Attach(make(m_nFontSize));
    m_fontLarge.Attach(make(m_nFontSizeL));
}

void CSidecarApp::StartSkinEngine() {
    m_pSkin = std::make_unique<CSkinEngine>();
    ::CoInitialize(nullptr);
    m_pSkin->Start(m_strSkinPath);
}

int CSidecarApp::ExitInstance() {
    m_pReviewDlg.reset();
    m_pSkin.reset();
    m_fontNormal.Reset();
    m_fontLarge.Reset();
    return 0;
}

void CSidecarApp::LoadTextTable() {
    LoadTextWorkbook(g_strAppDir, m_mapText);
}

std::wstring CSidecarApp::GetText(UINT id) const {
    std::wstring text;
    if (!m_mapText.Empty())
        text = m_mapText.Find(id);
    if (text.empty()) {
        const wchar_t* res = nullptr;
        int len = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&res), 0);
        if (len > 0 && res)
            text.assign(res, static_cast<std::size_t>(len));
    }
    return text;
}

void CSidecarApp::ApplySkin(HWND hwnd, const wchar_t* element) const {
    if (m_pSkin)
        m_pSkin->Apply(hwnd, element);
}

// The external component gives every element its look; the built-in engine only the elements its skin
// file describes.
bool CSidecarApp::SkinDraws(const wchar_t* element) const {
    if (!m_pSkin)
        return false;
    if (m_pSkin->External())
        return true;
    const CSkinFile* file = m_pSkin->Builtin().File();
    if (!file)
        return false;
    std::string name;
    for (const wchar_t* p = element; *p; ++p)
        name.push_back(static_cast<char>(*p));  // element names are ASCII
    return file->Find(name) != nullptr;
}
