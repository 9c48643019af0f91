// Review picture benchmark. Plays the host console against the real Sidecar.exe: shares an 8-bit picture
// under the name "Sidecar" and measures the CDC_REVIEW_SHOW round trip for 1000 x 800, 3072 x 3072 and
// 4288 x 4288 pictures (and, with no floor, for the largest picture shown, 8192 x 8192, and the first
// refused), and in the same run the floor of that work done once here: one copy of the
// picture out of the mapping, building the 8-bit section, converting it once to 24 bits and one stretch
// of it to the picture control's size. Then memory: the panel's private bytes over 200 shows of the
// largest picture, and the live GDI objects of our owners over 200 shows by a review dialog in this
// process (the platform's own GDI counter is not available under Wine).
//
//   sidecar_review_bench.exe [shows]
//
// Run it pinned to one CPU (make bench does): cross-process figures under Wine swing with scheduling.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "link/codes.h"
#include "bench_clock.h"
#include "link/records.h"
#include "resources/resource.h"
#include "review/dlg_review.h"
#include "ui/gdi.h"
#include "ui/handle.h"

namespace fs = std::filesystem;
using bench::Median;
using bench::Now;
using bench::Pump;

namespace {

// A chest-like radiograph: body, lungs, spine, ribs and noise, so the bytes are not all alike.
void PaintRadiograph(std::uint8_t* p, int w, int h) {
    std::uint32_t noise = 2463534242u;  // xorshift state
    for (int y = 0; y < h; ++y) {
        const double Y = (y + 0.5) / h;
        for (int x = 0; x < w; ++x) {
            const double X = (x + 0.5) / w;
            auto inside = [&](double cx, double cy, double rx, double ry) {
                double dx = (X - cx) / rx, dy = (Y - cy) / ry;
                return dx * dx + dy * dy < 1.0;
            };
            double v = 15;
            if (inside(0.5, 0.55, 0.46, 0.6))
                v += 95;
            if (inside(0.32, 0.45, 0.14, 0.28) || inside(0.68, 0.45, 0.14, 0.28))
                v -= 50;
            if (std::fabs(X - 0.5) < 0.03)
                v += 100;
            if (std::fmod(Y * 14.0 + std::fabs(X - 0.5) * 3.0, 1.0) < 0.12)
                v += 35;
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            v += static_cast<double>(noise & 0xF) - 7.5;
            p[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0));
        }
    }
}

// The console's shared picture.
class CSharedPicture {
  public:
    bool Share(int w, int h) {
        m_view.Reset();
        m_mapping.Reset();
        const std::uint64_t bytes = static_cast<std::uint64_t>(w) * h;
        m_mapping = CFileMapping(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                                      static_cast<DWORD>(bytes >> 32),
                                                      static_cast<DWORD>(bytes), L"Sidecar"));
        if (!m_mapping)
            return false;
        m_view = CMappedView(::MapViewOfFile(m_mapping.Get(), FILE_MAP_ALL_ACCESS, 0, 0, 0));
        if (!m_view)
            return false;
        PaintRadiograph(static_cast<std::uint8_t*>(m_view.Get()), w, h);
        return true;
    }
    const std::uint8_t* Bytes() const { return static_cast<const std::uint8_t*>(m_view.Get()); }

  private:
    CFileMapping m_mapping;
    CMappedView m_view;
};

// The floor, done once in this process: copy out of the mapping, 8-bit grey section, one conversion to a
// 24-bit section, one stretch of it to the control's size.
double FloorOnce(const std::uint8_t* view, int w, int h, int cw, int ch) {
    const double t0 = Now();
    std::vector<std::uint8_t> buffer(view, view + static_cast<std::size_t>(w) * h);

    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colors[256];
    } grey{};
    grey.header = {sizeof(BITMAPINFOHEADER), w, h, 1, 8, BI_RGB, 0, 0, 0, 256, 256};
    for (int i = 0; i < 256; ++i)
        grey.colors[i] = {BYTE(i), BYTE(i), BYTE(i), 0};
    void* greyBits = nullptr;
    CBitmap section8(::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&grey), DIB_RGB_COLORS,
                                        &greyBits, nullptr, 0));
    const int stride8 = (w + 3) & ~3;
    for (int r = 0; r < h; ++r) {
        std::memcpy(static_cast<std::uint8_t*>(greyBits) + static_cast<std::size_t>(h - 1 - r) * stride8,
                    buffer.data() + static_cast<std::size_t>(r) * w, static_cast<std::size_t>(w));
    }

    CClientDC screen(nullptr);
    BITMAPINFO rgb{};
    rgb.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* rgbBits = nullptr;
    CBitmap section24(::CreateDIBSection(screen.Get(), &rgb, DIB_RGB_COLORS, &rgbBits, nullptr, 0));
    ::GetDIBits(screen.Get(), section8.Get(), 0, static_cast<UINT>(h), rgbBits, &rgb, DIB_RGB_COLORS);

    CBitmap target(::CreateCompatibleBitmap(screen.Get(), cw, ch));
    {
        CMemDC from = CreateCompatibleMemDC(screen.Get());
        CMemDC to = CreateCompatibleMemDC(screen.Get());
        CSelectObject selectFrom(from.Get(), section24.Get());
        CSelectObject selectTo(to.Get(), target.Get());
        ::SetStretchBltMode(to.Get(), COLORONCOLOR);
        ::StretchBlt(to.Get(), 0, 0, cw, ch, from.Get(), 0, 0, w, h, SRCCOPY);
        ::GdiFlush();
    }
    return Now() - t0;
}

