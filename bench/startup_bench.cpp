// Start-up benchmark: time from process start until the panel is visible, against a bare program that
// shows one plain 1024 x 768 window, measured alternately in the same run; and the idle private memory of
// both (committed private pages, read from outside, since Wine keeps no counters for another process).
//
//   sidecar_startup_bench.exe [runs]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_clock.h"

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

// The bare program: one visible window of the panel's size, and a message loop.
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
    double bytes = 0;
};

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
            ::Sleep(1);
    }
    sample.ms = Now() - t0;
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

    std::vector<double> panelMs, bareMs, panelBytes, bareBytes;
    const std::wstring panel = (folder / L"Sidecar.exe").wstring();
    for (int i = 0; i < runs; ++i) {
        CSample b = Measure(self, L"--bare", {});
        CSample p = Measure(panel, L"sidecar-startup-console", folder.wstring());
        bareMs.push_back(b.ms);
        bareBytes.push_back(b.bytes);
        panelMs.push_back(p.ms);
        panelBytes.push_back(p.bytes);
    }
    double pm = Median(panelMs), bm = Median(bareMs), pb = Median(panelBytes), bb = Median(bareBytes);
    std::printf(
        "Sidecar start-up benchmark: %d runs each, alternating, medians (default skin, ceiling stand)\n",
        runs);
    std::printf("start to visible   panel %8.1f ms   bare %8.1f ms   ratio %5.2f   goal <= 1.5  %s\n", pm, bm,
                bm > 0 ? pm / bm : 0, bm > 0 && pm / bm <= 1.5 ? "met" : "NOT MET");
    std::printf("idle private bytes panel %8.1f MB   bare %8.1f MB   ratio %5.2f   goal <= 2.0  %s\n",
                pb / 1048576, bb / 1048576, bb > 0 ? pb / bb : 0,
                bb > 0 && pb / bb <= 2.0 ? "met" : "NOT MET");
    std::error_code ec;
    fs::remove_all(folder, ec);
    return 0;
}
