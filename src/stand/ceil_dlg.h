#pragma once
// CKoveCeilDlg: the ceiling stand panel on template 699, a modeless child of the main panel that the main
// panel creates, places, owns and destroys. It shows the console's SID and angle, jogs the stand while UP or
// DOWN is held and reports its mode and stop commands through the main panel.
#include <windows.h>

#include <cstdint>

#include "controls/skinned_button.h"
#include "stand/stand_hold.h"
#include "ui/dialog.h"

class IPanelReports;

class CKoveCeilDlg : public CDialog {
  public:
    // Private messages of the panel's window (no parameters, result 0): redisplay a stored value.
    static constexpr UINT WM_STAND_SHOW_SID = WM_USER + 6001;
    static constexpr UINT WM_STAND_SHOW_AUX = WM_USER + 6002;
    static constexpr UINT WM_STAND_SHOW_ANGLE = WM_USER + 6003;
    // Stopped by the panel; nothing in this program starts it (see ceil_dlg.cpp).
    static constexpr UINT_PTR kStandTimerId = 1234;

    CKoveCeilDlg();
    ~CKoveCeilDlg() override;

    // Creates the window from template 699 as a child of parent; owner receives every report.
    virtual BOOL CreatePanel(CWnd* parent, IPanelReports* owner);

    // A CDC_STAND_STATUS from the console; anything but a 16-byte record is ignored.
    void UpdateStandStatus(const COPYDATASTRUCT* cds);
    // Sends the stop command (1); nothing without an owner.
    void StopStand();

    void ShowSidValue();
    void ShowAuxValue();
    void ShowAngleValue();

    // Press and hold of UP and DOWN, seen before the buttons handle the mouse.
    BOOL PreTranslateMessage(MSG* pMsg) override;

  protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    void OnOK() override {}
    void OnCancel() override {}

  private:
    SIDECAR_DECLARE_MESSAGE_MAP();

    void SendStandCommand(std::int32_t nCommand);
    void OnModeButton(UINT id);
    void OnCheck();
    void OnTimer(UINT_PTR id);
    LRESULT OnShowSid(WPARAM, LPARAM);
    LRESULT OnShowAux(WPARAM, LPARAM);
    LRESULT OnShowAngle(WPARAM, LPARAM);
    void OnDestroy();

    IPanelReports* m_pOwner = nullptr;
    CStandHold m_hold;  // UP or DOWN held; its end sends the release command
    std::int32_t m_nSidValue = 0;
    std::int32_t m_nAuxValue = 0;
    std::int32_t m_nAngleValue = 0;
    std::int32_t m_nStandState = 0;

    CButtonSTEx2 m_btnSidLabel;
    CButtonSTEx2 m_btnSidValue;
    CButtonSTEx2 m_btnUp;
    CButtonSTEx2 m_btnAngleLabel;
    CButtonSTEx2 m_btnAngleValue;
    CButtonSTEx2 m_btnDown;
    CButtonSTEx2 m_btnAuxValue;
    CButtonSTEx2 m_btnHeightLabel;
    CButtonSTEx2 m_btnLockLabel;
    CButtonSTEx2 m_btnLong;
    CButtonSTEx2 m_btnShort;
    CButtonSTEx2 m_btnSync;
    CButtonSTEx2 m_btnFree;
    CButtonSTEx2 m_btnTube;
    CButtonSTEx2 m_btnSwing;
    CButtonSTEx2 m_btnCheck;
};