struct CFind {
    DWORD pid;
    int childId;  // a control only this window has
    HWND found;
};

BOOL CALLBACK Match(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<CFind*>(lp);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(h, &owner);
    if (owner == f->pid && ::GetDlgItem(h, f->childId)) {
        f->found = h;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(DWORD pid, int childId) {
    for (int i = 0; i < 400; ++i) {
        CFind f{pid, childId, nullptr};
        ::EnumWindows(&Match, reinterpret_cast<LPARAM>(&f));
        if (f.found)
            return f.found;
        Pump();
        ::Sleep(25);
    }
    return nullptr;
}

LRESULT CALLBACK ConsoleProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_COPYDATA)
        return TRUE;
    return ::DefWindowProcW(h, m, w, l);
}

double ShowRoundTrip(HWND panel, int w, int h) {
    auto record = wire::ReviewImage{w, h, 14, 16383, 8192}.Encode();
    COPYDATASTRUCT cds{wire::CDC_REVIEW_SHOW, static_cast<DWORD>(record.size()), record.data()};
    DWORD_PTR result = 0;
    const double t0 = Now();
    ::SendMessageTimeoutW(panel, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 60000, &result);
    return Now() - t0;
}

// Committed private memory of a process, summed over its address space (the platform's counters are not
// filled in for other processes under Wine). Pictures, sections and heaps are all private memory.
SIZE_T PrivateBytes(HANDLE process) {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION info{};
    for (const char* at = nullptr; ::VirtualQueryEx(process, at, &info, sizeof(info)) == sizeof(info);
         at = static_cast<const char*>(info.BaseAddress) + info.RegionSize) {
        if (info.State == MEM_COMMIT && info.Type == MEM_PRIVATE)
            total += info.RegionSize;
        if (info.RegionSize == 0)
            break;
    }
    return total;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int shows = argc >= 2 ? std::max(2, _wtoi(argv[1])) : 200;
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    const fs::path binDir = fs::path(self).parent_path();
    const DWORD pid = ::GetCurrentProcessId();

    wchar_t temp[MAX_PATH + 1];
    ::GetTempPathW(MAX_PATH + 1, temp);
    const fs::path folder = fs::path(temp) / (L"sidecar-review-bench-" + std::to_wstring(pid));
    fs::create_directories(folder);
    fs::copy_file(binDir / L"Sidecar.exe", folder / L"Sidecar.exe", fs::copy_options::overwrite_existing);
    std::ofstream(folder / L"Hostapp.ini") << "[SYSTEM]\r\nSidecarPosX=0\r\nSidecarPosY=0\r\n";

    const std::wstring consoleTitle = L"sidecar-review-bench-" + std::to_wstring(pid);
    WNDCLASSW wc{};
    wc.lpfnWndProc = &ConsoleProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"SidecarReviewBenchConsole";
    ::RegisterClassW(&wc);
    ::CreateWindowExW(0, wc.lpszClassName, consoleTitle.c_str(), WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                      nullptr, wc.hInstance, nullptr);

    const std::wstring exe = (folder / L"Sidecar.exe").wstring();
    std::wstring cmd = L"\"" + exe + L"\" " + consoleTitle;
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                          &pi)) {
        std::fprintf(stderr, "cannot start the panel\n");
        return 1;
    }
    CHandle<HANDLE, CKernelTraits> process(pi.hProcess);
    CHandle<HANDLE, CKernelTraits> thread(pi.hThread);
    HWND panel = WaitForWindow(pi.dwProcessId, IDC_TREE);
    HWND review = WaitForWindow(pi.dwProcessId, IDC_REVIEW_PATIENT_GROUP);
    if (!panel || !review) {
        std::fprintf(stderr, "the panel or its review dialog did not appear\n");
        return 1;
    }
    RECT client{};
    ::GetClientRect(::GetDlgItem(review, IDC_REVIEW_PICTURE), &client);
    const int cw = client.right;
    const int ch = client.bottom;
    std::printf("Sidecar review benchmark, %s: picture control %d x %d, medians\n", bench::Architecture(), cw,
                ch);

    const struct { int w, h, rounds; } sizes[] = {{1000, 800, 15}, {3072, 3072, 7}, {4288, 4288, 7}};
    CSharedPicture picture;
    for (const auto& s : sizes) {
        if (!picture.Share(s.w, s.h)) {
            std::fprintf(stderr, "cannot share a %d x %d picture\n", s.w, s.h);
            return 1;
        }
        ShowRoundTrip(panel, s.w, s.h);  // first show: page-ins and first allocations
        FloorOnce(picture.Bytes(), s.w, s.h, cw, ch);
        std::vector<double> trip, floor;
        for (int r = 0; r < s.rounds; ++r) {
            trip.push_back(ShowRoundTrip(panel, s.w, s.h));
            Pump();
            floor.push_back(FloorOnce(picture.Bytes(), s.w, s.h, cw, ch));
        }
        const double ratio = Median(trip) / Median(floor);
        const bool goal = s.w == 4288;
        std::printf("CDC_REVIEW_SHOW %4d x %4d  %8.1f ms   floor %8.1f ms   ratio %5.2f%s\n", s.w, s.h,
                    Median(trip), Median(floor), ratio,
                    goal ? (ratio <= 2.0 ? "   goal <= 2.0  met" : "   goal <= 2.0  NOT MET") : "");
    }

    // The limit: how long the console waits for the largest picture the panel shows, and for the first one
    // it refuses (answered without the mapping being read).
    for (const auto& [w, h] : {std::pair{8192, 8192}, std::pair{8192, 8193}}) {
        if (!picture.Share(w, h)) {
            std::fprintf(stderr, "cannot share a %d x %d picture\n", w, h);
            return 1;
        }
        std::vector<double> trip;
        for (int r = 0; r < 3; ++r) {
            trip.push_back(ShowRoundTrip(panel, w, h));
            Pump();
        }
        std::printf("CDC_REVIEW_SHOW %4d x %4d  %8.1f ms   (%s)\n", w, h, Median(trip),
                    h == 8192 ? "the largest picture shown" : "the first refused");
    }

    // Memory of the panel over repeated shows of the largest picture.
    const auto& big = sizes[2];
    const double pictureBytes = static_cast<double>(big.w) * big.h;
    ShowRoundTrip(panel, big.w, big.h);
    const SIZE_T first = PrivateBytes(process.Get());
    SIZE_T peak = first;
    for (int i = 1; i < shows; ++i) {
        ShowRoundTrip(panel, big.w, big.h);
        Pump();
        peak = std::max(peak, PrivateBytes(process.Get()));
    }
    const SIZE_T last = PrivateBytes(process.Get());
    const double growth = (static_cast<double>(last) - static_cast<double>(first)) / pictureBytes;
    std::printf(
        "panel private bytes after show 1: %.1f MB, after show %d: %.1f MB (highest between shows %.1f MB): "
        "growth "
        "%.2f x picture   goal <= 3.5  %s\n",
        first / 1048576.0, shows, last / 1048576.0, peak / 1048576.0, growth,
        first == 0      ? "unknown (no counters)"
        : growth <= 3.5 ? "met"
                        : "NOT MET");

    // GDI objects of our owners, counted in this process around the same dialog's own work.
    {
        CDlgReview dlg;
        if (dlg.Create(IDD_REVIEW)) {
            dlg.LoadReviewPicture(big.w, big.h, 14, 16383, 8192);
            const long level = GdiLiveObjects();
            const SIZE_T mine = PrivateBytes(::GetCurrentProcess());
            for (int i = 1; i < shows; ++i)
                dlg.LoadReviewPicture(big.w, big.h, 14, 16383, 8192);
            const long after = GdiLiveObjects();
            const double ownGrowth =
                (static_cast<double>(PrivateBytes(::GetCurrentProcess())) - static_cast<double>(mine)) /
                pictureBytes;
            std::printf(
                "live GDI objects of our owners after show 1: %ld, after show %d: %ld   %s; private bytes "
                "growth here %.2f x picture\n",
                level, shows, after, after == level ? "unchanged" : "CHANGED", ownGrowth);
        }
    }

    ::PostMessageW(panel, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.Get(), 5000) != WAIT_OBJECT_0)
        ::TerminateProcess(process.Get(), 1);
    std::error_code ec;
    fs::remove_all(folder, ec);
    return 0;
}
