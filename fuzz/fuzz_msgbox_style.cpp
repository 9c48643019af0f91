// The message box style decoder on any 32-bit style: the default icon only adds icon bits to a style
// without them, the button set has 1 to 4 distinct buttons with ids 1..9 and a caption each, and the
// run-time controls' rectangles keep their sizes.
#include <cstring>

#include "fuzz_check.h"
#include "msgbox/msg_box_style.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t bytes[12] = {};
    std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
    std::uint32_t style = 0;
    for (int i = 3; i >= 0; --i)
        style = style << 8 | bytes[i];

    const CMsgBoxButtons buttons = DecodeStyle(style);
    // Bits of the caller's style are kept; only icon bits are added, and only to a style without them.
    FUZZ_CHECK((buttons.nStyle & style) == style);
    FUZZ_CHECK(((buttons.nStyle ^ style) & ~0xF0u) == 0);
    if (style & 0xF0)
        FUZZ_CHECK(buttons.nStyle == style);
    FUZZ_CHECK(DecodeStyle(buttons.nStyle).nStyle == buttons.nStyle);

    FUZZ_CHECK(buttons.nCount >= 1 && buttons.nCount <= kMsgBoxMaxButtons);
    for (int i = 0; i < kMsgBoxMaxButtons; ++i) {
        const int id = buttons.nIds[static_cast<std::size_t>(i)];
        if (i >= buttons.nCount) {
            FUZZ_CHECK(id == 0);
            continue;
        }
        FUZZ_CHECK(id >= kMsgBoxIdOk && id <= kMsgBoxIdNoToAll);
        FUZZ_CHECK(MsgBoxButtonTextId(id) != 0);
        for (int j = 0; j < i; ++j)
            FUZZ_CHECK(buttons.nIds[static_cast<std::size_t>(j)] != id);
    }
    // The button bits alone decide the buttons.
    const CMsgBoxButtons plain = DecodeStyle(style & 0x0F);
    FUZZ_CHECK(plain.nCount == buttons.nCount && plain.nIds == buttons.nIds);

    // Icon: the skin element and the bitmap come from the same row, the beep follows the icon bits.
    const bool bElement = MsgBoxIconElement(buttons.nStyle)[0] != L'\0';
    FUZZ_CHECK(bElement == (MsgBoxIconBitmapId(buttons.nStyle) != 0));
    FUZZ_CHECK(bElement == ((buttons.nStyle & 0x70) != 0));
    const std::uint32_t beep = MsgBoxBeepType(buttons.nStyle);
    FUZZ_CHECK(beep == 0 || beep == 0x10 || beep == 0x20 || beep == 0x30);
    FUZZ_CHECK((beep & ~buttons.nStyle) == 0);

    // Rectangles in a client area of any window size (16-bit sides, as a window can have).
    const int width = bytes[4] | bytes[5] << 8;
    const int height = bytes[6] | bytes[7] << 8;
    const CBoxRect client{0, 0, width, height};
    for (int i = 0; i < buttons.nCount; ++i) {
        const CBoxRect rect = MsgBoxButtonRect(client, i);
        FUZZ_CHECK(rect.right - rect.left == 116 && rect.bottom - rect.top == 30);
        FUZZ_CHECK(rect.right == width - 15 - 122 * i && rect.bottom == height - 15);
    }
    const CBoxRect icon = MsgBoxIconRect(client);
    FUZZ_CHECK(icon.right - icon.left == 46 && icon.bottom - icon.top == 46);
    const CBoxRect check = MsgBoxCheckRect(client, buttons.nCount);
    FUZZ_CHECK(check.bottom - check.top == 25 && check.left == 30);
    return 0;
}
