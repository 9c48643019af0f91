#include "panel/sidecar_dlg.h"

#include <algorithm>
#include <cwchar>

#include "ui/profile.h"
#include "link/codes.h"
#include "link/dispatch.h"
#include "panel/button_codes.h"
#include "panel/panel_rules.h"
#include "ui/gdi.h"
#include "ui/look.h"
#include "ui/window_server.h"
#include "resources/resource.h"
#include "review/dlg_review.h"
#include "stand/ceil_dlg.h"
#include "stand/sdk_dlg.h"

SIDECAR_MESSAGE_MAP(CSidecarDlg, CDialog,
                    M::CommandRange<&CSidecarDlg::OnPatientSize>(IDC_SIZE_0, IDC_SIZE_3),
                    M::CommandRange<&CSidecarDlg::OnButtonCode>(IDC_KVP_DOWN, IDC_MAS_UP),
                    M::CommandRange<&CSidecarDlg::OnButtonCode>(IDC_TIME_DOWN, IDC_TIME_UP),
                    M::CommandRange<&CSidecarDlg::OnButtonCode>(IDC_MODE_AEC, IDC_AEC_RIGHT),
                    M::CommandRange<&CSidecarDlg::OnButtonCode>(IDC_AEC_UP, IDC_AEC_UP),
                    M::CommandRange<&CSidecarDlg::OnButtonCode>(IDC_AEC_DOWN, IDC_AEC_DOWN),
                    M::Notify<&CSidecarDlg::OnTreeSelChanged>(IDC_TREE, TVN_SELCHANGEDW),
                    M::Notify<&CSidecarDlg::OnTreeSelChanged>(IDC_TREE, TVN_SELCHANGEDA),
                    M::Notify<&CSidecarDlg::OnTreeDeleteItem>(IDC_TREE, TVN_DELETEITEMW),
                    M::Notify<&CSidecarDlg::OnTreeDeleteItem>(IDC_TREE, TVN_DELETEITEMA),
                    M::Command<&CSidecarDlg::ToggleDevice>(IDC_DEVICE),
                    M::Command<&CSidecarDlg::OnLampE>(IDC_LAMP_E), M::Event<&CSidecarDlg::OnPaint>(WM_PAINT),
                    M::Message<&CSidecarDlg::OnQueryDragIcon>(WM_QUERYDRAGICON),
                    M::Timer<&CSidecarDlg::OnTimer>(), M::Event<&CSidecarDlg::OnDestroy>(WM_DESTROY),
                    M::Event<&CSidecarDlg::OnClose>(WM_CLOSE), M::CopyData<&CSidecarDlg::OnCopyData>())

namespace {

constexpr UINT_PTR kWatchdogTimer = 1;

// Every pair of adjacent backslashes collapsed to one.
std::wstring CollapseDoubledBackslashes(std::wstring path) {
    std::size_t at;
    while ((at = path.find(L"\\\\")) != std::wstring::npos)
        path.erase(at, 1);
    return path;
}

}  // namespace

CSidecarDlg::CSidecarDlg(PanelSetup setup, CWnd* parent)
    : CDialog(IDD_SIDECAR_DIALOG, parent), m_setup(std::move(setup)) {
    m_hIcon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SIDECAR),
                                              IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
}

HWND CSidecarDlg::FindConsole() const {
    return m_setup.findConsole ? m_setup.findConsole() : nullptr;
}

CSidecarDlg::~CSidecarDlg() = default;

