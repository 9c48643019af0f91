#include "msgbox/msg_box_style.h"

#include "resources/resource.h"

namespace {

constexpr std::uint32_t kIconError = 0x10;
constexpr std::uint32_t kIconQuestion = 0x20;
constexpr std::uint32_t kIconWarning = 0x30;
constexpr std::uint32_t kIconInformation = 0x40;

// One button rule: the style matches when (style & mask) == value. Ids rightmost first.
struct CButtonRule {
    std::uint32_t mask;
    std::uint32_t value;
    int count;
    std::array<int, kMsgBoxMaxButtons> ids;
};

constexpr CButtonRule kButtonRules[] = {
    {9, 9, 4, {kMsgBoxIdNoToAll, kMsgBoxIdCancel, kMsgBoxIdNo, kMsgBoxIdYes}},
    {8, 8, 4, {kMsgBoxIdYesToAll, kMsgBoxIdCancel, kMsgBoxIdNo, kMsgBoxIdYes}},
    {5, 5, 2, {kMsgBoxIdCancel, kMsgBoxIdRetry}},
    {4, 4, 2, {kMsgBoxIdNo, kMsgBoxIdYes}},
    {3, 3, 3, {kMsgBoxIdCancel, kMsgBoxIdNo, kMsgBoxIdYes}},
    {2, 2, 3, {kMsgBoxIdIgnore, kMsgBoxIdRetry, kMsgBoxIdAbort}},
    {1, 1, 2, {kMsgBoxIdCancel, kMsgBoxIdOk}},
    {0, 0, 1, {kMsgBoxIdOk}},
};

// The icon table: the first matching row wins.
struct CIconRow {
    std::uint32_t mask;
    unsigned bitmapId;
    const wchar_t* element;
};

constexpr CIconRow kIconRows[] = {
    {kIconWarning, IDB_MSG_WARNING, L"message_w"},
    {kIconQuestion, IDB_MSG_QUESTION, L"message_q"},
    {kIconInformation, IDB_MSG_INFO, L"message_i"},
    {kIconError, IDB_MSG_ERROR, L"message_x"},
};

const CIconRow* IconRowOf(std::uint32_t style) {
    for (const CIconRow& row : kIconRows) {
        if ((style & row.mask) == row.mask)
            return &row;
    }
    return nullptr;
}

}  // namespace

std::uint32_t AddDefaultIcon(std::uint32_t style) {
    if (style & 0xF0)
        return style;
    switch (style & 0x0F) {
        case 0:
        case 1:
            return style | kIconInformation;
        case 2:
        case 5:
            return style | kIconError;
        case 3:
        case 4:
        case 8:
            return style | kIconQuestion;
        default:
            return style;
    }
}

CMsgBoxButtons DecodeStyle(std::uint32_t style) {
    CMsgBoxButtons result;
    result.nStyle = AddDefaultIcon(style);
    for (const CButtonRule& rule : kButtonRules) {
        if ((result.nStyle & rule.mask) == rule.value) {
            result.nCount = rule.count;
            result.nIds = rule.ids;
            break;
        }
    }
    return result;
}

unsigned MsgBoxButtonTextId(int buttonId) {
    switch (buttonId) {
        case kMsgBoxIdOk:
            return IDS_OK;
        case kMsgBoxIdCancel:
            return IDS_CANCEL;
        case kMsgBoxIdAbort:
            return IDS_ABORT;
        case kMsgBoxIdRetry:
            return IDS_RETRY;
        case kMsgBoxIdIgnore:
            return IDS_IGNORE;
        case kMsgBoxIdYes:
            return IDS_YES;
        case kMsgBoxIdNo:
            return IDS_NO;
        case kMsgBoxIdYesToAll:
            return IDS_YES_TO_ALL;
        case kMsgBoxIdNoToAll:
            return IDS_NO_TO_ALL;
        default:
            return 0;
    }
}

const wchar_t* MsgBoxIconElement(std::uint32_t style) {
    const CIconRow* row = IconRowOf(style);
    return row ? row->element : L"";
}

unsigned MsgBoxIconBitmapId(std::uint32_t style) {
    const CIconRow* row = IconRowOf(style);
    return row ? row->bitmapId : 0;
}

std::uint32_t MsgBoxBeepType(std::uint32_t style) {
    if ((style & kIconWarning) == kIconWarning)
        return kIconWarning;
    if (style & kIconError)
        return kIconError;
    if (style & kIconQuestion)
        return kIconQuestion;
    return 0;
}

CBoxRect MsgBoxButtonRect(const CBoxRect& client, int index) {
    return {client.right - 122 * index - 131, client.bottom - 45, client.right - 122 * index - 15,
            client.bottom - 15};
}

CBoxRect MsgBoxIconRect(const CBoxRect& client) {
    return {client.left + 30, client.top + 50, client.left + 76, client.top + 96};
}

CBoxRect MsgBoxCheckRect(const CBoxRect& client, int buttonCount) {
    return {client.left + 30, client.bottom - 45, client.right - buttonCount * 90 - 120, client.bottom - 20};
}
