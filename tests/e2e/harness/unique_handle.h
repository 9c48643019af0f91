#pragma once
// Move-only owners for the handles the harness holds: one template, one traits struct per kind.
#include <windows.h>

#include <utility>

namespace sidecar::e2e {

template <typename Traits>
class CUniqueHandle {
  public:
    using Handle = typename Traits::Handle;

    CUniqueHandle() = default;
    explicit CUniqueHandle(Handle h) : m_h(h) {}
    CUniqueHandle(const CUniqueHandle&) = delete;
    CUniqueHandle& operator=(const CUniqueHandle&) = delete;
    CUniqueHandle(CUniqueHandle&& other) noexcept : m_h(std::exchange(other.m_h, Traits::Invalid())) {}
    CUniqueHandle& operator=(CUniqueHandle&& other) noexcept {
        if (this != &other)
            Reset(std::exchange(other.m_h, Traits::Invalid()));
        return *this;
    }
    ~CUniqueHandle() { Reset(); }

    Handle Get() const { return m_h; }
    explicit operator bool() const { return m_h != Traits::Invalid(); }
    Handle Release() { return std::exchange(m_h, Traits::Invalid()); }
    void Reset(Handle h = Traits::Invalid()) {
        if (m_h != Traits::Invalid())
            Traits::Close(m_h);
        m_h = h;
    }

  private:
    Handle m_h = Traits::Invalid();
};

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::CloseHandle(h); }
};

struct WindowTraits {
    using Handle = HWND;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { ::DestroyWindow(h); }
};

// A kernel object (process, thread, mutex, file); null when empty.
using CKernelHandle = CUniqueHandle<KernelHandleTraits>;
// A window of the calling thread, destroyed with the owner.
using CWindowOwner = CUniqueHandle<WindowTraits>;

}  // namespace sidecar::e2e