void CSidecarDlg::DoDataExchange(CDataExchange& dx) {
    CDialog::DoDataExchange(dx);
    static constexpr int kLabels[] = {IDC_ID_LABEL, IDC_NAME_LABEL, IDC_ACCNO_LABEL, IDC_STUDY_LABEL,
                                      IDC_GENERATOR_LABEL};
    static constexpr int kPatient[] = {IDC_PATIENT_ID, IDC_PATIENT_NAME, IDC_ACCESSION_NO, IDC_STUDY};
    static constexpr int kExpLabels[] = {IDC_KVP_LABEL, IDC_MA_LABEL, IDC_MAS_LABEL, IDC_TIME_LABEL};
    static constexpr int kAec[] = {IDC_MODE_MAS,  IDC_MODE_MS,  IDC_MODE_AEC,  IDC_AEC_LEFT, IDC_AEC_CENTER,
                                   IDC_AEC_RIGHT, IDC_AEC_DOWN, IDC_AEC_VALUE, IDC_AEC_UP};
    static constexpr int kLamps[] = {IDC_LAMP_G, IDC_LAMP_R, IDC_LAMP_E};
    static constexpr int kValues[] = {IDC_KVP_VALUE, IDC_MA_VALUE, IDC_TIME_VALUE, IDC_MAS_VALUE};
    static constexpr int kSteps[] = {IDC_KVP_UP,  IDC_KVP_DOWN,  IDC_MA_UP,  IDC_MA_DOWN,
                                     IDC_TIME_UP, IDC_TIME_DOWN, IDC_MAS_UP, IDC_MAS_DOWN};
    static constexpr int kSizes[] = {IDC_SIZE_0, IDC_SIZE_1, IDC_SIZE_2, IDC_SIZE_3};
    for (int i = 0; i < 5; ++i)
        dx.Control(kLabels[i], m_stcLabel[i]);
    for (int i = 0; i < 4; ++i)
        dx.Control(kPatient[i], m_btnPatient[i]);
    for (int i = 0; i < 4; ++i)
        dx.Control(kExpLabels[i], m_btnExpLabel[i]);
    for (int i = 0; i < 9; ++i)
        dx.Control(kAec[i], m_btnAec[i]);
    for (int i = 0; i < 3; ++i)
        dx.Control(kLamps[i], m_btnLamp[i]);
    for (int i = 0; i < 4; ++i)
        dx.Control(kValues[i], m_btnExpValue[i]);
    for (int i = 0; i < 8; ++i)
        dx.Control(kSteps[i], m_btnStep[i]);
    for (int i = 0; i < 4; ++i)
        dx.Control(kSizes[i], m_btnSize[i]);
    dx.Control(IDC_TREE, m_tree);
    dx.Control(IDC_LOGO, m_stcLogo);
    dx.Control(IDC_SEPARATOR, m_btnSeparator);
    dx.Control(IDC_LOGO_BUTTON, m_btnLogo);
    dx.Control(IDC_DEVICE, m_btnDevice);
}

BOOL CSidecarDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));

    for (int id : {IDC_KVP_VALUE, IDC_MA_VALUE, IDC_TIME_VALUE})
        ::SetWindowTextW(Item(id), L"");

    CProfile profile(m_setup.iniPath);
    CreateStandPanel(profile);

    SetLampG(FALSE);
    SetLampR(FALSE);
    SetLampE(FALSE);

    SetFonts();
    LayoutPanel();
    ShowLogo();
    SkinControls();
    SetUpTree();
    SetTexts(profile.GetInt(L"SYSTEM", L"IsVet", 0) > 0);

    ::SetTimer(m_hWnd, kWatchdogTimer, 500, nullptr);
    return TRUE;
}

void CSidecarDlg::SetFonts() {
    // The panel is not shown yet: the fonts take effect with its first paint, so nothing is redrawn now.
    HFONT large = Look().LargeFont();
    HFONT normal = Look().NormalFont();
    for (int id : {IDC_KVP_VALUE, IDC_MA_VALUE, IDC_MAS_VALUE, IDC_TIME_VALUE}) {
        ::SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(large), FALSE);
    }
    static constexpr int kNormalFont[] = {
        IDC_ID_LABEL,      IDC_NAME_LABEL,    IDC_ACCNO_LABEL, IDC_STUDY_LABEL,  IDC_GENERATOR_LABEL,
        IDC_PATIENT_GROUP, IDC_CONTROL_GROUP, IDC_MODE_GROUP,  IDC_PATIENT_NAME, IDC_PATIENT_ID,
        IDC_ACCESSION_NO,  IDC_STUDY,         IDC_KVP_LABEL,   IDC_MA_LABEL,     IDC_MAS_LABEL,
        IDC_TIME_LABEL,    IDC_KVP_UP,        IDC_KVP_DOWN,    IDC_MA_UP,        IDC_MA_DOWN,
        IDC_TIME_UP,       IDC_TIME_DOWN,     IDC_MAS_UP,      IDC_MAS_DOWN,     IDC_MODE_AEC,
        IDC_MODE_MAS,      IDC_MODE_MS,       IDC_AEC_LEFT,    IDC_AEC_CENTER,   IDC_AEC_RIGHT,
        IDC_AEC_VALUE,     IDC_AEC_UP,        IDC_AEC_DOWN,    IDC_SIZE_0,       IDC_SIZE_1,
        IDC_SIZE_2,        IDC_SIZE_3,        IDC_DEVICE};
    for (int id : kNormalFont)
        ::SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(normal), FALSE);
}

