#include "simulator.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <mutex>
#include <thread>
#include <variant>
#include <vector>

#include "resources/resource.h"
#include "ui/gdi.h"

namespace consim {

// ---- Standard input -------------------------------------------------------------------------------------

// Reads standard input on a thread of its own, so that the UI thread keeps handling the panel's reports
// while nobody types; hands over whole lines and signals an event for each.
class CInputReader {
  public:
    CInputReader() : m_hEvent(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

    // The thread holds its own reference: it may still sit in ReadFile when the session ends.
    static void Start(const std::shared_ptr<CInputReader>& self) {
        std::thread([self] { self->ReadAll(); }).detach();
    }

    HANDLE Event() const { return m_hEvent.Get(); }

    // The next whole line, if one is there.
    std::optional<std::string> Next() {
        std::lock_guard lock(m_mutex);
        if (m_lines.empty())
            return std::nullopt;
        std::string line = std::move(m_lines.front());
        m_lines.pop_front();
        return line;
    }
    bool Ended() {
        std::lock_guard lock(m_mutex);
        return m_bEnded && m_lines.empty();
    }

  private:
    void ReadAll() {
        HANDLE hInput = ::GetStdHandle(STD_INPUT_HANDLE);
        std::string partial;
        char buffer[4096];
        DWORD got = 0;
        while (hInput && hInput != INVALID_HANDLE_VALUE &&
               ::ReadFile(hInput, buffer, sizeof buffer, &got, nullptr) && got > 0) {
            partial.append(buffer, got);
            std::size_t end;
            while ((end = partial.find('\n')) != std::string::npos) {
                std::string line = partial.substr(0, end);
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                partial.erase(0, end + 1);
                Push(std::move(line));
            }
        }
        std::lock_guard lock(m_mutex);
        if (!partial.empty())
            m_lines.push_back(partial);
        m_bEnded = true;
        ::SetEvent(m_hEvent.Get());
    }

    void Push(std::string line) {
        std::lock_guard lock(m_mutex);
        m_lines.push_back(std::move(line));
        ::SetEvent(m_hEvent.Get());
    }

    CKernelHandle m_hEvent;
    std::mutex m_mutex;
    std::deque<std::string> m_lines;
    bool m_bEnded = false;
};

// ---- Helpers --------------------------------------------------------------------------------------------

namespace {

std::wstring Widen(const std::string& text) {
    return WideFromUtf8(text);
}

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

std::wstring FullPath(const std::wstring& path) {
    wchar_t full[MAX_PATH * 2] = {};
    const DWORD n = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
    return n > 0 && n < std::size(full) ? std::wstring(full, n) : path;
}

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using CFile = std::unique_ptr<FILE, FileCloser>;

bool ReadWholeFile(const std::wstring& path, std::vector<std::uint8_t>& bytes) {
    CFile file(::_wfopen(path.c_str(), L"rb"));
    if (!file)
        return false;
    std::uint8_t buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        bytes.insert(bytes.end(), buffer, buffer + got);
    return !std::ferror(file.get());
}

bool WriteWholeFile(const std::wstring& path, const std::vector<std::uint8_t>& bytes) {
    CFile file(::_wfopen(path.c_str(), L"wb"));
    return file && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
           std::fflush(file.get()) == 0;
}

// Wine lets programs find out that it is Wine through this export of its ntdll.
bool RunningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::string Narrow(const std::wstring& text) {
    return Utf8FromWide(text);
}

std::wstring WindowTitle(HWND hwnd) {
    wchar_t title[260] = {};
    ::GetWindowTextW(hwnd, title, 260);
    return title;
}

}  // namespace

// ---- Options --------------------------------------------------------------------------------------------

std::string UsageText() {
    return "usage: console-sim [--title TEXT] [--script FILE | FILE] [--interactive] [--quiet] [--strict]\n"
           "                   [--keep-panel] [--panel-process PID] [--place X,Y,WIDTH,HEIGHT]\n"
           "  --title TEXT    the console window's title, which Sidecar looks for (default kiln-ACQS)\n"
           "  --script FILE   play the script; then end, or read standard input with --interactive\n"
           "  --interactive   read commands from standard input (the default without a script)\n"
           "  --quiet         do not echo the script's lines\n"
           "  --strict        compare report values even where Wine loses them (cbData 0)\n"
           "  --keep-panel    leave a panel started by `launch` running at the end\n"
           "  --panel-process PID  talk to the panel of that process only (when several run)\n"
           "  --place ...     where the console window goes, in screen pixels\n";
}

std::optional<Options> ParseOptions(int argc, wchar_t** argv, std::string& error) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        auto value = [&]() -> std::optional<std::wstring> {
            if (i + 1 >= argc) {
                error = Narrow(arg) + " needs a value";
                return std::nullopt;
            }
            return std::wstring(argv[++i]);
        };
        if (arg == L"--title") {
            auto v = value();
            if (!v)
                return std::nullopt;
            if (v->empty() || v->size() > 259) {
                error = "--title must be 1 to 259 characters (Sidecar compares at most 259)";
                return std::nullopt;
            }
            options.title = *v;
        } else if (arg == L"--script") {
            auto v = value();
            if (!v)
                return std::nullopt;
            options.scriptPath = *v;
        } else if (arg == L"--interactive") {
            options.interactive = true;
        } else if (arg == L"--quiet") {
            options.quiet = true;
        } else if (arg == L"--strict") {
            options.strict = true;
        } else if (arg == L"--keep-panel") {
            options.keepPanel = true;
        } else if (arg == L"--panel-process") {
            auto v = value();
            if (!v)
                return std::nullopt;
            wchar_t* end = nullptr;
            const unsigned long pid = std::wcstoul(v->c_str(), &end, 10);
            if (v->empty() || *end != L'\0' || pid == 0) {
                error = "--panel-process takes a process id";
                return std::nullopt;
            }
            options.panelProcess = static_cast<DWORD>(pid);
        } else if (arg == L"--place") {
            auto v = value();
            if (!v)
                return std::nullopt;
            int x, y, cx, cy;
            wchar_t tail;
            if (std::swscanf(v->c_str(), L"%d,%d,%d,%d%lc", &x, &y, &cx, &cy, &tail) != 4 || cx <= 0 ||
                cy <= 0) {
                error = "--place takes X,Y,WIDTH,HEIGHT in pixels, e.g. 0,770,1024,250";
                return std::nullopt;
            }
            options.place = RECT{x, y, x + cx, y + cy};
        } else if (arg == L"--help" || arg == L"-h") {
            error.clear();
            return std::nullopt;
        } else if (!arg.empty() && arg[0] != L'-' && options.scriptPath.empty()) {
            options.scriptPath = arg;
        } else {
            error = "unknown option " + Narrow(arg);
            return std::nullopt;
        }
    }
    if (options.scriptPath.empty())
        options.interactive = true;
    return options;
}

