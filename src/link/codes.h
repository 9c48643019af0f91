#pragma once
// Command codes of the console link: dwData of every WM_COPYDATA between the console and the panel.
#include <cstdint>

namespace wire {

// Console to panel.
inline constexpr std::uint32_t CDC_STAND_STATUS = 75335;  // also the ceiling stand's commands to the console
inline constexpr std::uint32_t CDC_TREE = 742043;
inline constexpr std::uint32_t CDC_PATIENT = 742044;
inline constexpr std::uint32_t CDC_EXPOSURE = 742047;
inline constexpr std::uint32_t CDC_LAMPS = 742048;
inline constexpr std::uint32_t CDC_REVIEW_SHOW = 742049;
inline constexpr std::uint32_t CDC_REVIEW_CLOSE = 742053;
inline constexpr std::uint32_t CDC_SDK_TEXT = 742056;
inline constexpr std::uint32_t CDC_SDK_VALUES = 742057;

// Panel to console.
inline constexpr std::uint32_t CDC_TREE_SELECTED = 742042;
inline constexpr std::uint32_t CDC_PATIENT_SIZE = 742045;
inline constexpr std::uint32_t CDC_BUTTON = 742046;
inline constexpr std::uint32_t CDC_REVIEW_SAVE = 742050;
inline constexpr std::uint32_t CDC_REVIEW_CANCEL = 742052;
inline constexpr std::uint32_t CDC_SDK_COMMAND = 742055;
inline constexpr std::uint32_t CDC_STAND_CHECK = 742058;

// The operation of a CDC_TREE record; any other value clears the tree.
enum TreeOp : std::int32_t {
    kTreeAddExam = 1,      // a top-level exam row; later protocol rows go under it
    kTreeAddProtocol = 2,  // a protocol row under the last exam row
    kTreeSelect = 3,
    kTreeMarkDone = 4,     // ":R" becomes ":Y", the done badge
    kTreeMarkPending = 5,  // ":Y" becomes ":R", the pending badge
};

}  // namespace wire
