// The message box's style word decides which buttons the operator can answer with, and in which order;
// a wrong rule or a swapped id turns "No" into "Yes".
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "msgbox/msg_box_style.h"

namespace {

// The buttons as the operator reads them, left to right (the decoded ids are rightmost first).
std::vector<int> LeftToRight(const CMsgBoxButtons& b) {
    std::vector<int> ids;
    for (int i = b.nCount - 1; i >= 0; --i)
        ids.push_back(b.nIds[static_cast<std::size_t>(i)]);
    return ids;
}

using V = std::vector<int>;
constexpr int OK = kMsgBoxIdOk, CANCEL = kMsgBoxIdCancel, ABORT = kMsgBoxIdAbort, RETRY = kMsgBoxIdRetry,
              IGNORE = kMsgBoxIdIgnore, YES = kMsgBoxIdYes, NO = kMsgBoxIdNo, YES_ALL = kMsgBoxIdYesToAll,
              NO_ALL = kMsgBoxIdNoToAll;

}  // namespace

TEST(MsgBoxStyle, EachButtonRuleGivesItsSetInScreenOrder) {
    EXPECT_EQ(LeftToRight(DecodeStyle(0)), (V{OK}));
    EXPECT_EQ(LeftToRight(DecodeStyle(1)), (V{OK, CANCEL}));
    EXPECT_EQ(LeftToRight(DecodeStyle(2)), (V{ABORT, RETRY, IGNORE}));
    EXPECT_EQ(LeftToRight(DecodeStyle(3)), (V{YES, NO, CANCEL}));
    EXPECT_EQ(LeftToRight(DecodeStyle(4)), (V{YES, NO}));
    EXPECT_EQ(LeftToRight(DecodeStyle(5)), (V{RETRY, CANCEL}));
    EXPECT_EQ(LeftToRight(DecodeStyle(8)), (V{YES, NO, CANCEL, YES_ALL}));
    EXPECT_EQ(LeftToRight(DecodeStyle(9)), (V{YES, NO, CANCEL, NO_ALL}));
    // Rules are tried in order: 10 (8 | 2) is "Yes to all", 13 (9 | 4) "No to all", 7 (5 | 2) Retry/Cancel,
    // 6 (4 | 2) Yes/No.
    EXPECT_EQ(LeftToRight(DecodeStyle(10)), (V{YES, NO, CANCEL, YES_ALL}));
    EXPECT_EQ(LeftToRight(DecodeStyle(13)), (V{YES, NO, CANCEL, NO_ALL}));
    EXPECT_EQ(LeftToRight(DecodeStyle(15)), (V{YES, NO, CANCEL, NO_ALL}));
    EXPECT_EQ(LeftToRight(DecodeStyle(7)), (V{RETRY, CANCEL}));
    EXPECT_EQ(LeftToRight(DecodeStyle(6)), (V{YES, NO}));
    // Icon bits do not change the buttons; the rightmost of style 4 is No.
    EXPECT_EQ(LeftToRight(DecodeStyle(0x24)), (V{YES, NO}));
    EXPECT_EQ(DecodeStyle(4).nIds[0], NO);
    EXPECT_EQ(DecodeStyle(1).nIds[0], CANCEL);
    // Unused slots stay 0.
    EXPECT_EQ(DecodeStyle(4).nIds[2], 0);
    EXPECT_EQ(DecodeStyle(0).nIds[1], 0);
}

TEST(MsgBoxStyle, DefaultIconFollowsTheButtonsOnlyWhenNoIconIsGiven) {
    const std::uint32_t expected[16] = {0x40, 0x40, 0x10, 0x20, 0x20, 0x10, 0, 0, 0x20, 0, 0, 0, 0, 0, 0, 0};
    for (std::uint32_t buttons = 0; buttons < 16; ++buttons) {
        EXPECT_EQ(AddDefaultIcon(buttons), buttons | expected[buttons]) << "buttons " << buttons;
        EXPECT_EQ(DecodeStyle(buttons).nStyle, buttons | expected[buttons]) << "buttons " << buttons;
    }
    // A given icon is kept as it is, other high bits too.
    EXPECT_EQ(AddDefaultIcon(0x10), 0x10u);
    EXPECT_EQ(AddDefaultIcon(0x34), 0x34u);
    EXPECT_EQ(AddDefaultIcon(0x1004), 0x1024u);
}

TEST(MsgBoxStyle, IconElementBitmapAndBeepByTheFirstMatchingRow) {
    struct Row {
        std::uint32_t style;
        std::wstring element;
        unsigned bitmap;
        std::uint32_t beep;
    };
    const Row rows[] = {
        {DecodeStyle(4).nStyle, L"message_q", 149, 0x20},  // the review's confirmation
        {DecodeStyle(0).nStyle, L"message_i", 151, 0},     // information beeps the default way
        {DecodeStyle(1).nStyle, L"message_i", 151, 0},
        {DecodeStyle(2).nStyle, L"message_x", 150, 0x10},
        {DecodeStyle(10).nStyle, L"", 0, 0},  // the stand panel's style: no icon
        {DecodeStyle(0x30).nStyle, L"message_w", 148, 0x30},
        {0x10, L"message_x", 150, 0x10},
        {0x20, L"message_q", 149, 0x20},
        {0x40, L"message_i", 151, 0},
        {0x50, L"message_i", 151, 0x10},  // information wins the picture, the error bit the beep
        {0x60, L"message_q", 149, 0x20},
        {0x70, L"message_w", 148, 0x30},
        {0x80, L"", 0, 0},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(MsgBoxIconElement(row.style), row.element) << "style " << row.style;
        EXPECT_EQ(MsgBoxIconBitmapId(row.style), row.bitmap) << "style " << row.style;
        EXPECT_EQ(MsgBoxBeepType(row.style), row.beep) << "style " << row.style;
    }
}

TEST(MsgBoxStyle, ButtonCaptionsComeFromTheirTextIds) {
    const unsigned expected[] = {0, 193, 162, 196, 197, 198, 194, 195, 199, 200, 0};
    for (int id = 0; id <= 10; ++id)
        EXPECT_EQ(MsgBoxButtonTextId(id), expected[id]) << "id " << id;
    EXPECT_EQ(MsgBoxButtonTextId(-1), 0u);
}

TEST(MsgBoxStyle, GeometryIsCountedInPixelsFromTheBottomRight) {
    const CBoxRect client{0, 0, 594, 214};
    EXPECT_EQ(MsgBoxButtonRect(client, 0), (CBoxRect{594 - 131, 214 - 45, 594 - 15, 214 - 15}));
    for (int i = 0; i < 4; ++i) {
        CBoxRect r = MsgBoxButtonRect(client, i);
        EXPECT_EQ(r.right - r.left, 116);
        EXPECT_EQ(r.bottom - r.top, 30);
        if (i > 0)
            EXPECT_EQ(MsgBoxButtonRect(client, i - 1).left - r.left, 122);
    }
    // With four buttons the leftmost starts 497 pixels left of the right edge.
    EXPECT_EQ(MsgBoxButtonRect(client, 3).left, client.right - 497);
    // The client's own origin counts.
    const CBoxRect moved{10, 20, 604, 234};
    EXPECT_EQ(MsgBoxButtonRect(moved, 3).left, moved.right - 497);
    EXPECT_EQ(MsgBoxIconRect(moved), (CBoxRect{40, 70, 86, 116}));
    EXPECT_EQ(MsgBoxCheckRect(moved, 2), (CBoxRect{40, 234 - 45, 604 - 180 - 120, 234 - 20}));
}
