#pragma once
// Device context guards: each remembers what it must undo (release, end painting, restore a selection).
#include "ui/handle.h"

// A window's client DC, released on destruction.
class CClientDC {
  public:
    explicit CClientDC(HWND hwnd) : m_hWnd(hwnd), m_hDC(::GetDC(hwnd)) {}
    ~CClientDC() {
        if (m_hDC)
            ::ReleaseDC(m_hWnd, m_hDC);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    HDC Get() const { return m_hDC; }

  private:
    HWND m_hWnd;
    HDC m_hDC;
};

// BeginPaint/EndPaint for one WM_PAINT.
class CPaintDC {
  public:
    explicit CPaintDC(HWND hwnd) : m_hWnd(hwnd) { m_hDC = ::BeginPaint(hwnd, &m_ps); }
    ~CPaintDC() { ::EndPaint(m_hWnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    HDC Get() const { return m_hDC; }
    const PAINTSTRUCT& Paint() const { return m_ps; }

  private:
    HWND m_hWnd;
    HDC m_hDC;
    PAINTSTRUCT m_ps{};
};

// Selects a GDI object into a DC and puts the previous one back on destruction.
class CSelectObject {
  public:
    CSelectObject(HDC dc, HGDIOBJ obj) : m_hDC(dc), m_hOld(dc && obj ? ::SelectObject(dc, obj) : nullptr) {}
    ~CSelectObject() {
        if (m_hOld)
            ::SelectObject(m_hDC, m_hOld);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

  private:
    HDC m_hDC;
    HGDIOBJ m_hOld;
};

// A memory DC compatible with another DC (or the screen when null).
inline CMemDC CreateCompatibleMemDC(HDC reference) {
    return CMemDC(::CreateCompatibleDC(reference));
}
