#include "review/dlg_review.h"

#include <optional>

#include "controls/base_bitmap.h"
#include "msgbox/msg_box_ex.h"
#include "link/panel_reports.h"
#include "resources/resource.h"
#include "review/review_fit.h"
#include "review/shared_picture.h"
#include "ui/look.h"

SIDECAR_MESSAGE_MAP(CDlgReview, CDialog, M::Command<&CDlgReview::OnSave>(IDOK),
                    M::Command<&CDlgReview::OnCancelPressed>(IDCANCEL))

namespace {
constexpr int kPictureLayer = 0;
constexpr std::uint32_t kConfirmStyle = 4;  // Yes and No, question icon
}  // namespace

CDlgReview::CDlgReview() : CDialog(IDD_REVIEW) {}

CDlgReview::~CDlgReview() {
    DestroyWindow();
}

void CDlgReview::DoDataExchange(CDataExchange& dx) {
    dx.Control(IDC_REVIEW_PICTURE, m_picture);
    dx.Control(IDC_REVIEW_ID_LABEL, m_labelId);
    dx.Control(IDC_REVIEW_NAME_LABEL, m_labelName);
    dx.Control(IDC_REVIEW_ACCNO_LABEL, m_labelAccession);
    dx.Control(IDC_REVIEW_STUDY_LABEL, m_labelStudy);
    dx.Control(IDOK, m_btnSave);
    dx.Control(IDCANCEL, m_btnCancel);
    dx.Control(IDC_REVIEW_PATIENT_ID, m_valueId);
    dx.Control(IDC_REVIEW_PATIENT_NAME, m_valueName);
    dx.Control(IDC_REVIEW_ACCESSION_NO, m_valueAccession);
    dx.Control(IDC_REVIEW_STUDY, m_valueStudy);
}

BOOL CDlgReview::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText(L"Sidecar");

    for (CStaticEx* label : {&m_labelId, &m_labelName, &m_labelAccession, &m_labelStudy}) {
        label->SetTextFont(Look().FontFace(), Look().FontSize(), 700, FALSE);
    }
    for (CButtonSTEx2* button : {&m_btnSave, &m_btnCancel}) {
        button->SetFont(Look().NormalFont(), TRUE);
        Look().Skin(button->m_hWnd, L"testBtn0001");
    }
    for (CButtonSTEx2* value : {&m_valueId, &m_valueName, &m_valueAccession, &m_valueStudy}) {
        value->SetFont(Look().NormalFont(), TRUE);
        Look().Skin(value->m_hWnd, L"sidecar_stcBtnL");
    }

    // The main panel's place.
    const POINT corner = Look().PanelCorner();
    ::MoveWindow(m_hWnd, corner.x, corner.y, kPanelWidth, kPanelHeight, TRUE);

    m_labelId.SetWindowText(Look().Text(IDS_ID));
    m_labelName.SetWindowText(Look().Text(IDS_NAME));
    m_labelAccession.SetWindowText(Look().Text(IDS_ACCNO));
    m_labelStudy.SetWindowText(Look().Text(IDS_STUDY));
    m_btnSave.SetWindowText(Look().Text(IDS_SAVE));
    m_btnCancel.SetWindowText(Look().Text(IDS_CANCEL));
    // No focus now: the dialog starts hidden, and giving a control of a hidden window the focus would
    // activate that window (several milliseconds of every start). It takes the focus when it is shown and
    // activated: the dialog manager then gives it to the first tab stop.
    return FALSE;
}

void CDlgReview::LoadReviewLabels() {
    if (!m_pPanel)
        return;
    const wire::PatientInfo& patient = m_pPanel->Patient();
    m_valueId.SetWindowText(patient.patientId);
    m_valueName.SetWindowText(patient.patientName);
    m_valueAccession.SetWindowText(patient.accessionNo);
    m_valueStudy.SetWindowText(patient.study);
}