// ---- The session ----------------------------------------------------------------------------------------

CSimulator::CSimulator(Options options) : m_options(std::move(options)) {
    m_bValuesMayBeLost = RunningUnderWine() && !m_options.strict;
}

CSimulator::~CSimulator() = default;

void CSimulator::Print(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
    m_window.AppendLog(Widen(line));
}

CSimulator::Outcome CSimulator::Fail(const std::string& message) {
    const std::string line = "error: " + (m_strWhere.empty() ? std::string() : m_strWhere + ": ") + message;
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    m_window.AppendLog(Widen(line));
    return Outcome::Failed;
}

int CSimulator::Run() {
    // The script is read and checked before anything starts, so a bad line never runs half a session.
    Script script;
    if (!m_options.scriptPath.empty()) {
        std::vector<std::uint8_t> bytes;
        if (!ReadWholeFile(m_options.scriptPath, bytes)) {
            Fail("cannot read the script " + Narrow(m_options.scriptPath));
            return 2;
        }
        script = ParseScript(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
        if (!script.errors.empty()) {
            const std::string name = Narrow(m_options.scriptPath);
            for (const ScriptError& e : script.errors) {
                m_strWhere = name + ":" + std::to_string(e.number);
                Fail(e.message);
            }
            return 2;
        }
    }

    // The window's title may already be taken: a second console would split the panel's reports.
    if (::FindWindowW(nullptr, m_options.title.c_str()))
        Print("sim: note: another window is already titled \"" + Narrow(m_options.title) +
              "\"; the panel reports to the first one it finds");
    if (!m_window.Create(m_options.title, m_options.place ? &*m_options.place : nullptr,
                         [this](const CopyData& report) { OnReport(report); })) {
        Fail("cannot create the console window");
        return 2;
    }
    if (RunningUnderWine() && !m_options.strict)
        Print(
            "sim: running under Wine: a report without a record arrives with cbData 0, so its value is lost; "
            "expect then compares the report's code only");

    int code = 0;
    bool quit = false;
    const std::string name = Narrow(m_options.scriptPath);
    for (const ScriptLine& line : script.lines) {
        m_strWhere = name + ":" + std::to_string(line.number);
        if (!m_options.quiet)
            Print("> " + line.text);
        const Outcome outcome = Execute(line.command);
        if (outcome == Outcome::Failed) {
            code = 1;
            break;
        }
        if (outcome == Outcome::Quit || m_window.CloseRequested()) {
            quit = true;
            break;
        }
    }
    if (code == 0 && !quit && m_options.interactive)
        code = RunInteractive();
    ClosePanelAtEnd();
    return code;
}

int CSimulator::RunInteractive() {
    m_input = std::make_shared<CInputReader>();
    CInputReader::Start(m_input);
    const std::string banner =
        "console-sim: the console window \"" + Narrow(m_options.title) +
        "\" is open; type commands (`help` lists them), `quit` or end of input to stop\n";
    std::fwrite(banner.data(), 1, banner.size(), stderr);
    std::fflush(stderr);
    int number = 0;
    while (true) {
        std::optional<std::string> line;
        // A panel launched here that ends while nobody types ends the session with it.
        const bool panelWasUp = PanelProcessRuns();
        PumpUntil(
            [&] {
                return (line = m_input->Next()).has_value() || m_input->Ended() ||
                       (panelWasUp && m_bProcessEndSeen);
            },
            INFINITE);
        if (!line || m_window.CloseRequested())
            return 0;
        m_strWhere = "stdin:" + std::to_string(++number);
        ParsedLine parsed = ParseLine(*line);
        if (!parsed.error.empty()) {
            Fail(parsed.error);
            continue;
        }
        if (parsed.command && Execute(*parsed.command) == Outcome::Quit)
            return 0;
    }
}

CSimulator::Outcome CSimulator::Execute(const Command& command) {
    return std::visit([this](const auto& c) { return Do(c); }, command);
}

// ---- Console messages -----------------------------------------------------------------------------------

CSimulator::Outcome CSimulator::Send(const CopyData& message) {
    HWND hPanel = FindPanel();
    if (!hPanel)
        return Fail(
            "no panel: no top-level window titled \"Sidecar\" holds the protocol tree (start one with "
            "`launch`)");
    COPYDATASTRUCT cds{};
    cds.dwData = message.code;
    cds.cbData = message.cbData;
    cds.lpData = message.data ? const_cast<std::uint8_t*>(message.data->data()) : nullptr;
    // The panel may report while it handles the message (a ceiling stand stops on every view switch): those
    // reports reach the console window while this send waits.
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(hPanel, WM_COPYDATA, reinterpret_cast<WPARAM>(m_window.m_hWnd),
                               reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, kSendTimeoutMs, &result))
        return Fail("the panel did not take the message within " + std::to_string(kSendTimeoutMs / 1000) +
                    " s");
    return Outcome::Done;
}

