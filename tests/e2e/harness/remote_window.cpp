#include "harness/remote_window.h"

#include <cwchar>
#include <functional>

namespace sidecar::e2e {

CRemoteMemory::CRemoteMemory(HANDLE hProcess, std::size_t nBytes)
    : m_hProcess(hProcess),
      m_pAddress(VirtualAllocEx(hProcess, nullptr, nBytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE)) {}

CRemoteMemory::~CRemoteMemory() {
    if (m_pAddress != nullptr)
        VirtualFreeEx(m_hProcess, m_pAddress, 0, MEM_RELEASE);
}

bool CRemoteMemory::Write(std::size_t nOffset, const void* pData, std::size_t nBytes) const {
    SIZE_T nDone = 0;
    return WriteProcessMemory(m_hProcess, At(nOffset), pData, nBytes, &nDone) && nDone == nBytes;
}

bool CRemoteMemory::Read(std::size_t nOffset, void* pData, std::size_t nBytes) const {
    SIZE_T nDone = 0;
    return ReadProcessMemory(m_hProcess, At(nOffset), pData, nBytes, &nDone) && nDone == nBytes;
}

std::wstring ReadWindowText(HWND hWnd, DWORD nTimeoutMs) {
    DWORD_PTR nLength = 0;
    if (!SendMessageTimeoutW(hWnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, nTimeoutMs, &nLength))
        return {};
    // The length may be an upper bound (DBCS); WM_GETTEXT says how many characters it copied.
    std::wstring strText(nLength + 1, L'\0');
    DWORD_PTR nCopied = 0;
    if (!SendMessageTimeoutW(hWnd, WM_GETTEXT, strText.size(), reinterpret_cast<LPARAM>(strText.data()),
                             SMTO_NORMAL, nTimeoutMs, &nCopied))
        return {};
    strText.resize(nCopied < strText.size() ? nCopied : strText.size() - 1);
    return strText;
}

RECT ReadRectIn(HWND hWnd, HWND hReference) {
    RECT rc{};
    GetWindowRect(hWnd, &rc);
    MapWindowPoints(HWND_DESKTOP, hReference, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

std::wstring ReadSkinElement(HWND hWnd) {
    const auto atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(GetPropW(hWnd, L"SidecarSkin")));
    if (atom == 0)
        return {};
    wchar_t szName[256] = {};
    const UINT n = GlobalGetAtomNameW(atom, szName, 256);
    return std::wstring(szName, n);
}

bool ReadTreeRows(HWND hTree, HANDLE hProcess, DWORD nTimeoutMs, std::vector<TreeRow>& rows) {
    rows.clear();
    // TVM_GETITEMW is not marshalled between processes: the item structure and its text buffer must
    // live in the tree's own process.
    constexpr std::size_t kTextChars = 1024;
    CRemoteMemory remote(hProcess, sizeof(TVITEMW) + kTextChars * sizeof(wchar_t));
    if (!remote)
        return false;

    auto send = [&](UINT uMsg, WPARAM wParam, LPARAM lParam, DWORD_PTR& nResult) {
        return SendMessageTimeoutW(hTree, uMsg, wParam, lParam, SMTO_NORMAL, nTimeoutMs, &nResult) != 0;
    };
    auto next = [&](UINT uRelation, HTREEITEM hFrom) -> HTREEITEM {
        DWORD_PTR nResult = 0;
        return send(TVM_GETNEXTITEM, uRelation, reinterpret_cast<LPARAM>(hFrom), nResult)
                   ? reinterpret_cast<HTREEITEM>(nResult)
                   : nullptr;
    };
    auto readItem = [&](HTREEITEM hItem, int nDepth) {
        TVITEMW item{};
        item.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
        item.hItem = hItem;
        item.stateMask = 0xFFFF;
        item.pszText = static_cast<LPWSTR>(remote.At(sizeof item));
        item.cchTextMax = kTextChars;
        const wchar_t zero = L'\0';
        DWORD_PTR nResult = 0;
        if (!remote.Write(0, &item, sizeof item) || !remote.Write(sizeof item, &zero, sizeof zero) ||
            !send(TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote.Address()), nResult) || nResult == 0 ||
            !remote.Read(0, &item, sizeof item))
            return false;
        std::wstring strText(kTextChars, L'\0');
        // The control may point pszText at its own storage instead of copying into ours.
        SIZE_T nDone = 0;
        ReadProcessMemory(hProcess, item.pszText, strText.data(), kTextChars * sizeof(wchar_t), &nDone);
        strText.resize(wcsnlen(strText.c_str(), nDone / sizeof(wchar_t)));
        rows.push_back(
            {nDepth, std::move(strText), item.iImage, item.iSelectedImage, item.lParam, item.state, hItem});
        return true;
    };

    // Depth-first: an item, its children, then its next sibling.
    std::function<bool(HTREEITEM, int)> walk = [&](HTREEITEM hFirst, int nDepth) {
        for (HTREEITEM h = hFirst; h != nullptr; h = next(TVGN_NEXT, h))
            if (!readItem(h, nDepth) || !walk(next(TVGN_CHILD, h), nDepth + 1))
                return false;
        return true;
    };
    return walk(next(TVGN_ROOT, nullptr), 0);
}

bool IsStandardMessageBox(HWND hWnd) {
    wchar_t szClass[16] = {};
    if (GetClassNameW(hWnd, szClass, 16) == 0 || std::wcscmp(szClass, L"#32770") != 0)
        return false;
    bool bHasButton = false;
    for (HWND hChild = GetWindow(hWnd, GW_CHILD); hChild != nullptr;
         hChild = GetWindow(hChild, GW_HWNDNEXT)) {
        wchar_t szChild[16] = {};
        GetClassNameW(hChild, szChild, 16);
        const int nId = GetDlgCtrlID(hChild);
        if (_wcsicmp(szChild, L"Button") == 0 && nId >= IDOK && nId <= 11 /* IDCONTINUE */) {
            bHasButton = true;
            continue;
        }
        // Besides its buttons, a message box has its icon and its text (both statics) and nothing else.
        const bool bIcon = nId == 1088 /* Wine's icon */ || nId == 0x14 /* Windows' icon */;
        if (_wcsicmp(szChild, L"Static") != 0 || (nId >= 1000 && nId < 0xFFFF && !bIcon))
            return false;
    }
    return bHasButton;
}

}  // namespace sidecar::e2e
