#pragma once
// CKOVESDKDlg: the stand SDK panel on template 153, a modeless child of the main panel that the main panel
// creates hidden, shows in the tree's place on Show Device, owns and destroys. It shows the console's
// connection, status and five axis values and reports its buttons as codes, holding the axis buttons
// (and MOVE when the console asks for acknowledgement) until they are let go.
#include <windows.h>

#include <array>
#include <optional>
#include <string>

#include "controls/skinned_button.h"
#include "stand/stand_hold.h"
#include "ui/dialog.h"

class IPanelReports;

class CKOVESDKDlg : public CDialog {
  public:
    CKOVESDKDlg();
    ~CKOVESDKDlg() override;

    // Creates the window from template 153 as a child of parent; owner receives every report.
    virtual BOOL CreatePanel(CWnd* parent, IPanelReports* owner);

    // CDC_SDK_TEXT: status line, connection caption and the Auto Move check, as the console sends them.
    void UpdateSdkTexts(const std::wstring& status, const std::wstring& connection, int autoMove);
    // CDC_SDK_VALUES: the five axis values, shown in decimal (SID EXT. too while its row is hidden).
    void UpdateSdkValues(int height, int rotate, int det, int sid, int sidExt);
    // Reveals the SID EXT. row, which the template hides.
    void ShowSidExtRow();

    void ShowConnectionState(int state);
    void ShowStatusCode(int code);
    // Shows the first message slot that holds a message (error, sensor, normal) with its state.
    void RefreshStatus();

    // Press and release of MOVE and the axis rows, seen before the buttons handle the mouse.
    BOOL PreTranslateMessage(MSG* pMsg) override;

  protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

  private:
    SIDECAR_DECLARE_MESSAGE_MAP();

    enum RowPart { kLabel, kValue, kDown, kUp, kPartCount };
    static constexpr int kRowCount = 5;

    void SetFonts();
    void SkinControls();
    void SetTexts();
    void OnSave();
    void OnStop();
    void OnConnection();
    void OnPress(HWND hControl);
    void OnDestroy();
    // Shows a stored message in the extended message box (see OnConnection).
    void ShowStoredMessage(const std::wstring& strText, unsigned nCaptionId);

    IPanelReports* m_pOwner = nullptr;
    CStandHold m_hold;                     // an axis control (or MOVE) held; its end sends 514
    std::optional<int> m_nLastConnState;   // none until the first call, which always writes
    std::optional<int> m_nLastStatusCode;  // likewise
    // Message slots read by RefreshStatus; no console record fills them yet.
    std::wstring m_strNormalStatus;
    std::wstring m_strSensorMessage;
    std::wstring m_strErrorMessage;

    CButtonSTEx2 m_btnConnection;
    CButtonSTEx2 m_btnStatus;
    CButton m_btnAutoMove;
    CButtonSTEx2 m_btnSave;
    CButtonSTEx2 m_btnStop;
    CButtonSTEx2 m_btnMove;
    std::array<std::array<CButtonSTEx2, kPartCount>, kRowCount> m_btnRow;
};
