#pragma once
// IPanelReports: what the windows under the panel (the review dialog, the stand panels) ask of it. The
// panel implements it, and every report still goes through the panel's own send (the console looked up by
// its title, the synchronous send with the panel as sender), so those windows never see the panel's class.
#include <cstdint>

#include "link/records.h"

class IPanelReports {
  public:
    // CDC_REVIEW_SAVE for 1, CDC_REVIEW_CANCEL for 0.
    virtual void SendReviewResult(int result) = 0;
    // CDC_SDK_COMMAND with the code as its value.
    virtual void SendStandCode(int code) = 0;
    // Any report: the code, the record's size (or the value of a record-less report) and the record.
    virtual void SendRecord(std::uint32_t code, std::uint32_t sizeOrValue, const void* record) = 0;
    // The panel back in the review's place (after a confirmed Cancel).
    virtual void ShowPanel() = 0;
    // The last patient record the console sent (empty fields before the first).
    virtual const wire::PatientInfo& Patient() const = 0;

  protected:
    ~IPanelReports() = default;
};