CSimulator::Outcome CSimulator::Do(const PatientCommand& c) {
    return Send(m_state.Patient(c));
}
CSimulator::Outcome CSimulator::Do(const ExposureCommand& c) {
    return Send(m_state.Exposure(c));
}
CSimulator::Outcome CSimulator::Do(const TreeLine& c) {
    return Send(m_state.Tree(c));
}
CSimulator::Outcome CSimulator::Do(const LampsCommand& c) {
    return Send(m_state.Lamps(c));
}
CSimulator::Outcome CSimulator::Do(const ReviewCloseCommand&) {
    return Send(m_state.ReviewClose());
}
CSimulator::Outcome CSimulator::Do(const StandLine& c) {
    return Send(m_state.Stand(c));
}
CSimulator::Outcome CSimulator::Do(const SdkTextCommand& c) {
    return Send(m_state.SdkText(c));
}
CSimulator::Outcome CSimulator::Do(const SdkValuesCommand& c) {
    return Send(m_state.SdkValues(c));
}
CSimulator::Outcome CSimulator::Do(const RawCommand& c) {
    return Send(c.message);
}

CSimulator::Outcome CSimulator::Do(const ReviewCommand& c) {
    const GreyPicture* picture = LoadPicture(c);
    if (!picture)
        return Outcome::Failed;
    if (!PutPicture(*picture))
        return Outcome::Failed;
    return Send(m_state.Review(c, picture->width, picture->height));
}

