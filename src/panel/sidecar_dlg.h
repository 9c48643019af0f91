#pragma once
// CSidecarDlg: the main panel on template 102, run modally by start-up for the whole life of the process.
// It mirrors the console's state and reports the operator's presses; it owns its controls, the tree's
// image list and the stand panel the settings choose.
#include <string>

#include "controls/skinned_button.h"
#include "controls/styled_static.h"
#include "ui/controls.h"
#include "ui/dialog.h"

class CSidecarDlg : public CDialog {
public:
    explicit CSidecarDlg(CWnd* parent = nullptr);
    ~CSidecarDlg() override;

    // Every report to the console goes through here: the console window is looked up by title first and
    // the report dropped when there is none; otherwise sent synchronously with this panel as sender.
    void SendToHost(DWORD code, DWORD sizeOrValue, const void* record);
    void SendPatientSize(int size);
    void SendButtonCode(int code);
    void SendReviewResult(int result);
    void SendStandCode(int code);
    void ForwardToHost(const COPYDATASTRUCT* cds);

    std::wstring m_strPatientId;
    std::wstring m_strPatientName;
    std::wstring m_strAccessionNo;
    std::wstring m_strStudy;
    int m_nRequestedSize = 2;
    int m_nControlMode = 2;
    int m_nAecField[3] = {0, 0, 0};
    bool m_bDeviceShown = false;
    int m_nShownSize = 2;
    int m_nAecSubMode = 1;

protected:
    BOOL OnInitDialog() override;

private:
    SIDECAR_DECLARE_MESSAGE_MAP();

    void OnButtonCode(UINT id);
    void OnPatientSize(UINT id);
    LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT* cds);
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);

    HICON m_hIcon = nullptr;
};
