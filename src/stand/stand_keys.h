#pragma once
// Enter and Escape inside a stand panel. The panels are children of the main panel, whose dialog manager
// would otherwise turn these keys into its own OK and Cancel (the ceiling panel's template is a control
// parent, so even its own dialog manager hands them up). Routing them to the stand panel, whose OnOK and
// OnCancel do nothing, keeps them from closing anything.
#include <windows.h>

namespace stand {

// IDOK for Enter, IDCANCEL for Escape (key down, key up and the translated character alike), else 0.
inline int DialogKeyCommand(const MSG& msg) {
    const bool bKey = msg.message == WM_KEYDOWN || msg.message == WM_KEYUP || msg.message == WM_CHAR;
    if (!bKey)
        return 0;
    if (msg.wParam == VK_RETURN)
        return IDOK;
    if (msg.wParam == VK_ESCAPE)
        return IDCANCEL;
    return 0;
}

}  // namespace stand