const GreyPicture* CSimulator::LoadPicture(const ReviewCommand& c) {
    if (c.file.empty()) {
        const std::pair<int, int> size{c.width.value_or(1000), c.height.value_or(1200)};
        auto found = m_generated.find(size);
        if (found == m_generated.end())
            found = m_generated.emplace(size, GenerateTestPicture(size.first, size.second)).first;
        return &found->second;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(c.file, bytes)) {
        Fail("cannot read the picture " + Narrow(c.file));
        return nullptr;
    }
    std::string error;
    if (!ParsePgm(bytes, m_filePicture, error)) {
        Fail(Narrow(c.file) + ": " + error);
        return nullptr;
    }
    return &m_filePicture;
}

bool CSimulator::PutPicture(const GreyPicture& picture) {
    const std::size_t needed = std::max<std::size_t>(1, picture.pixels.size());
    if (!m_view || m_nMappingSize < needed) {
        // A mapping's size is fixed when it is made: a larger picture needs a new one. The panel opens the
        // mapping only while it handles the review message, so nobody else holds the old one now.
        m_view.Reset();
        m_mapping.Reset();
        HANDLE hMapping = ::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                               static_cast<DWORD>(needed), L"Sidecar");
        const DWORD error = ::GetLastError();
        if (!hMapping) {
            Fail("cannot create the shared mapping \"Sidecar\" (error " + std::to_string(error) + ")");
            return false;
        }
        m_mapping.Attach(hMapping);
        m_view.Attach(::MapViewOfFile(hMapping, FILE_MAP_WRITE, 0, 0, 0));
        if (!m_view) {
            Fail("cannot map the shared mapping \"Sidecar\" (error " + std::to_string(::GetLastError()) +
                 ")");
            return false;
        }
        MEMORY_BASIC_INFORMATION info{};
        m_nMappingSize = ::VirtualQuery(m_view.Get(), &info, sizeof info) ? info.RegionSize : needed;
        if (error == ERROR_ALREADY_EXISTS && m_nMappingSize < needed) {
            Fail("another program holds a smaller mapping named \"Sidecar\" (" +
                 std::to_string(m_nMappingSize) + " bytes; the picture needs " + std::to_string(needed) +
                 ")");
            m_view.Reset();
            m_mapping.Reset();
            m_nMappingSize = 0;
            return false;
        }
    }
    std::memcpy(m_view.Get(), picture.pixels.data(), picture.pixels.size());
    return true;
}

// ---- Reports --------------------------------------------------------------------------------------------

void CSimulator::OnReport(const CopyData& report) {
    DecodedReport decoded = DecodeReport(report, m_bValuesMayBeLost);
    Print("report " + decoded.text);
    m_pending.push_back(std::move(decoded));
}

