#pragma once
// CDlgReview: the image review dialog on template 145, created hidden and modeless at start-up and kept
// until the application ends; it shows the console's picture for Save or Cancel. It only ever hides and
// shows: Save reports and stays, a confirmed Cancel reports and gives the panel its place back.
#include <cstdint>

#include "controls/layered_bitmap_ctrl.h"
#include "controls/skinned_button.h"
#include "controls/styled_static.h"
#include "ui/dialog.h"

class CMsgBoxEx;
class IPanelReports;

class CDlgReview : public CDialog {
  public:
    CDlgReview();
    ~CDlgReview() override;

    // Copies the panel's patient identification into the dialog's labels.
    void LoadReviewLabels();
    // Reads the console's picture from the shared mapping and shows it.
    void LoadReviewPicture(int width, int height, int bitDepth, int windowWidth, int windowLevel);
    // The steps after the read: replaces the picture control's layer 0 by the width x height grey picture at
    // `pixels`, fitted and centred. When `available` bytes do not hold the picture (or there are none, or it
    // cannot be built) the control is left empty on its black background.
    void ShowPicture(const BYTE* pixels, std::uint64_t available, int width, int height, int bitDepth,
                     int windowWidth, int windowLevel);

    const CLayeredBitmapCtrl& PictureControl() const { return m_picture; }

    // Ends an open Cancel question without an answer: nothing is reported and the review stays as the
    // console leaves it. Called whenever the console changes what the review shows (another picture, the
    // panel's view back) and when the panel closes, because the question was about the picture then shown.
    void WithdrawQuestion();

    IPanelReports* m_pPanel = nullptr;  // the panel: the reports, the patient, its place back

  protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange& dx) override;

  private:
    SIDECAR_DECLARE_MESSAGE_MAP();

    void OnSave();
    void OnCancelPressed();

    CLayeredBitmapCtrl m_picture;
    CStaticEx m_labelId;
    CStaticEx m_labelName;
    CStaticEx m_labelAccession;
    CStaticEx m_labelStudy;
    CButtonSTEx2 m_btnSave;
    CButtonSTEx2 m_btnCancel;
    CButtonSTEx2 m_valueId;
    CButtonSTEx2 m_valueName;
    CButtonSTEx2 m_valueAccession;
    CButtonSTEx2 m_valueStudy;
    CMsgBoxEx* m_pQuestion = nullptr;  // the open Cancel question (it lives in OnCancelPressed), or null
};
