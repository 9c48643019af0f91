#pragma once
// Reading windows that belong to another process.
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <string>
#include <vector>

namespace sidecar::e2e {

// Memory committed in another process, released with the owner.
class CRemoteMemory {
  public:
    CRemoteMemory(HANDLE hProcess, std::size_t nBytes);
    CRemoteMemory(const CRemoteMemory&) = delete;
    CRemoteMemory& operator=(const CRemoteMemory&) = delete;
    ~CRemoteMemory();

    explicit operator bool() const { return m_pAddress != nullptr; }
    void* Address() const { return m_pAddress; }
    // Address of a byte offset inside the block, as the other process sees it.
    void* At(std::size_t nOffset) const { return static_cast<char*>(m_pAddress) + nOffset; }
    bool Write(std::size_t nOffset, const void* pData, std::size_t nBytes) const;
    bool Read(std::size_t nOffset, void* pData, std::size_t nBytes) const;

  private:
    HANDLE m_hProcess;
    void* m_pAddress;
};

// One item of a tree control, in depth-first order.
struct TreeRow {
    int depth = 0;  // 0 for root items
    std::wstring text;
    int image = 0;
    int selectedImage = 0;
    LPARAM param = 0;
    UINT state = 0;  // TVIS_SELECTED, TVIS_EXPANDED, TVIS_BOLD, ...
    HTREEITEM item = nullptr;
};

// The window's text through WM_GETTEXT (works for any control, not only captions); empty on time-out.
std::wstring ReadWindowText(HWND hWnd, DWORD nTimeoutMs);
// The window rectangle in the client coordinates of hReference.
RECT ReadRectIn(HWND hWnd, HWND hReference);
// The skin element the built-in skin engine gave the window (property "SidecarSkin", a global atom
// named after the element); empty when the window has none.
std::wstring ReadSkinElement(HWND hWnd);
// Every item of the tree control hTree, which belongs to hProcess. Returns false when a read failed.
bool ReadTreeRows(HWND hTree, HANDLE hProcess, DWORD nTimeoutMs, std::vector<TreeRow>& rows);
// A standard message box (MessageBox, the framework's error box): buttons with the standard command ids
// and statics only. The panel and the system's own dialogs have controls with ids from 1000 on.
bool IsStandardMessageBox(HWND hWnd);

}  // namespace sidecar::e2e
