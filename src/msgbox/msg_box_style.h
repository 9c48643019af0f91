#pragma once
// The extended message box's rules as data: the style word (bits 0x0F choose the buttons, 0xF0 the icon, as
// the platform's MB_ constants do), the default icon, the button sets, captions, icon looks, beep types and
// the pixel layout of the run-time controls. Pure: no platform calls.
#include <array>
#include <cstdint>

// Button ids: the platform's dialog result ids, extended by "Yes to all" and "No to all".
inline constexpr int kMsgBoxIdOk = 1;
inline constexpr int kMsgBoxIdCancel = 2;
inline constexpr int kMsgBoxIdAbort = 3;
inline constexpr int kMsgBoxIdRetry = 4;
inline constexpr int kMsgBoxIdIgnore = 5;
inline constexpr int kMsgBoxIdYes = 6;
inline constexpr int kMsgBoxIdNo = 7;
inline constexpr int kMsgBoxIdYesToAll = 8;
inline constexpr int kMsgBoxIdNoToAll = 9;

// The check box's control id.
inline constexpr int kMsgBoxIdCheck = 61680;

inline constexpr int kMsgBoxMaxButtons = 4;

struct CMsgBoxButtons {
    std::uint32_t nStyle = 0;                   // the style with its default icon added
    int nCount = 0;                             // 1 to 4
    std::array<int, kMsgBoxMaxButtons> nIds{};  // rightmost button first; unused slots 0
};

// Adds the icon a style without icon bits gets from its button bits: 0 and 1 information, 2 and 5 error,
// 3, 4 and 8 question, the others none.
std::uint32_t AddDefaultIcon(std::uint32_t style);

// The default icon, then the button set of the first rule that matches the extended style.
CMsgBoxButtons DecodeStyle(std::uint32_t style);

// The text table id of a button's caption (193 OK, 162 Cancel, 196..198 Abort/Retry/Ignore, 194/195
// Yes/No, 199/200 Yes to all/No to all); 0 for an id outside 1..9.
unsigned MsgBoxButtonTextId(int buttonId);

// The skin element of the icon ("message_w", "message_q", "message_i", "message_x"), empty for none.
const wchar_t* MsgBoxIconElement(std::uint32_t style);

// The program's 48 x 48 bitmap for the icon (148 warning, 149 question, 150 error, 151 information), 0 for
// none. Chosen by the same table as the skin element.
unsigned MsgBoxIconBitmapId(std::uint32_t style);

// The beep type: 0x30 for the warning bits, else 0x10 for the error bit, else 0x20 for the question bit,
// else 0 (the default beep, information included).
std::uint32_t MsgBoxBeepType(std::uint32_t style);

struct CBoxRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const CBoxRect&) const = default;
};

// Pixel rectangles in the client area: button i (0 = rightmost) is 116 x 30, 15 pixels from the right and
// bottom edges, each next one 122 pixels further left; the icon sits at (30, 50) with 46 pixels a side; the
// check box runs from the left under the text to the space the buttons leave.
CBoxRect MsgBoxButtonRect(const CBoxRect& client, int index);
CBoxRect MsgBoxIconRect(const CBoxRect& client);
CBoxRect MsgBoxCheckRect(const CBoxRect& client, int buttonCount);
