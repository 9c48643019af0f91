// Start-up benchmark: time from process start until the panel is visible, against a floor program that
// makes the panel's own dialog templates the way its start does, with the dialog manager alone (the time
// goal is judged against it); for reference, a bare dialog program of the same size (an empty template)
// and a program with one plain window of that size. All four are started in turns in the same run. Also
// the idle private memory of each (committed private pages, read from outside, since Wine keeps no
// counters for another process); its goal is judged against the bare dialog.
//
// The template floor: the common controls initialised with the classes the program asks for, the review
// dialog's template made hidden and modeless with no owner, then the panel's template run modal; while it
// initialises it makes the ceiling stand panel's template as its child and shows it, and takes the
// panel's 1024 x 768 place. Trivial dialog procedures: no skin, no fonts, no texts, no layout of controls.
// This executable carries the program's resources, so the templates (and the manifest, under which all
// three of its own programs run) are the program's.
//
//   sidecar_startup_bench.exe [runs]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "resources/resource.h"

namespace fs = std::filesystem;
using bench::Median;
using bench::Now;
using bench::Pump;

namespace {

LRESULT CALLBACK BareProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_CLOSE) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(h, m, w, l);
}

INT_PTR CALLBACK BareDialogProc(HWND h, UINT m, WPARAM, LPARAM) {
    if (m == WM_INITDIALOG) {
        ::SetWindowPos(h, nullptr, 0, 0, 1024, 768, SWP_NOZORDER | SWP_NOACTIVATE);
        return TRUE;
    }
    if (m == WM_CLOSE) {
        ::EndDialog(h, 0);
        return TRUE;
    }
    return FALSE;
}

// The bare dialog program: an empty dialog of the panel's size (a template with the panel's style and
// font, no controls), run modal by the dialog manager.
int RunBareDialog() {
    std::vector<WORD> t(64, 0);
    auto* dlg = reinterpret_cast<DLGTEMPLATE*>(t.data());
    dlg->style = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;
    dlg->cx = 582;
    dlg->cy = 424;
    std::size_t at = sizeof(DLGTEMPLATE) / sizeof(WORD);
    t[at++] = 0;  // no menu
    t[at++] = 0;  // the dialog class
    for (const wchar_t* c = L"Sidecar";; ++c) {
        t[at++] = *c;
        if (!*c)
            break;
    }
    t[at++] = 9;  // point size, then the face
    for (const wchar_t* c = L"MS Shell Dlg";; ++c) {
        t[at++] = *c;
        if (!*c)
            break;
    }
    return static_cast<int>(
        ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), dlg, nullptr, &BareDialogProc, 0));
}

// The template floor's procedures. Each returns from WM_INITDIALOG what the program's dialog returns: the
// review dialog takes no default focus while hidden, the panel and the stand panel do.
INT_PTR CALLBACK FloorReviewProc(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

INT_PTR CALLBACK FloorStandProc(HWND, UINT m, WPARAM, LPARAM) {
    return m == WM_INITDIALOG ? TRUE : FALSE;
}

INT_PTR CALLBACK FloorPanelProc(HWND h, UINT m, WPARAM, LPARAM) {
    if (m == WM_INITDIALOG) {
        // The stand panel is a child dialog made and shown during the panel's initialisation, before the
        // panel takes its place; its controls stay where its template puts them.
        HWND stand = ::CreateDialogParamW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CEILING_STAND), h,
                                          &FloorStandProc, 0);
        if (stand)
            ::ShowWindow(stand, SW_SHOW);
        ::MoveWindow(h, 0, 0, 1024, 768, TRUE);
        return TRUE;
    }
    if (m == WM_CLOSE) {
        ::EndDialog(h, 0);
        return TRUE;
    }
    return FALSE;
}

// The template floor program: the program's three start-up templates in the program's order, made by the
// dialog manager alone.
int RunTemplateFloor() {
    // The common controls are loaded here rather than imported, so that the bare programs of this same
    // executable do not load them; this is still before the first window, as the panel's loader does it
    // before its main.
    HMODULE comctl = ::LoadLibraryW(L"comctl32.dll");
    using InitFn = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    auto init = comctl ? reinterpret_cast<InitFn>(
                             reinterpret_cast<void*>(::GetProcAddress(comctl, "InitCommonControlsEx")))
                       : nullptr;
    if (!init)
        return 1;
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_TREEVIEW_CLASSES | ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
    init(&icc);
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    // Made before the panel exists, so it has no owner; its template is not visible.
    HWND review = ::CreateDialogParamW(instance, MAKEINTRESOURCEW(IDD_REVIEW), nullptr, &FloorReviewProc, 0);
    INT_PTR result =
        ::DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_SIDECAR_DIALOG), nullptr, &FloorPanelProc, 0);
    if (review)
        ::DestroyWindow(review);
    return static_cast<int>(result);
}

// The bare window program: one visible window of the panel's size, and a message loop.
int RunBare() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &BareProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SidecarBareWindow";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
    ::RegisterClassW(&wc);
    ::CreateWindowExW(0, wc.lpszClassName, L"Sidecar", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 0,
                      1024, 768, nullptr, nullptr, wc.hInstance, nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    return 0;
}

struct CVisibleWindow {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindVisible(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<CVisibleWindow*>(lp);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(h, &owner);
    wchar_t title[32];
    if (owner == f->pid && ::IsWindowVisible(h) && ::GetWindowTextW(h, title, 32) > 0 &&
        std::wstring(title) == L"Sidecar") {
        f->found = h;
        return FALSE;
    }
    return TRUE;
}

// Committed private memory of another process, in bytes.
double PrivateBytes(HANDLE process) {
    double total = 0;
    MEMORY_BASIC_INFORMATION mbi{};
    for (auto* at = static_cast<const char*>(nullptr);
         ::VirtualQueryEx(process, at, &mbi, sizeof(mbi)) == sizeof(mbi); at += mbi.RegionSize) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE)
            total += static_cast<double>(mbi.RegionSize);
        if (mbi.RegionSize == 0)
            break;
    }
    return total;
}

