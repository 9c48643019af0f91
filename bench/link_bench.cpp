// Console link benchmark: plays the host console against the real Sidecar.exe and prints, in one run, the
// mean round trip of the console's commands as a ratio to the same message sent to a window that does
// nothing (the platform's floor, measured alongside), and the latency of an operator press until its
// report reaches the console, as a ratio to one title look-up plus one bare send.
//
//   sidecar_link_bench.exe [rounds]
//
// Run it pinned to one CPU (make bench does): cross-process figures under Wine swing with scheduling.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "link/codes.h"
#include "bench_clock.h"
#include "link/records.h"
#include "resources/resource.h"

namespace fs = std::filesystem;
using bench::Median;
using bench::Now;
using bench::Percentile;
using bench::Pump;

namespace {

constexpr int kBatch = 100;

LRESULT CALLBACK NullProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_CLOSE) {
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(h, m, w, l);
}

// A window that answers every message with the default processing and nothing else.
int RunNullWindow(const wchar_t* title) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &NullProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SidecarBenchNull";
    ::RegisterClassW(&wc);
    ::CreateWindowExW(0, wc.lpszClassName, title, WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance,
                      nullptr);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageW(&msg);
    return 0;
}

// The console's own window: counts the reports it receives.
int g_reports = 0;

LRESULT CALLBACK ConsoleProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_COPYDATA) {
        ++g_reports;
        return TRUE;
    }
    return ::DefWindowProcW(h, m, w, l);
}

HWND CreateConsoleWindow(const std::wstring& title) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &ConsoleProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SidecarBenchConsole";
    ::RegisterClassW(&wc);
    return ::CreateWindowExW(0, wc.lpszClassName, title.c_str(), WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                             nullptr, wc.hInstance, nullptr);
}

struct CFindByTitle {
    const std::wstring* title;
    DWORD pid;
    HWND found;
};

// Matches the title exactly; with a process id, only that process's main panel (the one with a tree).
BOOL CALLBACK MatchWindow(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<CFindByTitle*>(lp);
    wchar_t text[260];
    int n = ::GetWindowTextW(h, text, 260);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(h, &owner);
    if ((f->pid == 0 || owner == f->pid) && f->title->compare(0, std::wstring::npos, text, n) == 0 &&
        (f->pid == 0 || ::GetDlgItem(h, IDC_TREE))) {
        f->found = h;
        return FALSE;
    }
    return TRUE;
}

HWND FindTopLevel(const std::wstring& title, DWORD pid) {
    CFindByTitle f{&title, pid, nullptr};
    ::EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

HWND WaitForWindow(const std::wstring& title, DWORD pid) {
    for (int i = 0; i < 400; ++i) {
        if (HWND h = FindTopLevel(title, pid))
            return h;
        Pump();
        ::Sleep(25);
    }
    return nullptr;
}

PROCESS_INFORMATION Launch(const std::wstring& exe, const std::wstring& tail, const std::wstring& dir) {
    std::wstring cmd = L"\"" + exe + L"\" " + tail;
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          dir.empty() ? nullptr : dir.c_str(), &si, &pi)) {
        std::fwprintf(stderr, L"cannot start %ls (%lu)\n", exe.c_str(), ::GetLastError());
    }
    return pi;
}

void Send(HWND to, std::uint32_t code, const std::vector<std::uint8_t>& bytes) {
    COPYDATASTRUCT cds{code, static_cast<DWORD>(bytes.size()), const_cast<std::uint8_t*>(bytes.data())};
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(to, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 10000, &result);
}

// Mean milliseconds per message over batches that alternate between the panel and the floor window;
// the medians of the batch means are compared.
struct CRatio {
    double panel;
    double floor;
    // One at a time only: the median and the 90th percentile of the single round trips, panel and floor;
    // a tail far above the median is time the console waited for something other than the record.
    double panelP50 = 0, panelP90 = 0, floorP50 = 0, floorP90 = 0;
};

CRatio Measure(int rounds, HWND panel, HWND floorWnd, const std::function<void(HWND, int)>& send) {
    std::vector<double> p, f;
    for (int r = 0; r < rounds; ++r) {
        for (HWND target : {panel, floorWnd}) {
            double t0 = Now();
            for (int i = 0; i < kBatch; ++i)
                send(target, r * kBatch + i);
            double mean = (Now() - t0) / kBatch;
            (target == panel ? p : f).push_back(mean);
        }
    }
    return {Median(p), Median(f)};
}

// Mean milliseconds of one message at a time: before each send the console pauses long enough for the
// panel to finish the repaints of the previous record (and the floor window to fall idle alike), as a
// console does that sends a record when something happened. Measure above is the sustained rate of a console
// that sends without pause, where the repaints of one record delay the next.
constexpr DWORD kPauseMs = 8;