CSimulator::Outcome CSimulator::Do(const ExpectCommand& c) {
    if (c.kind == ReportKind::Nothing) {
        PumpUntil([&] { return !m_pending.empty(); }, c.withinMs);
        if (!m_pending.empty()) {
            DecodedReport got = std::move(m_pending.front());
            m_pending.pop_front();
            return Fail("expected nothing, got " + got.text);
        }
        Print("expect ok: nothing within " + std::to_string(c.withinMs) + " ms");
        return Outcome::Done;
    }
    if (!PumpUntil([&] { return !m_pending.empty(); }, c.withinMs))
        return Fail("expected " + DescribeExpect(c) + ", but no report came within " +
                    std::to_string(c.withinMs) + " ms");
    DecodedReport got = std::move(m_pending.front());
    m_pending.pop_front();
    switch (MatchReport(c, got)) {
        case Match::Yes:
            Print("expect ok: " + got.text);
            return Outcome::Done;
        case Match::CodeOnly:
            Print("expect ok (code only, the value was lost in transit under Wine): " + DescribeExpect(c));
            return Outcome::Done;
        case Match::No:
            break;
    }
    return Fail("expected " + DescribeExpect(c) + ", got " + got.text);
}

CSimulator::Outcome CSimulator::Do(const WaitCommand& c) {
    PumpUntil([] { return false; }, c.ms);
    return Outcome::Done;
}

// ---- The panel process ----------------------------------------------------------------------------------

namespace {

struct PanelSearch {
    DWORD pid;  // 0: any process
    HWND found = nullptr;
};

BOOL CALLBACK FindPanelWindow(HWND hwnd, LPARAM lParam) {
    auto* s = reinterpret_cast<PanelSearch*>(lParam);
    if (WindowTitle(hwnd) != L"Sidecar" || !::GetDlgItem(hwnd, IDC_TREE))
        return TRUE;
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hwnd, &pid);
    if (s->pid && pid != s->pid)
        return TRUE;
    s->found = hwnd;
    return FALSE;
}

struct ControlSearch {
    DWORD pid;
    int id;
    HWND visible = nullptr;
    HWND hidden = nullptr;
};

BOOL CALLBACK FindControlIn(HWND child, LPARAM lParam) {
    auto* s = reinterpret_cast<ControlSearch*>(lParam);
    if (::GetDlgCtrlID(child) != s->id)
        return TRUE;
    if (::IsWindowVisible(child)) {
        s->visible = child;
        return FALSE;
    }
    if (!s->hidden)
        s->hidden = child;
    return TRUE;
}

BOOL CALLBACK FindControl(HWND top, LPARAM lParam) {
    auto* s = reinterpret_cast<ControlSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(top, &owner);
    if (owner != s->pid)
        return TRUE;
    ::EnumChildWindows(top, FindControlIn, lParam);
    return s->visible ? FALSE : TRUE;
}

}  // namespace