struct CSample {
    double ms = 0;
    double idleMs = 0;
    double bytes = 0;
};

// Between looks for the window. Each look is a burst of window-server requests that competes with the
// starting program for the one CPU; looking every millisecond slows a program that itself makes many
// requests (the panel) far more than one that makes few (the bare window).
constexpr DWORD kPollMs = 4;

// Starts the command, waits until its window titled "Sidecar" is visible, lets it settle, reads its
// memory, then closes it.
CSample Measure(const std::wstring& exe, const std::wstring& args, const std::wstring& dir) {
    std::wstring cmd = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    CSample sample;
    double t0 = Now();
    if (!::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
        std::fwprintf(stderr, L"cannot start %ls\n", exe.c_str());
        return sample;
    }
    CVisibleWindow f{pi.dwProcessId, nullptr};
    while (!f.found && Now() - t0 < 20000) {
        ::EnumWindows(&FindVisible, reinterpret_cast<LPARAM>(&f));
        if (!f.found)
            ::Sleep(kPollMs);
    }
    sample.ms = Now() - t0;
    ::WaitForInputIdle(pi.hProcess, 5000);
    sample.idleMs = Now() - t0;
    // Idle: give it time to finish its first paints before reading its memory.
    for (int i = 0; i < 50; ++i) {
        Pump();
        ::Sleep(10);
    }
    sample.bytes = PrivateBytes(pi.hProcess);
    if (f.found)
        ::PostMessageW(f.found, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(pi.hProcess, 5000) != WAIT_OBJECT_0)
        ::TerminateProcess(pi.hProcess, 1);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    return sample;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 2 && std::wstring(argv[1]) == L"--bare")
        return RunBare();
    if (argc >= 2 && std::wstring(argv[1]) == L"--bare-dialog")
        return RunBareDialog();
    if (argc >= 2 && std::wstring(argv[1]) == L"--templates")
        return RunTemplateFloor();
    int runs = argc >= 2 ? std::max(1, _wtoi(argv[1])) : 15;

    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    fs::path binDir = fs::path(self).parent_path();
    wchar_t temp[MAX_PATH + 1];
    ::GetTempPathW(MAX_PATH + 1, temp);
    fs::path folder = fs::path(temp) / (L"sidecar-startup-" + std::to_wstring(::GetCurrentProcessId()));
    fs::create_directories(folder);
    fs::copy_file(binDir / L"Sidecar.exe", folder / L"Sidecar.exe", fs::copy_options::overwrite_existing);
    std::wstring skins = L"Z:" SIDECAR_SKINS_DIR;
    std::replace(skins.begin(), skins.end(), L'/', L'\\');
    fs::copy(fs::path(skins), folder / L"Skins",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::ofstream(folder / L"Hostapp.ini")
        << "[SYSTEM]\r\nSidecarPosX=0\r\nSidecarPosY=0\r\n[KOVESDK]\r\nKOVESDK=3\r\n";

    struct CSeries {
        std::vector<double> ms, idleMs, bytes;
        void Add(const CSample& s) {
            ms.push_back(s.ms);
            idleMs.push_back(s.idleMs);
            bytes.push_back(s.bytes);
        }
    } panelRuns, floorRuns, dialogRuns, windowRuns;
    const std::wstring panel = (folder / L"Sidecar.exe").wstring();
    for (int i = 0; i < runs; ++i) {
        dialogRuns.Add(Measure(self, L"--bare-dialog", {}));
        floorRuns.Add(Measure(self, L"--templates", {}));
        panelRuns.Add(Measure(panel, L"sidecar-startup-console", folder.wstring()));
        windowRuns.Add(Measure(self, L"--bare", {}));
    }
    const double pm = Median(panelRuns.ms), fm = Median(floorRuns.ms), dm = Median(dialogRuns.ms),
                 wm = Median(windowRuns.ms);
    const double pb = Median(panelRuns.bytes), fb = Median(floorRuns.bytes), db = Median(dialogRuns.bytes);
    std::printf(
        "Sidecar start-up benchmark, %s: %d runs each, interleaved, medians (default skin, ceiling stand)\n",
        bench::Architecture(), runs);
    std::printf("start to visible   panel %8.1f ms   templates   %8.1f ms   ratio %5.2f   goal <= 1.25  %s\n",
                pm, fm, fm > 0 ? pm / fm : 0, fm > 0 && pm / fm <= 1.25 ? "met" : "NOT MET");
    std::printf(
        "                   (for reference: a bare dialog %.1f ms, ratio %.2f; a bare plain window %.1f ms, "
        "ratio %.2f)\n",
        dm, dm > 0 ? pm / dm : 0, wm, wm > 0 ? pm / wm : 0);
    std::printf(
        "start to idle      panel %8.1f ms   templates   %8.1f ms   bare dialog %.1f ms   (idle: every paint "
        "done)\n",
        Median(panelRuns.idleMs), Median(floorRuns.idleMs), Median(dialogRuns.idleMs));
    std::printf("idle private bytes panel %8.1f MB   bare dialog %8.1f MB   ratio %5.2f   goal <= 2.0  %s\n",
                pb / 1048576, db / 1048576, db > 0 ? pb / db : 0,
                db > 0 && pb / db <= 2.0 ? "met" : "NOT MET");
    std::printf("                   (templates %.1f MB)\n", fb / 1048576);
    std::error_code ec;
    fs::remove_all(folder, ec);
    return 0;
}