CRatio MeasureOneAtATime(int rounds, HWND panel, HWND floorWnd, const std::function<void(HWND, int)>& send) {
    std::vector<double> p, f, singleP, singleF;
    for (int r = 0; r < rounds; ++r) {
        for (HWND target : {panel, floorWnd}) {
            double sum = 0;
            for (int i = 0; i < kBatch; ++i) {
                ::Sleep(kPauseMs);
                double t0 = Now();
                send(target, r * kBatch + i);
                double took = Now() - t0;
                sum += took;
                (target == panel ? singleP : singleF).push_back(took);
            }
            (target == panel ? p : f).push_back(sum / kBatch);
        }
    }
    return {Median(p),
            Median(f),
            Percentile(singleP, 0.5),
            Percentile(singleP, 0.9),
            Percentile(singleF, 0.5),
            Percentile(singleF, 0.9)};
}

void Print(const char* name, const CRatio& r, double goal) {
    double ratio = r.floor > 0 ? r.panel / r.floor : 0;
    std::printf("%-32s %9.4f ms   floor %9.4f ms   ratio %5.2f   goal <= %.1f  %s\n", name, r.panel, r.floor,
                ratio, goal, ratio <= goal ? "met" : "NOT MET");
    if (r.panelP50 > 0) {
        std::printf("%-32s   single sends: panel p50 %.4f / p90 %.4f ms, floor p50 %.4f / p90 %.4f ms\n", "",
                    r.panelP50, r.panelP90, r.floorP50, r.floorP90);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 3 && std::wstring(argv[1]) == L"--null-window")
        return RunNullWindow(argv[2]);
    int rounds = argc >= 2 ? std::max(1, _wtoi(argv[1])) : 5;

    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    fs::path binDir = fs::path(self).parent_path();
    const DWORD pid = ::GetCurrentProcessId();

    // A program folder with the panel and a skin in our format, so the skin engine is active.
    wchar_t temp[MAX_PATH + 1];
    ::GetTempPathW(MAX_PATH + 1, temp);
    fs::path folder = fs::path(temp) / (L"sidecar-bench-" + std::to_wstring(pid));
    fs::create_directories(folder / L"Skins");
    fs::copy_file(binDir / L"Sidecar.exe", folder / L"Sidecar.exe", fs::copy_options::overwrite_existing);
    std::ofstream(folder / L"Hostapp.ini") << "[SYSTEM]\r\nSidecarPosX=0\r\nSidecarPosY=0\r\n";
    // The default skin of the source tree (a Unix path, which Wine shows as drive Z:).
    std::wstring skins = L"Z:" SIDECAR_SKINS_DIR;
    std::replace(skins.begin(), skins.end(), L'/', L'\\');
    fs::copy(fs::path(skins), folder / L"Skins",
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);

    const std::wstring consoleTitle = L"sidecar-bench-" + std::to_wstring(pid);
    const std::wstring nullTitle = L"sidecar-bench-null-" + std::to_wstring(pid);
    HWND console = CreateConsoleWindow(consoleTitle);

    PROCESS_INFORMATION panelProc =
        Launch((folder / L"Sidecar.exe").wstring(), consoleTitle, folder.wstring());
    PROCESS_INFORMATION nullProc = Launch(self, L"--null-window " + nullTitle, {});
    HWND panel = WaitForWindow(L"Sidecar", panelProc.dwProcessId);
    HWND floorWnd = WaitForWindow(nullTitle, 0);
    if (!panel || !floorWnd || !console) {
        std::fprintf(stderr, "the panel or the floor window did not appear\n");
        return 1;
    }

    std::printf("Sidecar console link benchmark, %s: %d rounds of %d messages, medians of batch means\n",
                bench::Architecture(), rounds, kBatch);

    // Exposure records with new values every time. The AEC records run the mode table on every record
    // (AEC is always re-applied) with the selected fields changing; the switching records change the
    // mode itself on every record, the worst case: most rows change their enabled state and look.
    auto exposureRecords = [](bool switchModes) {
        std::vector<std::vector<std::uint8_t>> records;
        for (int i = 0; i < 6; ++i) {
            wire::ExposureState s;
            s.kvp = std::to_wstring(60 + i);
            s.ma = std::to_wstring(100 + 10 * i);
            s.mas = std::to_wstring(5 + i);
            s.time = std::to_wstring(20 + i);
            s.aecValue = std::to_wstring(i - 2);
            s.patientSize = static_cast<std::int16_t>(i % 4);
            s.aecSubMode = 1;
            s.timeUnit = 0;
            s.controlMode = static_cast<std::int16_t>(switchModes ? i % 3 : 2);
            s.aecField = {i % 2, (i + 1) % 2, 0};
            records.push_back(s.Encode());
        }
        return records;
    };
    std::vector<std::vector<std::uint8_t>> exposures = exposureRecords(false);
    auto sendExposure = [&](HWND to, int i) {
        Send(to, wire::CDC_EXPOSURE, exposures[static_cast<std::size_t>(i) % exposures.size()]);
    };
    CRatio exposure = Measure(rounds, panel, floorWnd, sendExposure);
    CRatio exposureOne = MeasureOneAtATime(rounds, panel, floorWnd, sendExposure);
    std::vector<std::vector<std::uint8_t>> switching = exposureRecords(true);
    auto sendSwitching = [&](HWND to, int i) {
        Send(to, wire::CDC_EXPOSURE, switching[static_cast<std::size_t>(i) % switching.size()]);
    };
    CRatio modeSwitch = Measure(rounds, panel, floorWnd, sendSwitching);
    CRatio modeSwitchOne = MeasureOneAtATime(rounds, panel, floorWnd, sendSwitching);

    std::vector<std::vector<std::uint8_t>> patients = {
        wire::PatientInfo{L"P-0001", L"DOE^JANE", L"A-17", L"CHEST PA AND LATERAL"}.Encode(),
        wire::PatientInfo{L"P-0002", L"ROE^RICHARD", L"A-18", L"LEFT HAND 3 VIEWS"}.Encode()};
    auto sendPatient = [&](HWND to, int i) {
        Send(to, wire::CDC_PATIENT, patients[static_cast<std::size_t>(i) % 2]);
    };
    CRatio patient = Measure(rounds, panel, floorWnd, sendPatient);
    CRatio patientOne = MeasureOneAtATime(rounds, panel, floorWnd, sendPatient);

    // A tree of two exams with protocols; the measured op marks a protocol done and pending in turn.
    Send(panel, wire::CDC_TREE, wire::TreeCommand{1, 100, L"Chest"}.Encode());
    for (int i = 0; i < 6; ++i)
        Send(panel, wire::CDC_TREE, wire::TreeCommand{2, 101 + i, L"View:R"}.Encode());
    Send(panel, wire::CDC_TREE, wire::TreeCommand{1, 200, L"Hand"}.Encode());
    for (int i = 0; i < 6; ++i)
        Send(panel, wire::CDC_TREE, wire::TreeCommand{2, 201 + i, L"View:R"}.Encode());
    std::vector<std::vector<std::uint8_t>> marks = {wire::TreeCommand{4, 204, {}}.Encode(),
                                                    wire::TreeCommand{5, 204, {}}.Encode()};
    auto sendMark = [&](HWND to, int i) { Send(to, wire::CDC_TREE, marks[static_cast<std::size_t>(i) % 2]); };
    CRatio tree = Measure(rounds, panel, floorWnd, sendMark);
    CRatio treeOne = MeasureOneAtATime(rounds, panel, floorWnd, sendMark);

    // Press: kVp up, from the posted click until the report has been received here.
    HWND kvpUp = ::GetDlgItem(panel, IDC_KVP_UP);
    RECT rc{};
    ::GetClientRect(kvpUp, &rc);
    LPARAM at = MAKELPARAM(rc.right / 2, rc.bottom / 2);
    std::vector<double> press, base;
    const std::wstring& title = consoleTitle;
    for (int r = 0; r < rounds; ++r) {
        for (int i = 0; i < kBatch / 4; ++i) {
            int before = g_reports;
            double t0 = Now();
            ::PostMessageW(kvpUp, WM_LBUTTONDOWN, MK_LBUTTON, at);
            ::PostMessageW(kvpUp, WM_LBUTTONUP, 0, at);
            while (g_reports == before) {
                ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 1000, QS_ALLINPUT);
                Pump();
            }
            press.push_back(Now() - t0);

            // The floor of a press: one look-up of the console by title, then one bare record-less send.
            t0 = Now();
            if (!FindTopLevel(title, 0))
                return 1;
            COPYDATASTRUCT cds{wire::CDC_BUTTON, 2, nullptr};
            ::SendMessageW(floorWnd, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));
            base.push_back(Now() - t0);
        }
    }
    CRatio pressRatio{Median(press), Median(base)};

    std::printf(
        "One record at a time (a pause of %lu ms before each send: the panel has finished repainting):\n",
        kPauseMs);
    Print("CDC_EXPOSURE (AEC, new values)", exposureOne, 3.0);
    Print("CDC_EXPOSURE (mode change each)", modeSwitchOne, 3.0);
    Print("CDC_PATIENT (768 bytes)", patientOne, 2.0);
    Print("CDC_TREE mark done/pending", treeOne, 2.0);
    std::printf("Records without pause (each record's repaints delay the next):\n");
    Print("CDC_EXPOSURE (AEC, new values)", exposure, 3.0);
    Print("CDC_EXPOSURE (mode change each)", modeSwitch, 3.0);
    Print("CDC_PATIENT (768 bytes)", patient, 2.0);
    Print("CDC_TREE mark done/pending", tree, 2.0);
    std::printf("The operator:\n");
    Print("press kVp up -> report received", pressRatio, 1.5);

    ::PostMessageW(panel, WM_CLOSE, 0, 0);
    ::PostMessageW(floorWnd, WM_CLOSE, 0, 0);
    for (HANDLE h : {panelProc.hProcess, nullProc.hProcess}) {
        if (h && ::WaitForSingleObject(h, 5000) != WAIT_OBJECT_0)
            ::TerminateProcess(h, 1);
    }
    for (HANDLE h : {panelProc.hProcess, panelProc.hThread, nullProc.hProcess, nullProc.hThread}) {
        if (h)
            ::CloseHandle(h);
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    return 0;
}
