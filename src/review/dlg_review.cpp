#include "review/dlg_review.h"

#include "app/sidecar_app.h"
#include "resources/resource.h"

CDlgReview::CDlgReview() : CDialog(IDD_REVIEW) {}

CDlgReview::~CDlgReview() { DestroyWindow(); }

BOOL CDlgReview::OnInitDialog() {
    CDialog::OnInitDialog();
    SetWindowText(L"Sidecar");
    ::MoveWindow(m_hWnd, theApp.m_nPosX, theApp.m_nPosY, 1024, 768, TRUE);
    return TRUE;
}

void CDlgReview::LoadReviewLabels() {}

void CDlgReview::LoadReviewPicture(int, int, int, int, int) {}
