#include "controls/skinned_button.h"

#include "ui/window_server.h"

SIDECAR_MESSAGE_MAP(CButtonSTEx2, CButton, M::Message<&CButtonSTEx2::OnSetText>(WM_SETTEXT),
                    M::Message<&CButtonSTEx2::OnEnable>(WM_ENABLE))

LRESULT CButtonSTEx2::OnSetText(WPARAM wp, LPARAM lp) {
    // The text is kept by the default processing; the button's own handling would repaint right away.
    LRESULT result = ::DefWindowProcW(m_hWnd, WM_SETTEXT, wp, lp);
    CRedrawBatch::Invalidate(m_hWnd);
    return result;
}

LRESULT CButtonSTEx2::OnEnable(WPARAM, LPARAM) {
    CRedrawBatch::Invalidate(m_hWnd);
    return 0;
}
