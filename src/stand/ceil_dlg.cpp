#include "stand/ceil_dlg.h"

#include <span>

#include "link/codes.h"
#include "link/panel_reports.h"
#include "resources/resource.h"
#include "stand/stand_keys.h"
#include "stand/stand_tables.h"
#include "ui/look.h"

SIDECAR_MESSAGE_MAP(CKoveCeilDlg, CDialog,
                    M::CommandRange<&CKoveCeilDlg::OnModeButton>(IDC_CEIL_FREE, IDC_CEIL_TUBE),
                    M::Command<&CKoveCeilDlg::OnCheck>(IDC_CEIL_CHECK), M::Timer<&CKoveCeilDlg::OnTimer>(),
                    M::Message<&CKoveCeilDlg::OnShowSid>(WM_STAND_SHOW_SID),
                    M::Message<&CKoveCeilDlg::OnShowAux>(WM_STAND_SHOW_AUX),
                    M::Message<&CKoveCeilDlg::OnShowAngle>(WM_STAND_SHOW_ANGLE),
                    M::Event<&CKoveCeilDlg::OnDestroy>(WM_DESTROY))

CKoveCeilDlg::CKoveCeilDlg()
    : CDialog(IDD_CEILING_STAND), m_hold([this] { SendStandCommand(stand::kCeilRelease); }) {}

CKoveCeilDlg::~CKoveCeilDlg() = default;

BOOL CKoveCeilDlg::CreatePanel(CWnd* parent, IPanelReports* owner) {
    m_pOwner = owner;
    return Create(IDD_CEILING_STAND, parent);
}

void CKoveCeilDlg::DoDataExchange(CDataExchange& dx) {
    CDialog::DoDataExchange(dx);
    dx.Control(IDC_CEIL_SID_LABEL, m_btnSidLabel);
    dx.Control(IDC_CEIL_SID_VALUE, m_btnSidValue);
    dx.Control(IDC_CEIL_UP, m_btnUp);
    dx.Control(IDC_CEIL_ANGLE_LABEL, m_btnAngleLabel);
    dx.Control(IDC_CEIL_ANGLE_VALUE, m_btnAngleValue);
    dx.Control(IDC_CEIL_DOWN, m_btnDown);
    dx.Control(IDC_CEIL_AUX_VALUE, m_btnAuxValue);
    dx.Control(IDC_CEIL_HEIGHT_LABEL, m_btnHeightLabel);
    dx.Control(IDC_CEIL_LOCK_LABEL, m_btnLockLabel);
    dx.Control(IDC_CEIL_LONG, m_btnLong);
    dx.Control(IDC_CEIL_SHORT, m_btnShort);
    dx.Control(IDC_CEIL_SYNC, m_btnSync);
    dx.Control(IDC_CEIL_FREE, m_btnFree);
    dx.Control(IDC_CEIL_TUBE, m_btnTube);
    dx.Control(IDC_CEIL_SWING, m_btnSwing);
    dx.Control(IDC_CEIL_CHECK, m_btnCheck);
}

BOOL CKoveCeilDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const HFONT font = Look().NormalFont();
    // UP and DOWN are listed twice on purpose: giving a look again is harmless and keeps the order of
    // look requests the skin engine has always seen from this panel.
    CButtonSTEx2* const jog[] = {&m_btnUp, &m_btnDown, &m_btnUp, &m_btnDown};
    for (CButtonSTEx2* button : jog)
        Look().Skin(button->m_hWnd, L"sidecar_pBtn_trans");
    for (CButtonSTEx2* button :
         {&m_btnLong, &m_btnShort, &m_btnSync, &m_btnFree, &m_btnUp, &m_btnDown, &m_btnTube, &m_btnSwing})
        button->SetFont(font);

    CButtonSTEx2* const values[] = {&m_btnSidValue, &m_btnAuxValue, &m_btnAngleValue};
    // The value fields get the label look first and then their own; the second one is what shows.
    for (CButtonSTEx2* value : values)
        Look().Skin(value->m_hWnd, L"sidecar_pBtn_disab");
    for (CButtonSTEx2* value : values)
        Look().Skin(value->m_hWnd, L"sidecar_stcBtnS");
    for (CButtonSTEx2* value : values)
        value->SetFont(font);
    m_btnCheck.SetFont(font);
    for (CButtonSTEx2* value : values)
        value->SetWindowText(L"--");

    for (CButtonSTEx2* mode :
         {&m_btnCheck, &m_btnLong, &m_btnShort, &m_btnSync, &m_btnFree, &m_btnTube, &m_btnSwing})
        Look().Skin(mode->m_hWnd, L"sidecar_pBtn_psml");

    CButtonSTEx2* const labels[] = {&m_btnSidLabel, &m_btnHeightLabel, &m_btnAngleLabel, &m_btnLockLabel};
    for (CButtonSTEx2* label : labels)
        label->SetFont(font);
    for (CButtonSTEx2* label : labels)
        Look().Skin(label->m_hWnd, L"sidecar_pBtn_disab");

    m_btnLong.SetWindowText(L"LONG");
    m_btnShort.SetWindowText(L"SHORT");
    m_btnSync.SetWindowText(L"SYNC");
    m_btnFree.SetWindowText(L"ALL");
    m_btnTube.SetWindowText(L"ANGLE");
    m_btnSwing.SetWindowText(L"SWING");
    return TRUE;
}

