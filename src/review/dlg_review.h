#pragma once
// CDlgReview: the image review dialog on template 145, created hidden and modeless at start-up and kept
// until the application ends; it shows the console's picture for Save or Cancel.
#include "ui/dialog.h"

class CSidecarDlg;

class CDlgReview : public CDialog {
public:
    CDlgReview();
    ~CDlgReview() override;

    // Copies the panel's patient identification into the dialog's labels.
    void LoadReviewLabels();
    // Reads the console's picture from the shared mapping and shows it.
    void LoadReviewPicture(int width, int height, int bitDepth, int windowWidth, int windowLevel);

    CSidecarDlg* m_pPanel = nullptr;

protected:
    BOOL OnInitDialog() override;
};
