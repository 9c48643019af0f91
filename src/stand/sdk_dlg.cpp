#include "stand/sdk_dlg.h"

#include <cstdint>

#include "msgbox/msg_box_ex.h"
#include "link/panel_reports.h"
#include "resources/resource.h"
#include "stand/stand_keys.h"
#include "stand/stand_tables.h"
#include "ui/look.h"

SIDECAR_MESSAGE_MAP(CKOVESDKDlg, CDialog, M::Command<&CKOVESDKDlg::OnSave>(IDC_SDK_SAVE),
                    M::Command<&CKOVESDKDlg::OnStop>(IDC_SDK_STOP),
                    M::Command<&CKOVESDKDlg::OnConnection>(IDC_SDK_CONNECTION),
                    M::Event<&CKOVESDKDlg::OnDestroy>(WM_DESTROY))

namespace {

std::wstring AppText(unsigned id) {
    return Look().Text(id);
}

// Control id of part `part` of axis row `row` (0 HEIGHT .. 4 SID EXT.); the parts are label, value, "<", ">".
int RowControlId(int row, int part) {
    // The template numbers each row label, value, "<", ">", which is also the order of RowPart.
    return IDC_SDK_FIRST_ROW + 4 * row + part;
}

// The message box style of a stored stand message.
constexpr std::uint32_t kStoredMessageStyle = 10;

constexpr unsigned kRowLabelTexts[] = {IDS_HEIGHT, IDS_ROTATE, IDS_DET, IDS_SID, IDS_SID_EXT};

}  // namespace

CKOVESDKDlg::CKOVESDKDlg()
    : CDialog(IDD_STAND_SDK), m_hold([this] {
          if (m_pOwner)
              m_pOwner->SendStandCode(stand::kSdkRelease);
      }) {}

CKOVESDKDlg::~CKOVESDKDlg() = default;

BOOL CKOVESDKDlg::CreatePanel(CWnd* parent, IPanelReports* owner) {
    m_pOwner = owner;
    return Create(IDD_STAND_SDK, parent);
}

void CKOVESDKDlg::DoDataExchange(CDataExchange& dx) {
    CDialog::DoDataExchange(dx);
    dx.Control(IDC_SDK_CONNECTION, m_btnConnection);
    dx.Control(IDC_SDK_STATUS, m_btnStatus);
    dx.Control(IDC_SDK_AUTO_MOVE, m_btnAutoMove);
    dx.Control(IDC_SDK_SAVE, m_btnSave);
    dx.Control(IDC_SDK_STOP, m_btnStop);
    dx.Control(IDC_SDK_MOVE, m_btnMove);
    for (int row = 0; row < kRowCount; ++row)
        for (int part = 0; part < kPartCount; ++part)
            dx.Control(RowControlId(row, part), m_btnRow[row][part]);
}

BOOL CKOVESDKDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetFonts();
    SkinControls();
    SetTexts();
    return TRUE;
}

void CKOVESDKDlg::SetFonts() {
    const HFONT normal = Look().NormalFont();
    const HFONT large = Look().LargeFont();

    for (auto& row : m_btnRow)
        row[kLabel].SetFont(normal);
    for (auto& row : m_btnRow)
        row[kValue].SetFont(large);
    m_btnStatus.SetFont(normal);
    for (auto& row : m_btnRow)
        row[kUp].SetFont(normal);
    for (auto& row : m_btnRow)
        row[kDown].SetFont(normal);
    for (CWnd* button :
         {static_cast<CWnd*>(&m_btnMove), static_cast<CWnd*>(&m_btnSave), static_cast<CWnd*>(&m_btnStop),
          static_cast<CWnd*>(&m_btnConnection), static_cast<CWnd*>(&m_btnAutoMove)})
        button->SetFont(normal);
}

void CKOVESDKDlg::SkinControls() {
    for (auto& row : m_btnRow)
        Look().Skin(row[kLabel].m_hWnd, L"sidecar_pBtn_disab");
    Look().Skin(m_btnStatus.m_hWnd, L"sidecar_stcBtnS");
    for (auto& row : m_btnRow)
        Look().Skin(row[kValue].m_hWnd, L"sidecar_stcBtnS");
    for (auto& row : m_btnRow)
        Look().Skin(row[kUp].m_hWnd, L"sidecar_pBtn_trans");
    for (auto& row : m_btnRow)
        Look().Skin(row[kDown].m_hWnd, L"sidecar_pBtn_trans");
    for (CButtonSTEx2* button : {&m_btnMove, &m_btnSave, &m_btnStop, &m_btnConnection})
        Look().Skin(button->m_hWnd, L"testBtn0001");
}

// Values show "--" until the console sends some; the captions are texts of the table.
void CKOVESDKDlg::SetTexts() {
    for (auto& row : m_btnRow)
        row[kValue].SetWindowText(L"--");
    m_btnStatus.SetWindowText(L"--");

    m_btnConnection.SetWindowText(Look().Text(IDS_CON));
    m_btnSave.SetWindowText(Look().Text(IDS_SAVE));
    m_btnMove.SetWindowText(Look().Text(IDS_MOVE));
    m_btnStop.SetWindowText(Look().Text(IDS_STOP));
    for (int row = 0; row < kRowCount; ++row)
        m_btnRow[row][kLabel].SetWindowText(Look().Text(kRowLabelTexts[row]));
}

