#include "panel/sidecar_dlg.h"

#include "app/sidecar_app.h"
#include "link/codes.h"
#include "resources/resource.h"

SIDECAR_MESSAGE_MAP(CSidecarDlg, CDialog,
                    M::CommandRange<&CSidecarDlg::OnButtonCode>(IDC_KVP_DOWN, IDC_MAS_UP),
                    M::CommandRange<&CSidecarDlg::OnButtonCode>(IDC_TIME_DOWN, IDC_TIME_UP),
                    M::CommandRange<&CSidecarDlg::OnButtonCode>(IDC_AEC_UP, IDC_AEC_UP),
                    M::CommandRange<&CSidecarDlg::OnButtonCode>(IDC_AEC_DOWN, IDC_AEC_DOWN),
                    M::CommandRange<&CSidecarDlg::OnButtonCode>(IDC_MODE_AEC, IDC_AEC_RIGHT),
                    M::CommandRange<&CSidecarDlg::OnPatientSize>(IDC_SIZE_0, IDC_SIZE_3),
                    M::CopyData<&CSidecarDlg::OnCopyData>(),
                    M::Message<&CSidecarDlg::OnQueryDragIcon>(WM_QUERYDRAGICON))

namespace {
// Button code reported for each exposure, mode and AEC control.
int ButtonCodeOf(UINT id) {
    switch (id) {
        case IDC_KVP_DOWN: return 1;
        case IDC_KVP_UP: return 2;
        case IDC_MA_DOWN: return 3;
        case IDC_MA_UP: return 4;
        case IDC_MAS_DOWN: return 5;
        case IDC_MAS_UP: return 6;
        case IDC_TIME_DOWN: return 7;
        case IDC_TIME_UP: return 8;
        case IDC_AEC_DOWN: return 9;
        case IDC_AEC_UP: return 10;
        case IDC_AEC_LEFT: return 11;
        case IDC_AEC_CENTER: return 12;
        case IDC_AEC_RIGHT: return 13;
        case IDC_MODE_MAS: return 14;
        case IDC_MODE_MS: return 15;
        case IDC_MODE_AEC: return 16;
        default: return 0;
    }
}
}  // namespace

CSidecarDlg::CSidecarDlg(CWnd* parent) : CDialog(IDD_SIDECAR_DIALOG, parent) {
    m_hIcon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_SIDECAR),
                                              IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    g_hHostWnd = nullptr;
}

CSidecarDlg::~CSidecarDlg() = default;

BOOL CSidecarDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    ::MoveWindow(m_hWnd, theApp.m_nPosX, theApp.m_nPosY, 1024, 768, TRUE);
    return TRUE;
}

void CSidecarDlg::OnButtonCode(UINT id) {
    if (int code = ButtonCodeOf(id)) SendButtonCode(code);
}

void CSidecarDlg::OnPatientSize(UINT id) {
    int size = static_cast<int>(id - IDC_SIZE_0);
    if (size != m_nRequestedSize) SendPatientSize(size);
}

LRESULT CSidecarDlg::OnCopyData(HWND, const COPYDATASTRUCT*) { return Default(); }

LRESULT CSidecarDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(m_hIcon); }

void CSidecarDlg::SendToHost(DWORD code, DWORD sizeOrValue, const void* record) {
    if (!FindHostWindow()) return;
    COPYDATASTRUCT cds{code, sizeOrValue, const_cast<void*>(record)};
    ::SendMessageW(g_hHostWnd, WM_COPYDATA, reinterpret_cast<WPARAM>(m_hWnd), reinterpret_cast<LPARAM>(&cds));
}

void CSidecarDlg::SendPatientSize(int size) {
    m_nRequestedSize = size;
    SendToHost(link::CDC_PATIENT_SIZE, static_cast<DWORD>(size), nullptr);
}

void CSidecarDlg::SendButtonCode(int code) { SendToHost(link::CDC_BUTTON, static_cast<DWORD>(code), nullptr); }

void CSidecarDlg::SendReviewResult(int result) {
    if (result == 1) {
        SendToHost(link::CDC_REVIEW_SAVE, 0, nullptr);
    } else if (result == 0) {
        SendToHost(link::CDC_REVIEW_CANCEL, 0, nullptr);
    }
}

void CSidecarDlg::SendStandCode(int code) { SendToHost(link::CDC_SDK_COMMAND, static_cast<DWORD>(code), nullptr); }

void CSidecarDlg::ForwardToHost(const COPYDATASTRUCT* cds) {
    if (!cds || !FindHostWindow()) return;
    COPYDATASTRUCT copy = *cds;
    ::SendMessageW(g_hHostWnd, WM_COPYDATA, reinterpret_cast<WPARAM>(m_hWnd), reinterpret_cast<LPARAM>(&copy));
}
