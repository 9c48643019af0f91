#pragma once
// CSidecarDlg: the main panel on template 102, run modally by start-up for the whole life of the process.
// It mirrors the console's state and reports the operator's presses; it owns its controls, the tree's
// image list and the stand panel the settings choose.
#include <functional>
#include <memory>
#include <string>

#include "controls/skinned_button.h"
#include "controls/styled_static.h"
#include "link/dispatch.h"
#include "link/panel_reports.h"
#include "link/records.h"
#include "panel/tree_rows.h"
#include "ui/controls.h"
#include "ui/dialog.h"

class CDlgReview;
class CKOVESDKDlg;
class CProfile;
class CKoveCeilDlg;

// What the application hands the panel: the settings only the panel reads and how the console is found.
struct PanelSetup {
    std::wstring iniPath;               // Hostapp.ini, for the keys the panel reads itself (IsVet, TYPE)
    std::wstring appDir;                // the program folder, ending in a backslash (the logo is under it)
    int standType = 0;                  // [KOVESDK] KOVESDK: which stand panel, if any
    std::function<HWND()> findConsole;  // the console's window looked up by its title, or null
};

class CSidecarDlg : public CDialog, public IPanelReports {
  public:
    explicit CSidecarDlg(PanelSetup setup, CWnd* parent = nullptr);
    // The review dialog that takes the panel's place (made after the panel, as its owned window).
    void SetReview(CDlgReview* review) { m_pReview = review; }
    ~CSidecarDlg() override;

    // Every report to the console goes through here: the console window is looked up by title first and
    // the report dropped when there is none; otherwise sent synchronously with this panel as sender.
    void SendToHost(DWORD code, DWORD sizeOrValue, const void* record);
    void SendPatientSize(int size);
    void SendButtonCode(int code);
    void SendReviewResult(int result) override;
    void SendStandCode(int code) override;
    void SendRecord(std::uint32_t code, std::uint32_t sizeOrValue, const void* record) override;
    void ShowPanel() override;
    const wire::PatientInfo& Patient() const override { return m_patient; }

    // Exposure state from the console (modes, AEC fields, patient size).
    void SetControlMode(int mode);
    void SetPatientSizeShown(int size);
    // Lamps; any non-zero value is on.
    void SetLampG(BOOL on);
    void SetLampR(BOOL on);
    void SetLampE(BOOL on);
    // Switches between the panel and the review dialog; both ways the tree comes back.
    void ShowReviewView(BOOL review);
    // Show Device / Hide Device: the stand panels in place of the protocol tree.
    void ToggleDevice();

    std::unique_ptr<CKOVESDKDlg> m_pStandSdkDlg;  // the stand panel the settings ask for, at most one
    std::unique_ptr<CKoveCeilDlg> m_pCeilingDlg;
    wire::PatientInfo m_patient;  // the last patient record, for the review's labels
    int m_nRequestedSize = 2;
    int m_nControlMode = 2;
    HTREEITEM m_hExamItem = nullptr;
    panel::CTreeRows m_treeRows;  // the tree's rows by the console's item data
    int m_nAecField[3] = {0, 0, 0};
    BOOL m_bDeviceShown = FALSE;
    int m_nShownSize = 2;
    int m_nAecSubMode = 1;

  protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;
    // Enter and Escape reach the panel as OK and Cancel; neither may close the console's panel. Closing
    // the window (WM_CLOSE) ends the run.
    void OnOK() override {}
    void OnCancel() override {}

  private:
    SIDECAR_DECLARE_MESSAGE_MAP();

    void LayoutPanel();
    void CreateStandPanel(const CProfile& profile);
    void SetFonts();
    void SkinControls();
    void SetTexts(bool vet);
    void ShowLogo();
    void SetUpTree();

    // Console commands.
    LRESULT OnCopyData(HWND sender, const COPYDATASTRUCT* cds);
    bool ApplyPanelRecord(wire::Action action, wire::Bytes bytes);
    bool ApplyReviewRecord(wire::Action action, wire::Bytes bytes);
    void ApplyStandRecord(wire::Action action, wire::Bytes bytes, const COPYDATASTRUCT* cds);
    static LRESULT AnswerConsole(LRESULT result);
    void ApplyPatient(const wire::PatientInfo& info);
    void ApplyExposure(const wire::ExposureState& state);
    void ApplyTreeCommand(const wire::TreeCommand& cmd);
    void MarkRow(HTREEITEM item, bool done);
    HWND FindConsole() const;
    HTREEITEM InsertRow(const wire::TreeCommand& cmd, int image, HTREEITEM parent);
    HTREEITEM FindItemByData(std::int32_t data);

    // Operator presses and window events.
    void OnButtonCode(UINT id);
    void OnPatientSize(UINT id);
    void OnLampE() {}
    void OnTreeSelChanged(NMHDR* hdr, LRESULT* result);
    void OnTreeDeleteItem(NMHDR* hdr, LRESULT* result);
    void OnTimer(UINT_PTR id);
    void OnPaint();
    void OnDestroy();
    void OnClose();
    LRESULT OnQueryDragIcon(WPARAM, LPARAM);

    // A control's caption and its look of the skin engine; the same again changes nothing.
    void SetItemText(int id, const std::wstring& text);
    void SkinItem(int id, const wchar_t* element);

    HICON m_hIcon = nullptr;

    PanelSetup m_setup;

    CDlgReview* m_pReview = nullptr;
    CStaticEx m_stcLabel[5];        // 1011..1014, 1071
    CButtonSTEx2 m_btnPatient[4];   // 1073, 1072, 1075, 1076
    CButtonSTEx2 m_btnExpLabel[4];  // 1046..1049
    CButtonSTEx2 m_btnAec[9];       // 1055, 1056, 1054, 1057, 1058, 1059, 1038, 1060, 1036
    CButtonSTEx2 m_btnLamp[3];      // 1061, 1062, 1063
    CButtonSTEx2 m_btnExpValue[4];  // 1050, 1051, 1053, 1052
    CButtonSTEx2 m_btnStep[8];      // 1001, 1000, 1003, 1002, 1035, 1034, 1005, 1004
    CButtonSTEx2 m_btnSize[4];      // 1030..1033
    CTreeCtrl m_tree;               // 1041
    CImageList m_imlTree;
    CStatic m_stcLogo;            // 1077
    CButtonSTEx2 m_btnSeparator;  // 1078
    CButtonSTEx2 m_btnLogo;       // 1079
    CButtonSTEx2 m_btnDevice;     // 1083
    CBitmap m_bmpLogo;
};