void CSidecarDlg::SkinControls() {
    static constexpr struct {
        int id;
        const wchar_t* element;
    } kSkins[] = {
        {IDC_PATIENT_ID, L"sidecar_stcBtnL"},    {IDC_PATIENT_NAME, L"sidecar_stcBtnL"},
        {IDC_ACCESSION_NO, L"sidecar_stcBtnL"},  {IDC_STUDY, L"sidecar_stcBtnL"},
        {IDC_KVP_LABEL, L"sidecar_pBtn_disab"},  {IDC_MA_LABEL, L"sidecar_pBtn_disab"},
        {IDC_MAS_LABEL, L"sidecar_pBtn_disab"},  {IDC_TIME_LABEL, L"sidecar_pBtn_disab"},
        {IDC_KVP_UP, L"sidecar_pBtn_trans"},     {IDC_KVP_DOWN, L"sidecar_pBtn_trans"},
        {IDC_MA_UP, L"sidecar_pBtn_trans"},      {IDC_MA_DOWN, L"sidecar_pBtn_trans"},
        {IDC_TIME_UP, L"sidecar_pBtn_trans"},    {IDC_TIME_DOWN, L"sidecar_pBtn_trans"},
        {IDC_MAS_UP, L"sidecar_pBtn_trans"},     {IDC_MAS_DOWN, L"sidecar_pBtn_trans"},
        {IDC_AEC_UP, L"sidecar_pBtn_trans"},     {IDC_AEC_DOWN, L"sidecar_pBtn_trans"},
        {IDC_MODE_MAS, L"sidecar_pBtn_mamas"},   {IDC_MODE_MS, L"sidecar_pBtn_mamas"},
        {IDC_MODE_AEC, L"sidecar_pBtn_aec"},     {IDC_AEC_LEFT, L"sidecar_aec0"},
        {IDC_AEC_CENTER, L"sidecar_aec1"},       {IDC_AEC_RIGHT, L"sidecar_aec2"},
        {IDC_KVP_VALUE, L"sidecar_stcBtnS"},     {IDC_MA_VALUE, L"sidecar_stcBtnS"},
        {IDC_TIME_VALUE, L"sidecar_stcBtnS"},    {IDC_MAS_VALUE, L"sidecar_stcBtnS"},
        {IDC_AEC_VALUE, L"sidecar_stcBtnS"},     {IDC_SIZE_0, L"sidecar_pBtn_psml"},
        {IDC_SIZE_1, L"sidecar_pBtn_psml"},      {IDC_SIZE_3, L"sidecar_pBtn_psml"},
        {IDC_SIZE_2, L"barmain_RLBtn_pr"},       {IDC_LAMP_G, L"panelControl_ledGBtn_blue"},
        {IDC_LAMP_R, L"statusBar_ledRBtn_gray"}, {IDC_LAMP_E, L"statusBar_ledEBtn_gray"},
        {IDC_SEPARATOR, L"config_lineBtn"},      {IDC_DEVICE, L"pBt_210_030_n"},
    };
    for (const auto& s : kSkins) {
        SkinItem(s.id, s.element);
        if (s.id == IDC_LAMP_G)
            ::ShowWindow(Item(IDC_LAMP_G), SW_HIDE);
    }
}

// The captions from the text table; a veterinary site's patient sizes read S, M, L, XL.
void CSidecarDlg::SetTexts(bool vet) {
    const std::pair<int, UINT> kTexts[] = {{IDC_ID_LABEL, IDS_ID},
                                           {IDC_NAME_LABEL, IDS_NAME},
                                           {IDC_ACCNO_LABEL, IDS_ACCNO},
                                           {IDC_STUDY_LABEL, IDS_STUDY},
                                           {IDC_GENERATOR_LABEL, IDS_GENERATOR_STATUS},
                                           {IDC_DEVICE, IDS_SHOW_DEVICE}};
    for (const auto& [id, text] : kTexts)
        ::SetWindowTextW(Item(id), Look().Text(text).c_str());
    const std::pair<int, UINT> kGroups[] = {{IDC_PATIENT_GROUP, IDS_PATIENT_INFO},
                                            {IDC_CONTROL_GROUP, IDS_CONTROL_PANEL},
                                            {IDC_MODE_GROUP, IDS_CONTROL_MODE}};
    for (const auto& [id, text] : kGroups) {
        ::SetWindowTextW(Item(id), (L"  " + Look().Text(text) + L"  ").c_str());
    }

    if (vet) {
        static constexpr const wchar_t* kVetSizes[] = {L"S", L"M", L"L", L"XL"};
        for (int i = 0; i < 4; ++i)
            ::SetWindowTextW(Item(IDC_SIZE_0 + i), kVetSizes[i]);
    }
}

