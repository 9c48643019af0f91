#pragma once
// The button codes the exposure, mode and AEC controls report (CDC_BUTTON), each with its control and the
// name the console simulator prints and reads for it: one table for the panel and the simulator.
#include <string_view>

#include "resources/resource.h"

namespace panel {

struct ButtonCode {
    int controlId;
    int code;
    std::string_view name;
};

inline constexpr ButtonCode kButtonCodes[] = {
    {IDC_KVP_DOWN, 1, "kvp-down"},    {IDC_KVP_UP, 2, "kvp-up"},      {IDC_MA_DOWN, 3, "ma-down"},
    {IDC_MA_UP, 4, "ma-up"},          {IDC_MAS_DOWN, 5, "mas-down"},  {IDC_MAS_UP, 6, "mas-up"},
    {IDC_TIME_DOWN, 7, "time-down"},  {IDC_TIME_UP, 8, "time-up"},    {IDC_AEC_DOWN, 9, "aec-down"},
    {IDC_AEC_UP, 10, "aec-up"},       {IDC_AEC_LEFT, 11, "aec-left"}, {IDC_AEC_CENTER, 12, "aec-center"},
    {IDC_AEC_RIGHT, 13, "aec-right"}, {IDC_MODE_MAS, 14, "mode-mas"}, {IDC_MODE_MS, 15, "mode-ms"},
    {IDC_MODE_AEC, 16, "mode-aec"},
};

// The code the control reports, or 0 for a control without one.
constexpr int ButtonCodeOf(int controlId) {
    for (const ButtonCode& button : kButtonCodes) {
        if (button.controlId == controlId)
            return button.code;
    }
    return 0;
}

}  // namespace panel