HWND CSimulator::FindPanel() const {
    PanelSearch search{m_hProcess && !m_bProcessEndSeen ? m_nProcessId : m_options.panelProcess};
    ::EnumWindows(FindPanelWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool CSimulator::PanelProcessRuns() const {
    return m_hProcess && ::WaitForSingleObject(m_hProcess.Get(), 0) == WAIT_TIMEOUT;
}

void CSimulator::NoteProcessEnd() {
    if (!m_hProcess || m_bProcessEndSeen || PanelProcessRuns())
        return;
    m_bProcessEndSeen = true;
    DWORD code = 0;
    ::GetExitCodeProcess(m_hProcess.Get(), &code);
    Print("sim: the panel process ended with exit code " + std::to_string(code));
}

CSimulator::Outcome CSimulator::Do(const LaunchCommand& c) {
    if (PanelProcessRuns())
        return Fail("the panel launched earlier still runs (close it with `close-panel` first)");
    const std::wstring path = FullPath(c.path.empty() ? ProgramFolder() + L"Sidecar.exe" : c.path);
    if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return Fail("no program at " + Narrow(path));
    const std::wstring folder = path.substr(0, path.find_last_of(L"\\/") + 1);
    // The whole command tail is the console's title, verbatim: no quotes around it.
    std::wstring commandLine = L"\"" + path + L"\" " + m_options.title;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.c_str(), &si, &pi))
        return Fail("cannot start " + Narrow(path) + " (error " + std::to_string(::GetLastError()) + ")");
    ::CloseHandle(pi.hThread);
    m_hProcess.Attach(pi.hProcess);
    m_nProcessId = pi.dwProcessId;
    m_bProcessEndSeen = false;
    HWND hPanel = nullptr;
    PumpUntil(
        [&] {
            return ((hPanel = FindPanel()) != nullptr && ::IsWindowVisible(hPanel)) || !PanelProcessRuns();
        },
        kLaunchTimeoutMs);
    if (!hPanel) {
        if (!PanelProcessRuns())
            return Fail("Sidecar ended before its panel appeared");
        return Fail("the panel did not appear within " + std::to_string(kLaunchTimeoutMs / 1000) +
                    " s (is a message box waiting?)");
    }
    Print("sim: launched " + Narrow(path) + " (process " + std::to_string(m_nProcessId) +
          ") with the console title \"" + Narrow(m_options.title) + "\"; its panel is up");
    return Outcome::Done;
}

CSimulator::Outcome CSimulator::Do(const ClosePanelCommand&) {
    HWND hPanel = FindPanel();
    if (!hPanel)
        return Fail("no panel to close");
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hPanel, &pid);
    ::PostMessageW(hPanel, WM_CLOSE, 0, 0);
    const bool launched = m_hProcess && pid == m_nProcessId;
    const bool gone =
        PumpUntil([&] { return launched ? !PanelProcessRuns() : !::IsWindow(hPanel); }, kCloseTimeoutMs);
    if (!gone)
        return Fail("the panel did not close within " + std::to_string(kCloseTimeoutMs / 1000) + " s");
    if (launched) {
        NoteProcessEnd();
    } else {
        Print("sim: the panel closed");
    }
    return Outcome::Done;
}

void CSimulator::ClosePanelAtEnd() {
    if (!PanelProcessRuns() || m_options.keepPanel)
        return;
    if (HWND hPanel = FindPanel())
        ::PostMessageW(hPanel, WM_CLOSE, 0, 0);
    if (!PumpUntil([&] { return !PanelProcessRuns(); }, kCloseTimeoutMs)) {
        // A process this session started, ended by its own handle.
        ::TerminateProcess(m_hProcess.Get(), 1);
        ::WaitForSingleObject(m_hProcess.Get(), kCloseTimeoutMs);
        Print("sim: the panel did not close within " + std::to_string(kCloseTimeoutMs / 1000) +
              " s and was ended");
        m_bProcessEndSeen = true;
        return;
    }
    NoteProcessEnd();
}

// ---- The operator ---------------------------------------------------------------------------------------

CSimulator::Outcome CSimulator::Do(const PressCommand& c) {
    HWND hPanel = FindPanel();
    if (!hPanel)
        return Fail("no panel: nothing to press");
    DWORD pid = 0;
    ::GetWindowThreadProcessId(hPanel, &pid);

    // The control may sit in any top-level window of the panel's process: the panel, the review dialog, a
    // stand panel inside the panel, or a message box. A visible one wins; hidden ones only explain a failure.
    ControlSearch search{pid, c.controlId};
    ::EnumWindows(FindControl, reinterpret_cast<LPARAM>(&search));

    const std::string what =
        "control " + c.controlName +
        (c.controlName == std::to_string(c.controlId) ? "" : " (" + std::to_string(c.controlId) + ")");
    if (!search.visible)
        return Fail(what + (search.hidden ? " is hidden: a click would not reach it"
                                          : " is in no window of the panel"));
    if (c.action != PressCommand::Action::Up &&
        (!::IsWindowEnabled(search.visible) || !::IsWindowEnabled(::GetAncestor(search.visible, GA_ROOT))))
        return Fail(what + " is disabled: a click would not reach it");

    // Posted like the mouse's own messages, so press-and-hold handlers of the panel see them too.
    RECT rc{};
    ::GetClientRect(search.visible, &rc);
    const LPARAM point = MAKELPARAM(rc.right / 2, rc.bottom / 2);
    if (c.action != PressCommand::Action::Up)
        ::PostMessageW(search.visible, WM_LBUTTONDOWN, MK_LBUTTON, point);
    if (c.action != PressCommand::Action::Down)
        ::PostMessageW(search.visible, WM_LBUTTONUP, 0, point);
    PumpUntil([] { return false; }, kPressSettleMs);
    return Outcome::Done;
}

