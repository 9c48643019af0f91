#include "controls/styled_static.h"
#include "ui/look.h"

#include <algorithm>

CStaticEx::CStaticEx() : m_nHeight(Look().FontSize()) {}

BOOL CStaticEx::SetTextFont(const wchar_t* face, int height, int weight, BOOL italic) {
    bool rebuild = false;
    if (face) {
        m_strFace = face;
        rebuild = true;
    }
    if (height != 0) {
        m_nHeight = height;
        rebuild = true;
    }
    // Before the first build the weight and italic flag count as changed.
    if (!m_bBuilt || m_logFont.lfWeight != weight || (m_logFont.lfItalic != 0) != (italic != 0))
        rebuild = true;
    if (!rebuild)
        return TRUE;

    LOGFONTW lf{};
    lf.lfHeight = m_nHeight;
    lf.lfWeight = weight;
    lf.lfItalic = italic ? TRUE : FALSE;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;
    lf.lfPitchAndFamily = FF_SWISS | DEFAULT_PITCH;
    const wchar_t* name = m_strFace ? m_strFace->c_str() : Look().FontFace();
    std::size_t len = std::min<std::size_t>(std::wcslen(name), LF_FACESIZE - 1);
    std::copy(name, name + len, lf.lfFaceName);
    m_logFont = lf;
    m_bBuilt = true;

    m_font.Attach(::CreateFontIndirectW(&m_logFont));
    if (m_hWnd)
        SetFont(m_font.Get(), TRUE);
    return TRUE;
}
