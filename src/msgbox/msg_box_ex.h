#pragma once
// CMsgBoxEx: the system's modal message box on template 146. Constructed on the caller's stack with a
// parent, a text, a caption and a style word (buttons and icon as the platform's MB_ bits); DoModal shows it
// and returns the id (1..9) of the button that closed it. The icon, the row of buttons, their bold font and
// the optional check box are made at run time and live until the window goes or the next system colour
// change rebuilds them.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/skinned_button.h"
#include "controls/styled_static.h"
#include "msgbox/msg_box_style.h"
#include "ui/dialog.h"
#include "ui/handle.h"

class CMsgBoxEx : public CDialog {
  public:
    CMsgBoxEx(CWnd* parent, const std::wstring& text, const std::wstring& caption, std::uint32_t style);
    ~CMsgBoxEx() override;

    BOOL PreTranslateMessage(MSG* pMsg) override;

    std::uint32_t m_nStyle = 0;  // the style with its default icon added
    std::wstring m_strText;      // shown in control 1040
    std::wstring m_strCaption;   // kept; the title is always text 192
    short m_nButtonCount = 0;
    std::array<short, kMsgBoxMaxButtons> m_nButtonId{};  // rightmost first
    std::array<std::wstring, kMsgBoxMaxButtons> m_strButtonText;
    BOOL m_bShowCheck = FALSE;
    std::wstring m_strCheckText = L"Do not open this window next time";
    int m_bDontShowAgain = 0;

    // The run-time controls, for whoever needs to look at them while the box is open.
    HWND IconWindow() const { return m_pIcon ? m_pIcon->m_hWnd : nullptr; }
    HWND ButtonWindow(int index) const;
    HWND CheckWindow() const { return m_pCheck ? m_pCheck->m_hWnd : nullptr; }
    HFONT ButtonFont() const { return m_fontBold.Get(); }
    // The box draws the icon itself (no skin engine gives it a look): the program's bitmap, if any.
    bool OwnerDrawsIcon() const { return m_bOwnerDrawIcon; }
    bool DrawsIconBitmap() const { return m_bOwnerDrawIcon && m_bmpIcon; }
    // The beep type OnInitDialog played.
    std::uint32_t BeepPlayed() const { return m_nBeepPlayed; }

  protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;

  private:
    SIDECAR_DECLARE_MESSAGE_MAP();

    void DecodeStyle(const std::wstring& text, const std::wstring& caption, std::uint32_t style);
    BOOL LayoutControls();
    void ReleaseControls();
    void CreateCheckBox();
    void PlayBeep();
    void FocusLeftmost();
    bool ShowsButton(UINT id) const;

    void OnButton(UINT id);
    void OnCheck();
    void OnSysColorChange();
    void OnDestroy();
    LRESULT OnDrawItem(WPARAM wp, LPARAM lp);

    CStaticEx m_text;
    std::unique_ptr<CButtonSTEx2> m_pIcon;
    std::vector<std::unique_ptr<CButtonSTEx2>> m_buttons;
    CFont m_fontBold;
    std::unique_ptr<CButton> m_pCheck;
    CBitmap m_bmpIcon;
    bool m_bOwnerDrawIcon = false;
    std::uint32_t m_nBeepPlayed = 0;
};