// ---- Screenshots and the rest ---------------------------------------------------------------------------

CSimulator::Outcome CSimulator::Do(const ScreenshotCommand& c) {
    PumpUntil([] { return false; }, kScreenshotSettleMs);  // let the windows finish painting
    const int x = ::GetSystemMetrics(SM_XVIRTUALSCREEN), y = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    const int cx = ::GetSystemMetrics(SM_CXVIRTUALSCREEN), cy = ::GetSystemMetrics(SM_CYVIRTUALSCREEN);
    if (cx <= 0 || cy <= 0)
        return Fail("the screen has no size");
    CClientDC screen(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = cx;
    bi.bmiHeader.biHeight = cy;  // bottom-up, as the BMP file stores it
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    CBitmap dib(::CreateDIBSection(screen.Get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    CMemDC mem = CreateCompatibleMemDC(screen.Get());
    if (!dib || !mem || !bits)
        return Fail("cannot make a bitmap of the screen");
    {
        CSelectObject select(mem.Get(), dib.Get());
        if (!::BitBlt(mem.Get(), 0, 0, cx, cy, screen.Get(), x, y, SRCCOPY | CAPTUREBLT))
            return Fail("cannot copy the screen (error " + std::to_string(::GetLastError()) + ")");
    }
    ::GdiFlush();
    const std::span<const std::uint8_t> rows(static_cast<const std::uint8_t*>(bits), Bmp24RowBytes(cx) * cy);
    if (!WriteWholeFile(c.path, EncodeBmp24(cx, cy, rows)))
        return Fail("cannot write " + Narrow(c.path));
    Print("sim: screenshot " + Narrow(c.path) + " (" + std::to_string(cx) + " x " + std::to_string(cy) + ")");
    return Outcome::Done;
}

CSimulator::Outcome CSimulator::Do(const EchoCommand& c) {
    Print("* " + Narrow(c.text));
    return Outcome::Done;
}

CSimulator::Outcome CSimulator::Do(const HelpCommand&) {
    std::string text = HelpText();
    std::size_t start = 0, end;
    while ((end = text.find('\n', start)) != std::string::npos) {
        Print(text.substr(start, end - start));
        start = end + 1;
    }
    return Outcome::Done;
}

CSimulator::Outcome CSimulator::Do(const QuitCommand&) {
    return Outcome::Quit;
}

// ---- Waiting --------------------------------------------------------------------------------------------

bool CSimulator::PumpUntil(const std::function<bool()>& done, DWORD ms) {
    const ULONGLONG start = ::GetTickCount64();
    while (true) {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        NoteProcessEnd();
        if (done())
            return true;
        if (m_window.CloseRequested())
            return false;
        const ULONGLONG elapsed = ::GetTickCount64() - start;
        if (ms != INFINITE && elapsed >= ms)
            return false;
        HANDLE handles[2];
        DWORD count = 0;
        if (m_input)
            handles[count++] = m_input->Event();
        if (m_hProcess && !m_bProcessEndSeen)
            handles[count++] = m_hProcess.Get();
        // Some conditions change without a message or handle to wake this thread (a window appearing in
        // another process), so it looks again at least every kPollMs.
        const DWORD wait =
            ms == INFINITE ? kPollMs : static_cast<DWORD>(std::min<ULONGLONG>(ms - elapsed, kPollMs));
        ::MsgWaitForMultipleObjectsEx(count, handles, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

}  // namespace consim
