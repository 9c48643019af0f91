#pragma once
// One move-only owner for every handle kind, with an alias per kind. A handle belongs to exactly one owner;
// the owner deletes it when it is reset, replaced or destroyed. GDI objects and memory DCs are counted while
// alive, because the platform's own counter is not available everywhere (Wine answers 0).
#include <windows.h>

#include <utility>

// Live GDI objects (fonts, bitmaps, regions, palettes, brushes, memory DCs) created through the owners.
long GdiLiveObjects();
void GdiCountCreated();
void GdiCountDeleted();

template <typename T, typename Traits>
class CHandle {
  public:
    CHandle() = default;
    explicit CHandle(T h) : m_h(h) { Traits::Created(m_h); }
    ~CHandle() { Reset(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    CHandle(CHandle&& other) noexcept : m_h(std::exchange(other.m_h, Traits::Invalid())) {}
    CHandle& operator=(CHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            m_h = std::exchange(other.m_h, Traits::Invalid());
        }
        return *this;
    }

    T Get() const { return m_h; }
    explicit operator bool() const { return m_h != Traits::Invalid(); }

    // Takes ownership of h after deleting what was held.
    void Attach(T h) {
        Reset();
        m_h = h;
        Traits::Created(m_h);
    }
    // Gives up ownership without deleting.
    T Detach() { return std::exchange(m_h, Traits::Invalid()); }
    void Reset() {
        if (m_h != Traits::Invalid()) {
            Traits::Close(m_h);
            m_h = Traits::Invalid();
        }
    }

  private:
    T m_h = Traits::Invalid();
};

template <typename T>
struct CGdiTraits {
    static T Invalid() { return nullptr; }
    static void Created(T h) {
        if (h)
            GdiCountCreated();
    }
    static void Close(T h) {
        ::DeleteObject(h);
        GdiCountDeleted();
    }
};

struct CMemDcTraits {
    static HDC Invalid() { return nullptr; }
    static void Created(HDC h) {
        if (h)
            GdiCountCreated();
    }
    static void Close(HDC h) {
        ::DeleteDC(h);
        GdiCountDeleted();
    }
};

struct CKernelTraits {  // handles whose failure value is null (file mappings, threads, events)
    static HANDLE Invalid() { return nullptr; }
    static void Created(HANDLE) {}
    static void Close(HANDLE h) { ::CloseHandle(h); }
};

struct CViewTraits {
    static void* Invalid() { return nullptr; }
    static void Created(void*) {}
    static void Close(void* p) { ::UnmapViewOfFile(p); }
};

struct CIconTraits {
    static HICON Invalid() { return nullptr; }
    static void Created(HICON) {}
    static void Close(HICON h) { ::DestroyIcon(h); }
};

struct CHookTraits {
    static HHOOK Invalid() { return nullptr; }
    static void Created(HHOOK) {}
    static void Close(HHOOK h) { ::UnhookWindowsHookEx(h); }
};

using CFont = CHandle<HFONT, CGdiTraits<HFONT>>;
using CBitmap = CHandle<HBITMAP, CGdiTraits<HBITMAP>>;
using CRgn = CHandle<HRGN, CGdiTraits<HRGN>>;
using CPalette = CHandle<HPALETTE, CGdiTraits<HPALETTE>>;
using CBrush = CHandle<HBRUSH, CGdiTraits<HBRUSH>>;
using CPen = CHandle<HPEN, CGdiTraits<HPEN>>;
using CMemDC = CHandle<HDC, CMemDcTraits>;
using CFileMapping = CHandle<HANDLE, CKernelTraits>;
using CMappedView = CHandle<void*, CViewTraits>;
using CIcon = CHandle<HICON, CIconTraits>;
using CHook = CHandle<HHOOK, CHookTraits>;