void CKOVESDKDlg::UpdateSdkTexts(const std::wstring& status, const std::wstring& connection, int autoMove) {
    m_btnStatus.SetWindowText(status);
    m_btnConnection.SetWindowText(connection);
    m_btnAutoMove.SetCheck(autoMove);
}

void CKOVESDKDlg::UpdateSdkValues(int height, int rotate, int det, int sid, int sidExt) {
    const int values[kRowCount] = {height, rotate, det, sid, sidExt};
    for (int row = 0; row < kRowCount; ++row)
        m_btnRow[row][kValue].SetWindowText(stand::ValueCaption(values[row]));
    UpdateData(FALSE);
}

void CKOVESDKDlg::ShowSidExtRow() {
    for (CButtonSTEx2& control : m_btnRow[kRowCount - 1])
        control.ShowWindow(SW_SHOW);
}

void CKOVESDKDlg::ShowConnectionState(int state) {
    if (m_nLastConnState == state)
        return;
    m_nLastConnState = state;
    m_btnConnection.SetWindowText(stand::ConnectionCaption(state, AppText));
}

void CKOVESDKDlg::ShowStatusCode(int code) {
    if (m_nLastStatusCode == code)
        return;
    m_nLastStatusCode = code;
    m_btnStatus.SetWindowText(stand::StatusText(code, AppText));
}

void CKOVESDKDlg::RefreshStatus() {
    if (!m_strErrorMessage.empty()) {
        ShowConnectionState(2);
        ShowStatusCode(15);
        m_btnStatus.SetWindowText(m_strErrorMessage);
    } else if (!m_strSensorMessage.empty()) {
        ShowConnectionState(3);
        ShowStatusCode(14);
        m_btnStatus.SetWindowText(m_strSensorMessage);
    } else {
        ShowConnectionState(0);
        m_btnStatus.SetWindowText(m_strNormalStatus);
    }
}

void CKOVESDKDlg::OnSave() {
    if (m_pOwner)
        m_pOwner->SendStandCode(stand::kSdkSave);
}

void CKOVESDKDlg::OnStop() {
    if (m_pOwner)
        m_pOwner->SendStandCode(stand::kSdkStop);
}

// A click on the connection caption acknowledges what the status line shows: the line is cleared and the
// slots are shown again. When the line read ERROR DETECT or SENSOR DETECT before the click and that slot
// holds a message, the message is shown first in the extended message box; an acknowledged error is then
// forgotten, a sensor message stays until the sensor clears. The line is read before it is cleared, so the
// box can appear at all; a slot without a message shows no box, because an empty box tells the operator
// nothing.
void CKOVESDKDlg::OnConnection() {
    const std::wstring strShown = m_btnStatus.GetWindowText();
    m_btnStatus.SetWindowText(L"");
    const std::optional<stand::StoredMessage> stored =
        stand::StoredMessageFor(strShown, m_strErrorMessage, m_strSensorMessage, AppText);
    if (stored && stored->slot == stand::StoredMessage::Slot::Error) {
        ShowStoredMessage(m_strErrorMessage, stored->nCaptionId);
        m_strErrorMessage.clear();
    } else if (stored) {
        ShowStoredMessage(m_strSensorMessage, stored->nCaptionId);
    }
    RefreshStatus();
}

void CKOVESDKDlg::ShowStoredMessage(const std::wstring& strText, unsigned nCaptionId) {
    CMsgBoxEx box(CWnd::FromHandlePermanent(::GetParent(m_hWnd)), strText, Look().Text(nCaptionId),
                  kStoredMessageStyle);
    box.DoModal();
}

// MOVE and the axis rows report their code on the press, before the button sees it. A held control starts
// the hold, which reports 514 when it ends, however it ends. A double-click's second press arrives as
// WM_LBUTTONDBLCLK; to the operator it is a press.
BOOL CKOVESDKDlg::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_LBUTTONDOWN || pMsg->message == WM_LBUTTONDBLCLK)
        OnPress(pMsg->hwnd);
    if (const int command = stand::DialogKeyCommand(*pMsg)) {
        if (command == IDOK) {
            OnOK();
        } else {
            OnCancel();
        }
        return TRUE;
    }
    return CDialog::PreTranslateMessage(pMsg);
}

void CKOVESDKDlg::OnPress(HWND hControl) {
    const int id = ::GetDlgCtrlID(hControl);
    const std::optional<int> code = stand::SdkPressCode(id);
    if (!code || !m_pOwner)
        return;
    const bool bHold =
        id != IDC_SDK_MOVE ||
        stand::MoveHolds(m_btnStatus.GetWindowText(), m_btnAutoMove.GetCheck() != BST_UNCHECKED, AppText);
    m_pOwner->SendStandCode(*code);
    if (bHold)
        m_hold.Begin(m_hWnd, hControl);
}

// The panel closing with a control held still tells the console the motion is over.
void CKOVESDKDlg::OnDestroy() {
    m_hold.End();
    Default();
}
