#pragma once
// CDlgReview: the image review dialog on template 145, created hidden and modeless at start-up and kept
// until the application ends; it shows the console's picture for Save or Cancel.
#include "ui/dialog.h"

class CSidecarDlg;

class CDlgReview : public CDialog {
public:
    CDlgReview();
    ~CDlgReview() override;

    CSidecarDlg* m_pPanel = nullptr;

protected:
    BOOL OnInitDialog() override;
};
