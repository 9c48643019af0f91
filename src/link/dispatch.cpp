#include "link/dispatch.h"

#include "link/codes.h"
#include "link/records.h"

namespace wire {

Action ActionFor(std::uint64_t code, std::size_t size) {
    auto exactly = [size](std::size_t want, Action action) { return size == want ? action : Action::Ignore; };
    switch (code) {  // on all 64 bits: a code with any higher bit set matches no case
        case CDC_STAND_STATUS:
            return exactly(16, Action::StandStatus);
        case CDC_TREE:
            return exactly(TreeCommand::kSize, Action::Tree);
        case CDC_PATIENT:
            return size == PatientInfo::kSize ? Action::PatientRecord : Action::PatientView;
        case CDC_EXPOSURE:
            return exactly(ExposureState::kSize, Action::Exposure);
        case CDC_LAMPS:
            return exactly(LampState::kSize, Action::Lamps);
        case CDC_REVIEW_SHOW:
            return exactly(ReviewImage::kSize, Action::ReviewShow);
        case CDC_REVIEW_CLOSE:
            return Action::ReviewClose;
        case CDC_SDK_TEXT:
            return exactly(SdkText::kSize, Action::SdkText);
        case CDC_SDK_VALUES:
            return exactly(SdkValues::kSize, Action::SdkValues);
        default:
            return Action::Ignore;
    }
}

}  // namespace wire