void CSidecarDlg::CreateStandPanel(const CProfile& profile) {
    switch (m_setup.standType) {
        case 1: {
            m_pStandSdkDlg = std::make_unique<CKOVESDKDlg>();
            m_pStandSdkDlg->CreatePanel(this, this);
            m_pStandSdkDlg->ShowWindow(SW_HIDE);
            m_btnDevice.ShowWindow(SW_SHOW);
            // TYPE 0 and 1 are the stands with the SID extension axis.
            const int type = profile.GetInt(L"KOVESDK", L"TYPE", 0);
            if (type == 0 || type == 1)
                m_pStandSdkDlg->ShowSidExtRow();
            break;
        }
        case 2:
        case 3:
            m_pCeilingDlg = std::make_unique<CKoveCeilDlg>();
            m_pCeilingDlg->CreatePanel(this, this);
            m_pCeilingDlg->ShowWindow(SW_SHOW);
            m_btnDevice.ShowWindow(SW_HIDE);
            break;
        default:
            break;  // no stand panel: the device button stays hidden as the template has it
    }
}

void CSidecarDlg::LayoutPanel() {
    const POINT corner = Look().PanelCorner();
    ::MoveWindow(m_hWnd, corner.x, corner.y, kPanelWidth, kPanelHeight, TRUE);
    const UINT flags = window_server::PlaceFlags(m_hWnd);
    auto place = [flags](HWND hwnd, const panel::CPlace& p) {
        ::SetWindowPos(hwnd, nullptr, p.x, p.y, p.cx, p.cy, flags);
    };
    for (int id : {IDC_SPARE_GROUP_B, IDC_SPARE_GROUP_A})
        ::ShowWindow(Item(id), SW_HIDE);
    for (const panel::CPlace& p : panel::ControlLayout())
        place(Item(p.id), p);

    ::SetWindowTextW(Item(IDC_MAS_LABEL), L"mAs");
    for (int id : {IDC_KVP_DOWN, IDC_MA_DOWN, IDC_MAS_DOWN, IDC_TIME_DOWN, IDC_AEC_DOWN}) {
        ::SetWindowTextW(Item(id), L"<");
    }
    for (int id : {IDC_KVP_UP, IDC_MA_UP, IDC_MAS_UP, IDC_TIME_UP, IDC_AEC_UP})
        ::SetWindowTextW(Item(id), L">");
    ::SetWindowTextW(Item(IDC_MODE_MAS), L"mAs");
    for (int id : {IDC_AEC_LEFT, IDC_AEC_CENTER, IDC_AEC_RIGHT})
        ::SetWindowTextW(Item(id), L"");

    place(Item(IDC_TREE), panel::TreePlace(m_pCeilingDlg != nullptr));
    if (m_pCeilingDlg)
        place(m_pCeilingDlg->m_hWnd, panel::CeilingPanelPlace());
    if (m_pStandSdkDlg)
        place(m_pStandSdkDlg->m_hWnd, panel::SdkPanelPlace());
}