void CKoveCeilDlg::UpdateStandStatus(const COPYDATASTRUCT* cds) {
    if (!cds || !cds->lpData)
        return;
    const std::optional<stand::StandStatus> status =
        stand::StandStatus::Decode({static_cast<const std::uint8_t*>(cds->lpData), cds->cbData});
    if (!status)
        return;
    m_nSidValue = status->nSid;
    m_nAngleValue = status->nAngle;
    ShowSidValue();
    ShowAngleValue();
    m_nStandState = status->nState;
    if (m_nStandState == stand::kStateUp) {
        m_btnUp.SetWindowText(Look().Text(IDS_UP));
    } else if (m_nStandState == stand::kStateDown) {
        m_btnDown.SetWindowText(Look().Text(IDS_DN));
    }
}

void CKoveCeilDlg::ShowSidValue() {
    m_btnSidValue.SetWindowText(stand::SidCaption(m_nSidValue));
}

void CKoveCeilDlg::ShowAuxValue() {
    m_btnAuxValue.SetWindowText(stand::ValueCaption(m_nAuxValue));
}

void CKoveCeilDlg::ShowAngleValue() {
    m_btnAngleValue.SetWindowText(stand::ValueCaption(m_nAngleValue));
}

LRESULT CKoveCeilDlg::OnShowSid(WPARAM, LPARAM) {
    ShowSidValue();
    return 0;
}

LRESULT CKoveCeilDlg::OnShowAux(WPARAM, LPARAM) {
    ShowAuxValue();
    return 0;
}

LRESULT CKoveCeilDlg::OnShowAngle(WPARAM, LPARAM) {
    ShowAngleValue();
    return 0;
}

// The panel closing with UP or DOWN held still tells the console the jog is over.
void CKoveCeilDlg::OnDestroy() {
    m_hold.End();
    Default();
}

void CKoveCeilDlg::SendStandCommand(std::int32_t nCommand) {
    if (!m_pOwner)
        return;
    const auto record = stand::StandCommand{nCommand}.Encode();
    m_pOwner->SendRecord(wire::CDC_STAND_STATUS, static_cast<std::uint32_t>(record.size()), record.data());
}

void CKoveCeilDlg::StopStand() {
    if (!m_pOwner)
        return;
    ::KillTimer(m_hWnd, kStandTimerId);
    m_nStandState = 0;
    SendStandCommand(stand::kCeilStop);
}

void CKoveCeilDlg::OnModeButton(UINT id) {
    const std::optional<std::int32_t> command = stand::ModeCommandOf(static_cast<int>(id));
    if (!command)
        return;
    // The caption stays "CHECK" until the program ends: nothing in the console's records changes it back.
    ::SetDlgItemTextW(m_hWnd, static_cast<int>(id), Look().Text(IDS_CHECK).c_str());
    SendStandCommand(*command);
}

void CKoveCeilDlg::OnCheck() {
    if (!m_pOwner)
        return;
    m_pOwner->SendRecord(wire::CDC_STAND_CHECK, 0, nullptr);
    StopStand();
}

// Timer 1234 is only ever stopped. A jog ends with its hold's release command, however the hold ends, and
// the console reports the stand's state by itself, so the panel has nothing to poll or time out; the handler
// stays so that a timer of that id, were one ever started, ends once the stand is idle.
void CKoveCeilDlg::OnTimer(UINT_PTR id) {
    if (id == kStandTimerId && m_nStandState == 0)
        ::KillTimer(m_hWnd, kStandTimerId);
    Default();
}

// UP and DOWN jog while held. The press is caught here, before the button sees it: the command goes out at
// once and the hold starts; the hold sends the release command when it ends, however it ends. A
// double-click's second press arrives as WM_LBUTTONDBLCLK (buttons ask for double-clicks); it is a press
// like any other to the operator, so it jogs too.
BOOL CKoveCeilDlg::PreTranslateMessage(MSG* pMsg) {
    if (pMsg->message == WM_LBUTTONDOWN || pMsg->message == WM_LBUTTONDBLCLK) {
        const int id = ::GetDlgCtrlID(pMsg->hwnd);
        if (id == IDC_CEIL_UP || id == IDC_CEIL_DOWN) {
            if (id == IDC_CEIL_UP) {
                // The fixed caption first, then the localised one: the order this button has always had.
                m_btnUp.SetWindowText(L"UP");
                m_btnUp.SetWindowText(Look().Text(IDS_UP));
                SendStandCommand(stand::kCeilUp);
            } else {
                m_btnDown.SetWindowText(Look().Text(IDS_DN));
                SendStandCommand(stand::kCeilDown);
            }
            m_hold.Begin(m_hWnd, pMsg->hwnd);
        }
    }
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
