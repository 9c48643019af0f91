#pragma once
// CBuiltinSkin: the built-in skin engine, used when the external skin component is not installed. Owns the
// parsed skin file for the whole run; gives windows their element names as a window property.
#include <windows.h>

#include <optional>
#include <string>

#include "skin/skin_file.h"

// The window property that carries a window's skin element: a global atom named after the element, so other
// processes (tools, tests) can read which look each window was given.
inline constexpr wchar_t kSkinElementProperty[] = L"SidecarSkin";

class CBuiltinSkin {
  public:
    // Reads and parses a skin file. False, and inactive, when it is missing, unreadable or not in our format.
    bool Load(const std::wstring& path);
    bool Active() const { return m_file.has_value(); }
    // The loaded file; null when inactive.
    const CSkinFile* File() const { return m_file ? &*m_file : nullptr; }
    // Gives a window of this thread its element name (idempotent; a new name replaces the old). Does nothing
    // when inactive, for a null or foreign window, or a null or empty name.
    void Apply(HWND hwnd, const wchar_t* element) const;

  private:
    std::optional<CSkinFile> m_file;
};

// The element name a window was given by the built-in engine, read from its property; empty when none.
// Works for windows of other processes too.
std::wstring GetSkinElement(HWND hwnd);