void CSidecarDlg::ShowLogo() {
    std::wstring path = CollapseDoubledBackslashes(m_setup.appDir + L"\\Skins\\SIDECAR_LOGO.bmp");
    m_bmpLogo.Attach(static_cast<HBITMAP>(
        ::LoadImageW(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
    if (m_bmpLogo) {
        m_stcLogo.SetBitmap(m_bmpLogo.Get());
        m_btnLogo.ShowWindow(SW_HIDE);
    } else {
        m_stcLogo.ShowWindow(SW_HIDE);
        m_btnLogo.ShowWindow(SW_SHOW);
        m_btnLogo.SetWindowText(L"");
        SkinItem(IDC_LOGO_BUTTON, L"browser_BrwLogo_900");
    }
}

void CSidecarDlg::SetUpTree() {
    CBitmap strip(
        static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_TREE_BADGES),
                                          IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    m_imlTree.Create(26, 17, ILC_COLOR32, 4, 4);
    m_imlTree.Add(strip.Get(), CLR_NONE);
    strip.Reset();
    m_tree.SetImageList(m_imlTree.Get(), TVSIL_NORMAL);
    m_tree.SetFont(Look().NormalFont());
}

void CSidecarDlg::SetItemText(int id, const std::wstring& text) {
    ::SetWindowTextW(Item(id), text.c_str());
}

void CSidecarDlg::SkinItem(int id, const wchar_t* element) {
    Look().Skin(Item(id), element);
}

// ---- Reports -------------------------------------------------------------------------------------------

void CSidecarDlg::SendToHost(DWORD code, DWORD sizeOrValue, const void* record) {
    const HWND console = FindConsole();
    if (!console)
        return;
    COPYDATASTRUCT cds{code, sizeOrValue, const_cast<void*>(record)};
    ::SendMessageW(console, WM_COPYDATA, reinterpret_cast<WPARAM>(m_hWnd), reinterpret_cast<LPARAM>(&cds));
}

void CSidecarDlg::SendPatientSize(int size) {
    m_nRequestedSize = size;
    SendToHost(wire::CDC_PATIENT_SIZE, static_cast<DWORD>(size), nullptr);
}

void CSidecarDlg::SendButtonCode(int code) {
    SendToHost(wire::CDC_BUTTON, static_cast<DWORD>(code), nullptr);
}

void CSidecarDlg::SendReviewResult(int result) {
    if (result == 1) {
        SendToHost(wire::CDC_REVIEW_SAVE, 0, nullptr);
    } else if (result == 0) {
        SendToHost(wire::CDC_REVIEW_CANCEL, 0, nullptr);
    }
}

void CSidecarDlg::SendStandCode(int code) {
    SendToHost(wire::CDC_SDK_COMMAND, static_cast<DWORD>(code), nullptr);
}

void CSidecarDlg::SendRecord(std::uint32_t code, std::uint32_t sizeOrValue, const void* record) {
    SendToHost(code, sizeOrValue, record);
}

void CSidecarDlg::ShowPanel() {
    ShowWindow(SW_SHOW);
}

// ---- Operator presses ----------------------------------------------------------------------------------

void CSidecarDlg::OnButtonCode(UINT id) {
    if (int code = panel::ButtonCodeOf(static_cast<int>(id)))
        SendButtonCode(code);
}

void CSidecarDlg::OnPatientSize(UINT id) {
    int size = static_cast<int>(id) - IDC_SIZE_0;
    if (size != m_nRequestedSize)
        SendPatientSize(size);
}

void CSidecarDlg::OnTreeSelChanged(NMHDR* hdr, LRESULT*) {
    if (!FindConsole())
        return;
    // The W and A forms of the notification share the layout up to the new item's handle and data.
    const auto* nm = reinterpret_cast<const NMTREEVIEWW*>(hdr);
    if (!nm->itemNew.hItem)
        return;
    wire::TreeCommand report{
        wire::kTreeSelect, static_cast<std::int32_t>(m_tree.GetItemData(nm->itemNew.hItem)), {}};
    std::vector<std::uint8_t> bytes = report.Encode();
    SendToHost(wire::CDC_TREE_SELECTED, static_cast<DWORD>(bytes.size()), bytes.data());
}

// Whatever deletes a row, the index lets go of it.
void CSidecarDlg::OnTreeDeleteItem(NMHDR* hdr, LRESULT*) {
    // The W and A forms of the notification share the layout up to the old item's handle.
    const auto* nm = reinterpret_cast<const NMTREEVIEWW*>(hdr);
    m_treeRows.Remove(reinterpret_cast<panel::CTreeRows::Row>(nm->itemOld.hItem));
}

// ---- Console commands ----------------------------------------------------------------------------------

LRESULT CSidecarDlg::OnCopyData(HWND, const COPYDATASTRUCT* cds) {
    if (!cds)
        return Default();
    // A record pointer is only trusted with its size; a null pointer carries no bytes.
    wire::Bytes bytes;
    if (cds->lpData)
        bytes = wire::Bytes(static_cast<const std::uint8_t*>(cds->lpData), cds->cbData);
    const wire::Action action = wire::ActionFor(cds->dwData, cds->cbData);
    if (!ApplyPanelRecord(action, bytes) && !ApplyReviewRecord(action, bytes))
        ApplyStandRecord(action, bytes, cds);
    return AnswerConsole(Default());
}

// The panel's own records: the patient, the exposure state, the lamps, the tree. False for any other.
bool CSidecarDlg::ApplyPanelRecord(wire::Action action, wire::Bytes bytes) {
    switch (action) {
        case wire::Action::PatientView:
            ShowReviewView(FALSE);
            return true;
        case wire::Action::PatientRecord:
            ShowReviewView(FALSE);
            if (auto info = wire::PatientInfo::Decode(bytes)) {
                CRedrawBatch batch;
                ApplyPatient(*info);
            }
            return true;
        case wire::Action::Exposure:
            if (auto state = wire::ExposureState::Decode(bytes)) {
                // Captions, enabled states and looks of one record repaint together.
                CRedrawBatch batch;
                ApplyExposure(*state);
            }
            return true;
        case wire::Action::Lamps:
            if (auto lamps = wire::LampState::Decode(bytes)) {
                CRedrawBatch batch;
                SetLampG(lamps->g != 0);
                SetLampR(lamps->r != 0);
                SetLampE(lamps->e != 0);
            }
            return true;
        case wire::Action::Tree:
            if (auto cmd = wire::TreeCommand::Decode(bytes))
                ApplyTreeCommand(*cmd);
            return true;
        default:
            return false;
    }
}

// The review's records: a picture to show, or the panel back. False for any other.
bool CSidecarDlg::ApplyReviewRecord(wire::Action action, wire::Bytes bytes) {
    switch (action) {
        case wire::Action::ReviewShow:
            if (auto image = wire::ReviewImage::Decode(bytes); image && m_pReview) {
                m_pReview->LoadReviewLabels();
                m_pReview->LoadReviewPicture(image->width, image->height, image->bitDepth, image->windowWidth,
                                             image->windowLevel);
                ShowReviewView(TRUE);
            }
            return true;
        case wire::Action::ReviewClose:
            ShowReviewView(FALSE);
            return true;
        default:
            return false;
    }
}

// The stand panels' records, for the stand panel the settings made; the rest is ignored.
void CSidecarDlg::ApplyStandRecord(wire::Action action, wire::Bytes bytes, const COPYDATASTRUCT* cds) {
    switch (action) {
        case wire::Action::StandStatus:
            if (m_pCeilingDlg)
                m_pCeilingDlg->UpdateStandStatus(cds);
            break;
        case wire::Action::SdkText:
            if (auto text = wire::SdkText::Decode(bytes); text && m_pStandSdkDlg) {
                m_pStandSdkDlg->UpdateSdkTexts(text->status, text->connection, text->autoMove);
            }
            break;
        case wire::Action::SdkValues:
            if (auto v = wire::SdkValues::Decode(bytes); v && m_pStandSdkDlg) {
                m_pStandSdkDlg->UpdateSdkValues(v->values[0], v->values[1], v->values[2], v->values[3],
                                                v->values[4]);
            }
            break;
        default:
            break;
    }
}

// The record is applied: the console waiting in its send gets its answer now, and the CPU with it, before
// this thread goes on to repaint what the record changed. Without the hand-over, on a machine where both
// programs share a processor, the console often resumes only after the panel has repainted (a row of the
// tree, a group of captions), which doubles its wait. The answer is the one returning would give.
LRESULT CSidecarDlg::AnswerConsole(LRESULT result) {
    if (::InSendMessage()) {
        ::ReplyMessage(result);
        ::SwitchToThread();
    }
    return result;
}

void CSidecarDlg::ApplyPatient(const wire::PatientInfo& info) {
    m_patient = info;
    SetItemText(IDC_PATIENT_ID, m_patient.patientId);
    SetItemText(IDC_PATIENT_NAME, m_patient.patientName);
    SetItemText(IDC_ACCESSION_NO, m_patient.accessionNo);
    SetItemText(IDC_STUDY, m_patient.study);
}

void CSidecarDlg::ApplyExposure(const wire::ExposureState& state) {
    for (int i = 0; i < 3; ++i)
        m_nAecField[i] = state.aecField[static_cast<std::size_t>(i)];
    SetItemText(IDC_KVP_VALUE, state.kvp);
    SetItemText(IDC_MA_VALUE, state.ma);
    SetItemText(IDC_MAS_VALUE, state.mas);
    SetItemText(IDC_TIME_VALUE, state.time);
    SetItemText(IDC_AEC_VALUE, state.aecValue);
    m_nAecSubMode = state.aecSubMode;
    SetItemText(IDC_TIME_LABEL, state.timeUnit == 1 ? L"sec" : L"ms");
    SetControlMode(state.controlMode);
    SetPatientSizeShown(state.patientSize);
}

void CSidecarDlg::SetControlMode(int mode) {
    if (!panel::ModeChangeRuns(mode, m_nControlMode))
        return;
    m_nControlMode = mode;
    std::array<int, 3> fields{m_nAecField[0], m_nAecField[1], m_nAecField[2]};
    // The enabled states of one mode change read the focus and the capture once, for all of them.
    CEnableBatch enabling;
    for (const panel::CControlLook& look : panel::ModeLooks(mode, m_nAecSubMode, fields)) {
        if (look.enable != panel::Enable::Keep)
            enabling.Enable(Item(look.id), look.enable == panel::Enable::On);
        if (look.skin)
            SkinItem(look.id, look.skin);
    }
    if (panel::ModeClearsAecValue(mode))
        SetItemText(IDC_AEC_VALUE, L"");
}

void CSidecarDlg::SetPatientSizeShown(int size) {
    if (size == m_nShownSize)
        return;
    m_nShownSize = size;
    for (int i = 0; i < 4; ++i)
        SkinItem(IDC_SIZE_0 + i, panel::SizeButtonSkin(i, size));
}

void CSidecarDlg::ApplyTreeCommand(const wire::TreeCommand& cmd) {
    switch (cmd.op) {
        case wire::kTreeAddExam: {
            m_hExamItem = InsertRow(cmd, panel::kExamImage, TVI_ROOT);
            break;
        }
        case wire::kTreeAddProtocol: {
            int image = panel::ProtocolImage(cmd.text);
            HTREEITEM parent = m_hExamItem ? m_hExamItem : TVI_ROOT;
            InsertRow(cmd, image, parent);
            if (m_hExamItem)
                m_tree.Expand(m_hExamItem, TVE_EXPAND);
            break;
        }
        case wire::kTreeSelect:
            if (HTREEITEM item = FindItemByData(cmd.itemData)) {
                m_tree.SelectItem(item);
                m_tree.Invalidate(TRUE);
            }
            break;
        case wire::kTreeMarkDone:
        case wire::kTreeMarkPending:
            if (HTREEITEM item = FindItemByData(cmd.itemData))
                MarkRow(item, cmd.op == wire::kTreeMarkDone);
            break;
        default:
            m_tree.DeleteAllItems();
            m_treeRows.Clear();  // the deleted rows have left it one by one already
            // The remembered exam row is gone with the others: protocol rows that arrive before the next
            // exam row go to the top level instead of under a deleted row.
            m_hExamItem = nullptr;
            break;
    }
}

// A protocol row marked done (":R" becomes ":Y", the done badge) or pending again (the other way).
void CSidecarDlg::MarkRow(HTREEITEM item, bool done) {
    const int image = done ? panel::kDoneImage : panel::kPendingImage;
    m_tree.UpdateItemTextAndImage(
        item,
        [done](const std::wstring& text) {
            return done ? panel::ReplaceAll(text, L":R", L":Y") : panel::ReplaceAll(text, L":Y", L":R");
        },
        image, image);
}

// A row at the end of `parent`, with the command's text and item data, known to the rows' index.
HTREEITEM CSidecarDlg::InsertRow(const wire::TreeCommand& cmd, int image, HTREEITEM parent) {
    HTREEITEM item = m_tree.InsertItem(cmd.text, image, image, parent);
    m_tree.SetItemData(item, cmd.itemData);
    m_treeRows.Add(cmd.itemData, reinterpret_cast<panel::CTreeRows::Row>(item));
    return item;
}

// The first row in depth-first order with the console's item data, scrolled into view. The rows' index
// answers it: rows are only ever appended, so the first one added with the data is the first one a walk
// of the tree meets (see CTreeRows).
HTREEITEM CSidecarDlg::FindItemByData(std::int32_t data) {
    std::optional<panel::CTreeRows::Row> row = m_treeRows.Find(data);
    if (!row)
        return nullptr;
    auto item = reinterpret_cast<HTREEITEM>(*row);
    m_tree.EnsureVisible(item);
    return item;
}

// ---- Lamps, views, timer, painting ---------------------------------------------------------------------

void CSidecarDlg::SetLampG(BOOL on) {
    SkinItem(IDC_LAMP_G, on ? L"panelControl_ledGBtn_blue" : L"panelControl_ledGBtn_gray");
    CRedrawBatch::Invalidate(Item(IDC_LAMP_G));
}

void CSidecarDlg::SetLampR(BOOL on) {
    SkinItem(IDC_LAMP_R, on ? L"statusBar_ledRBtn_yellow" : L"statusBar_ledRBtn_gray");
    CRedrawBatch::Invalidate(Item(IDC_LAMP_R));
}

void CSidecarDlg::SetLampE(BOOL on) {
    SkinItem(IDC_LAMP_E, on ? L"statusBar_ledEBtn_green" : L"statusBar_ledEBtn_gray");
    CRedrawBatch::Invalidate(Item(IDC_LAMP_E));
}

void CSidecarDlg::ToggleDevice() {
    HWND tree = Item(IDC_TREE);
    if (m_bDeviceShown) {
        m_bDeviceShown = FALSE;
        SetItemText(IDC_DEVICE, Look().Text(IDS_SHOW_DEVICE));
        window_server::ShowIfChanged(tree, true);
        if (m_pStandSdkDlg)
            window_server::ShowIfChanged(m_pStandSdkDlg->m_hWnd, false);
        if (m_pCeilingDlg)
            m_pCeilingDlg->StopStand();  // the ceiling panel stays visible
    } else {
        m_bDeviceShown = TRUE;
        SetItemText(IDC_DEVICE, Look().Text(IDS_HIDE_DEVICE));
        if (m_pStandSdkDlg)
            window_server::ShowIfChanged(m_pStandSdkDlg->m_hWnd, true);
        if (m_pCeilingDlg) {
            window_server::ShowIfChanged(m_pCeilingDlg->m_hWnd, true);
            m_pCeilingDlg->StopStand();
        }
        window_server::ShowIfChanged(tree, false);
    }
}

void CSidecarDlg::ShowReviewView(BOOL review) {
    if (m_pReview)
        m_pReview->WithdrawQuestion();
    // Set as shown, then toggled: the toggle's hiding branch brings the tree back, hides the SDK panel and
    // stops the ceiling stand, which every switch between the panel and the review needs.
    m_bDeviceShown = TRUE;
    ToggleDevice();
    HWND reviewWnd = m_pReview ? m_pReview->m_hWnd : nullptr;
    if (review) {
        window_server::ShowIfChanged(reviewWnd, true);
        window_server::ShowIfChanged(m_hWnd, false);
    } else {
        window_server::ShowIfChanged(Item(IDC_TREE), true);
        window_server::ShowIfChanged(m_hWnd, true);
        window_server::ShowIfChanged(reviewWnd, false);
    }
}

void CSidecarDlg::OnTimer(UINT_PTR id) {
    if (id != kWatchdogTimer) {
        Default();
        return;
    }
    ::KillTimer(m_hWnd, kWatchdogTimer);
    POINT corner{0, 0};
    ::ClientToScreen(m_hWnd, &corner);
    const POINT place = Look().PanelCorner();
    if (panel::PanelInPlace(corner.x, corner.y, place.x, place.y)) {
        ::SetTimer(m_hWnd, kWatchdogTimer, 2500, nullptr);
    } else {
        ::MoveWindow(m_hWnd, place.x, place.y, kPanelWidth, kPanelHeight, TRUE);
    }
    Default();
}

void CSidecarDlg::OnPaint() {
    if (!::IsIconic(m_hWnd)) {
        Default();
        return;
    }
    CPaintDC dc(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.Get()));
    int cx = ::GetSystemMetrics(SM_CXICON);
    int cy = ::GetSystemMetrics(SM_CYICON);
    RECT rc = GetClientRect();
    ::DrawIcon(dc.Get(), (rc.right - rc.left - cx + 1) / 2, (rc.bottom - rc.top - cy + 1) / 2, m_hIcon);
}

LRESULT CSidecarDlg::OnQueryDragIcon(WPARAM, LPARAM) {
    return reinterpret_cast<LRESULT>(m_hIcon);
}

void CSidecarDlg::OnClose() {
    // An open review question runs its own modal loop inside the panel's: end it first, unanswered.
    if (m_pReview)
        m_pReview->WithdrawQuestion();
    EndDialog(IDCANCEL);
}

void CSidecarDlg::OnDestroy() {
    Default();
    m_tree.SetImageList(nullptr, TVSIL_NORMAL);
    m_imlTree.DeleteImageList();
    if (m_pStandSdkDlg) {
        m_pStandSdkDlg->DestroyWindow();
        m_pStandSdkDlg.reset();
    }
    if (m_pCeilingDlg) {
        m_pCeilingDlg->DestroyWindow();
        m_pCeilingDlg.reset();
    }
}
