#pragma once
// CStaticEx: a static text that builds and owns its own font (face, height, weight, italic) and gives it to
// its window. The font lives until the next rebuild or the control object's end.
#include <optional>
#include <string>

#include "ui/controls.h"
#include "ui/handle.h"

class CStaticEx : public CStatic {
  public:
    CStaticEx();
    ~CStaticEx() override = default;

    // Rebuilds the font when the face (non-null), the height (non-zero), the weight or the italic flag
    // changes; then hands it to the window. Always TRUE.
    BOOL SetTextFont(const wchar_t* face, int height, int weight, BOOL italic);

    const LOGFONTW& FontDescription() const { return m_logFont; }
    HFONT Font() const { return m_font.Get(); }

  private:
    std::optional<std::wstring> m_strFace;
    int m_nHeight;
    LOGFONTW m_logFont{};
    bool m_bBuilt = false;
    CFont m_font;
};