void CDlgReview::LoadReviewPicture(int width, int height, int bitDepth, int windowWidth, int windowLevel) {
    // The sizes come from any sender: a picture over the limit is refused before the mapping is opened, and
    // nothing is read unless the view holds every byte they describe. The pixels go from the view straight
    // into the picture's section, which is the buffer of this read.
    std::optional<CSharedPicture> shared;
    const BYTE* pixels = nullptr;
    if (std::optional<std::uint32_t> bytes = ReviewPictureBytes(width, height)) {
        shared.emplace(kReviewMappingName);
        pixels = shared->Bytes(*bytes);
    }
    ShowPicture(pixels, pixels ? shared->ViewSize() : 0, width, height, bitDepth, windowWidth, windowLevel);
}

void CDlgReview::ShowPicture(const BYTE* pixels, std::uint64_t available, int width, int height, int bitDepth,
                             int windowWidth, int windowLevel) {
    if (m_picture.FindLayer(kPictureLayer))
        m_picture.RemoveLayer(kPictureLayer);
    m_picture.SetBackground(false, false);
    const RECT client = m_picture.GetClientRect();

    CLayerInfo layer;
    layer.m_nID = kPictureLayer;
    layer.m_nSrcWidth = width;
    layer.m_nSrcHeight = height;
    layer.m_nBitDepth = bitDepth;
    layer.m_nWindowWidth = windowWidth;
    layer.m_nWindowLevel = windowLevel;

    bool built = false;
    if (pixels && ReviewPictureFits(width, height, available)) {
        // The 8-bit section lives only until its 24-bit copy exists.
        CBaseBitmap grey;
        built = grey.SetGreyPixels(pixels, width, height) && CopyBitmap(grey.m_bmp, layer.m_bmp);
    }
    if (!built) {
        // Nothing to show: an empty control on its black background.
        m_picture.Refresh();
        m_picture.EnableLayerTips(true);
        return;
    }

    const SIZE dim = RecordedDimension(layer.m_bmp);
    const CReviewFit fit =
        FitReviewPicture(dim.cx, dim.cy, client.right - client.left, client.bottom - client.top);
    layer.m_ptOrigin = {fit.x, fit.y};
    m_picture.BuildLayerRegion(&layer);
    ::OffsetRgn(layer.m_rgn.Get(), layer.m_ptOrigin.x, layer.m_ptOrigin.y);

    // Our layer is discarded right after: the control takes it over instead of copying it.
    m_picture.AddLayer(std::move(layer));
    m_picture.ShowLayer(kPictureLayer, true);
    m_picture.Refresh();
    m_picture.EnableLayerTips(true);
}

void CDlgReview::OnSave() {
    if (m_pPanel)
        m_pPanel->SendReviewResult(1);
}

void CDlgReview::OnCancelPressed() {
    // A second Cancel while the question is open would stack a second question: one answer is enough.
    if (!m_pPanel || m_pQuestion)
        return;
    // Modal to the review, so that nothing behind the question (Save, the picture) can be pressed while it
    // is open and it stays above the review: one question, one answer.
    CMsgBoxEx box(this, Look().Text(IDS_CANCEL_IMAGE), Look().Text(IDS_REVIEW), kConfirmStyle);
    m_pQuestion = &box;
    const INT_PTR answer = box.DoModal();
    const bool withdrawn = m_pQuestion == nullptr;
    m_pQuestion = nullptr;
    // Yes, Escape (2) or anything but No confirms; a question the console or the panel's end withdrew
    // was not answered.
    if (withdrawn || answer == IDNO)
        return;
    m_pPanel->SendReviewResult(0);
    m_pPanel->ShowPanel();
    ShowWindow(SW_HIDE);
}

void CDlgReview::WithdrawQuestion() {
    if (!m_pQuestion)
        return;
    CMsgBoxEx* question = m_pQuestion;
    m_pQuestion = nullptr;
    question->EndDialog(IDNO);
}
