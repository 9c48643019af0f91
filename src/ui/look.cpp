#include "ui/look.h"

namespace {

// What windows get when no application provides a look.
class CDefaultLook final : public ILook {
  public:
    HFONT NormalFont() const override { return nullptr; }
    HFONT LargeFont() const override { return nullptr; }
    const wchar_t* FontFace() const override { return L"Arial"; }
    int FontSize() const override { return 20; }
    std::wstring Text(UINT id) const override {
        const wchar_t* res = nullptr;
        const int len = ::LoadStringW(::GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&res), 0);
        return len > 0 && res ? std::wstring(res, static_cast<std::size_t>(len)) : std::wstring();
    }
    void Skin(HWND, const wchar_t*) const override {}
    bool SkinDraws(const wchar_t*) const override { return false; }
    POINT PanelCorner() const override { return {0, 0}; }
};

const CDefaultLook s_defaultLook;
const ILook* s_pLook = nullptr;

}  // namespace

const ILook& Look() {
    return s_pLook ? *s_pLook : s_defaultLook;
}

void SetLook(const ILook* look) {
    s_pLook = look;
}
