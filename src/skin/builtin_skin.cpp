#include "skin/builtin_skin.h"

#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Files past this size are not skins; refusing them keeps a stray large file from being read at start-up.
constexpr DWORD kMaxSkinFileBytes = 16 * 1024 * 1024;
constexpr UINT_PTR kSubclassId = 0x536b696e;  // 'Skin'

struct CFileCloser {
    void operator()(HANDLE h) const { ::CloseHandle(h); }
};
using CFileHandle = std::unique_ptr<void, CFileCloser>;

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    CFileHandle file(h);
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(h, &size) || size.QuadPart > kMaxSkinFileBytes)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD nRead = 0;
    if (!bytes.empty() && !::ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &nRead, nullptr)) {
        return std::nullopt;
    }
    bytes.resize(nRead);
    return bytes;
}

ATOM PropertyAtom(HWND hwnd) {
    return static_cast<ATOM>(reinterpret_cast<UINT_PTR>(::GetPropW(hwnd, kSkinElementProperty)));
}

// Drops the window's atom reference when the window goes: the global atom table outlives the process, and
// the platform removes a dying window's properties without releasing what they refer to.
LRESULT CALLBACK SkinSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR /*refData*/) {
    if (msg == WM_NCDESTROY) {
        if (ATOM atom =
                static_cast<ATOM>(reinterpret_cast<UINT_PTR>(::RemovePropW(hwnd, kSkinElementProperty)))) {
            ::GlobalDeleteAtom(atom);
        }
        ::RemoveWindowSubclass(hwnd, SkinSubclassProc, id);
    }
    return ::DefSubclassProc(hwnd, msg, wParam, lParam);
}

}  // namespace

bool CBuiltinSkin::Load(const std::wstring& path) {
    m_file.reset();
    try {
        if (auto bytes = ReadWholeFile(path))
            m_file = ParseSkinFile(*bytes);
    } catch (...) {  // out of memory: run unskinned
        m_file.reset();
    }
    return Active();
}

void CBuiltinSkin::Apply(HWND hwnd, const wchar_t* element) const {
    if (!Active() || !hwnd || !element || !*element)
        return;
    // Properties and subclassing belong to the window's own thread.
    if (::GetWindowThreadProcessId(hwnd, nullptr) != ::GetCurrentThreadId())
        return;

    // Take the new reference before dropping the old one: the same name (atoms ignore case) then keeps the
    // atom alive and its reference count unchanged.
    ATOM atom = ::GlobalAddAtomW(element);
    if (!atom)
        return;  // longer than an atom name may be
    ATOM old = PropertyAtom(hwnd);
    if (!old && !::SetWindowSubclass(hwnd, SkinSubclassProc, kSubclassId, 0)) {
        ::GlobalDeleteAtom(atom);
        return;
    }
    if (!::SetPropW(hwnd, kSkinElementProperty, reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)))) {
        ::GlobalDeleteAtom(atom);
        return;
    }
    if (old)
        ::GlobalDeleteAtom(old);
}

std::wstring GetSkinElement(HWND hwnd) {
    ATOM atom = hwnd ? PropertyAtom(hwnd) : 0;
    if (!atom)
        return {};
    wchar_t name[256];
    UINT n = ::GlobalGetAtomNameW(atom, name, 256);
    return std::wstring(name, n);
}
