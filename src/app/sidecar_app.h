#pragma once
// CSidecarApp: the process's one application object (theApp). It owns, for the whole run, the settings, the
// two shared fonts, the skin engine, the localised text table and the modeless review dialog; InitInstance
// starts up and runs the main panel modally, ExitInstance releases what start-up made.
#include <windows.h>

#include <memory>
#include <string>

#include "app/text_map.h"
#include "ui/handle.h"
#include "ui/look.h"

class CDlgReview;
class CSkinEngine;
class CWnd;

// The program's own folder, always ending in a backslash.
extern std::wstring g_strAppDir;
// The host console's main window as last looked up, or null.
extern HWND g_hHostWnd;

// The application is the look of every window (ILook): it sets itself as the look in use for its lifetime.
class CSidecarApp final : public ILook {
  public:
    CSidecarApp();
    ~CSidecarApp() override;
    CSidecarApp(const CSidecarApp&) = delete;
    CSidecarApp& operator=(const CSidecarApp&) = delete;

    // Start-up and the modal run of the main panel; always returns FALSE (the process then ends).
    BOOL InitInstance();
    // Frees the review dialog, the skin engine and the fonts; returns the process exit code.
    int ExitInstance();

    // Fills the text table from the workbook beside the program (built-in texts otherwise).
    void LoadTextTable();
    // The text of `id`: the workbook's, else the program's built-in string of that id, else empty.
    std::wstring GetText(UINT id) const;

    // Gives a window a named look of the skin engine; nothing when no engine is active.
    void ApplySkin(HWND hwnd, const wchar_t* element) const;

    // ILook, from the settings, the fonts, the text table and the skin engine.
    HFONT NormalFont() const override { return m_fontNormal.Get(); }
    HFONT LargeFont() const override { return m_fontLarge.Get(); }
    const wchar_t* FontFace() const override { return m_szFontName; }
    int FontSize() const override { return m_nFontSize; }
    std::wstring Text(UINT id) const override { return GetText(id); }
    void Skin(HWND hwnd, const wchar_t* element) const override { ApplySkin(hwnd, element); }
    bool SkinDraws(const wchar_t* element) const override;
    POINT PanelCorner() const override { return {m_nPosX, m_nPosY}; }

    std::unique_ptr<CDlgReview> m_pReviewDlg;  // modeless, made at start-up, kept until ExitInstance
    CFont m_fontNormal;
    CFont m_fontLarge;
    int m_nFontSize = 20;
    int m_nFontSizeL = 30;
    std::wstring m_strIniPath;
    std::wstring m_strHostTitle = L"kiln-ACQS";
    std::wstring m_strSkinPath;
    std::unique_ptr<CSkinEngine> m_pSkin;
    int m_nPosX = 0;
    int m_nPosY = 0;
    wchar_t m_szFontName[32] = {};
    int m_nModalityMode = 0;  // read for the console's benefit; nothing here depends on it
    int m_nStandType = 0;
    CTextMap m_mapText;

    CWnd* m_pMainWnd = nullptr;

  private:
    void ReadSettings();
    void CreateFonts();
    void StartSkinEngine();
};

extern CSidecarApp theApp;

// Makes the program's folder the current directory; false when it cannot.
bool SetAppDirectory();
// Looks the host console's window up by its exact title (first match in enumeration order) into
// g_hHostWnd; true when one exists.
bool FindHostWindow();

// Shorthands used by every dialog.
inline std::wstring GetText(UINT id) {
    return theApp.GetText(id);
}
inline void ApplySkin(HWND hwnd, const wchar_t* element) {
    theApp.ApplySkin(hwnd, element);
}
