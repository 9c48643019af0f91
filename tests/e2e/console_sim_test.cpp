// The console simulator against the real panel: console-sim.exe plays scripts (and typed lines) to a
// Sidecar.exe, prints the reports it gets, and stops a script at the first expect that fails. The panel runs
// under the harness's debugger, so its faults fail the case and its controls can be read afterwards.
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>

#include "harness/e2e_case.h"
#include "harness/pump.h"
#include "harness/unique_handle.h"

namespace sidecar::e2e {
namespace {

constexpr int kPatientName = 1072;
constexpr int kPatientId = 1073;
constexpr int kKvpValue = 1050;
constexpr int kMasValue = 1052;
constexpr int kTimeLabel = 1049;
constexpr int kTree = 1041;
constexpr DWORD kSimTimeoutMs = 60000;

std::string Narrow(const std::wstring& str) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, str.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1)
        WideCharToMultiByte(CP_UTF8, 0, str.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

bool UnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// How the simulator prints a record-less report: under Wine its value does not survive the trip.
std::string RecordLess(const std::string& strName, const std::string& strValue) {
    return UnderWine() ? "report " + strName + ": value lost in transit under Wine (cbData 0)"
                       : "report " + strName + " " + strValue;
}

std::string ExpectedRecordLess(const std::string& strName, const std::string& strValue) {
    return UnderWine() ? "expect ok (code only, the value was lost in transit under Wine): " + strName + " " +
                             strValue
                       : "expect ok: " + strName + " " + strValue;
}

struct SimResult {
    DWORD exitCode = 0;
    std::vector<std::string> out;  // standard output, line by line
    std::vector<std::string> err;  // standard error, line by line
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

// Reads a pipe to its end on a thread of its own, so a chatty child never blocks on a full pipe.
class CPipeReader {
  public:
    explicit CPipeReader(HANDLE hRead)
        : m_thread([this, hRead] {
              char buffer[4096];
              DWORD got = 0;
              while (ReadFile(hRead, buffer, sizeof buffer, &got, nullptr) && got > 0)
                  m_text.append(buffer, got);
          }) {}
    std::string Take() {
        m_thread.join();
        return m_text;
    }

  private:
    std::string m_text;
    std::thread m_thread;
};

class ConsoleSimTest : public CSidecarCase {
  protected:
    // A panel with a ceiling stand, its console window left to the simulator.
    void StartPanel() {
        StartOptions options;
        options.hostappIni = "[KOVESDK]\r\nKOVESDK=3\r\n";
        options.console = Console::Absent;
        ASSERT_TRUE(m_run.Start(options));
    }

    // Writes a file into the folder (the panel's program folder unless another is given).
    std::wstring PutFile(const std::wstring& strName, const std::string& bytes,
                         const std::wstring& strFolder = {}) {
        std::wstring strPath = (strFolder.empty() ? m_run.Folder() : strFolder) + strName;
        std::ofstream file(strPath.c_str(), std::ios::binary);
        file << bytes;
        EXPECT_TRUE(file.good()) << Narrow(strPath);
        return strPath;
    }

    // Runs console-sim.exe to its end with the arguments, standard input fed from `input`, in the panel's
    // program folder unless another is given.
    SimResult RunSim(const std::vector<std::wstring>& args, const std::string& input = {},
                     const std::wstring& strFolder = {}) {
        SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
        HANDLE hOutRead = nullptr, hOutWrite = nullptr, hErrRead = nullptr, hErrWrite = nullptr;
        HANDLE hInRead = nullptr, hInWrite = nullptr;
        EXPECT_TRUE(CreatePipe(&hOutRead, &hOutWrite, &sa, 0));
        EXPECT_TRUE(CreatePipe(&hErrRead, &hErrWrite, &sa, 0));
        EXPECT_TRUE(CreatePipe(&hInRead, &hInWrite, &sa, 0));
        CKernelHandle outRead(hOutRead), outWrite(hOutWrite), errRead(hErrRead), errWrite(hErrWrite);
        CKernelHandle inRead(hInRead), inWrite(hInWrite);
        SetHandleInformation(hOutRead, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(hErrRead, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(hInWrite, HANDLE_FLAG_INHERIT, 0);

        std::wstring strCommand =
            L"\"" + (m_strSimPath.empty() ? WindowsPath(CONSOLE_SIM_PATH) : m_strSimPath) + L"\"";
        for (const std::wstring& arg : args)
            strCommand += L" \"" + arg + L"\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = hInRead;
        si.hStdOutput = hOutWrite;
        si.hStdError = hErrWrite;
        PROCESS_INFORMATION pi{};
        SimResult result;
        if (!CreateProcessW(nullptr, strCommand.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                            (strFolder.empty() ? m_run.Folder() : strFolder).c_str(), &si, &pi)) {
            ADD_FAILURE() << "cannot start console-sim.exe (error " << GetLastError() << ")";
            result.exitCode = ~0u;
            return result;
        }
        CKernelHandle process(pi.hProcess), thread(pi.hThread);
        // Only the child holds the write ends now, so the readers see the end of the pipes when it ends.
        outWrite.Reset();
        errWrite.Reset();
        inRead.Reset();
        CPipeReader outReader(hOutRead), errReader(hErrRead);
        DWORD written = 0;
        if (!input.empty())
            ::WriteFile(hInWrite, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
        inWrite.Reset();

        // The test thread keeps handling its messages while it waits: a window of this process may be
        // sent to (the report sink), and a blocked sink would hold the panel and so the simulator.
        const bool ended = PumpUntil([&] { return WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0; },
                                     kSimTimeoutMs, pi.hProcess);
        if (!ended) {
            ADD_FAILURE() << "console-sim.exe did not end within " << kSimTimeoutMs / 1000 << " s";
            TerminateProcess(pi.hProcess, 99);  // the process this case started
            WaitForSingleObject(pi.hProcess, 5000);
        }
        GetExitCodeProcess(pi.hProcess, &result.exitCode);
        result.out = Lines(outReader.Take());
        result.err = Lines(errReader.Take());
        return result;
    }

    // Plays a script to this case's panel, quietly (no echo of the script's lines).
    SimResult Play(const std::string& script, const std::wstring& strName = L"session.txt") {
        const std::wstring strScript = PutFile(strName, script);
        return RunSim({L"--script", strScript, L"--quiet", L"--title", m_run.ConsoleTitle(),
                       L"--panel-process", std::to_wstring(m_run.ProcessId()), L"--place", L"0,780,800,200"});
    }

    // The simulator's own lines (reports, expects, notes), without the Wine note that opens a session.
    static std::vector<std::string> Session(const SimResult& result) {
        std::vector<std::string> lines;
        for (const std::string& line : result.out)
            if (line.rfind("sim: running under Wine", 0) != 0)
                lines.push_back(line);
        return lines;
    }

    static std::string Joined(const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        return text;
    }

    void PlayAScriptedSession();

    std::wstring m_strSimPath;  // another simulator program than this build's, as a Windows path
};

// A patient, an exam, presses, the stand and a review picture played to the panel: every report arrives,
// and what the panel shows is what the records said.
void ConsoleSimTest::PlayAScriptedSession() {
    StartPanel();
    // A small PGM for the review: the shared mapping is filled from it.
    std::string pgm = "P5\n4 3\n255\n";
    for (int i = 0; i < 12; ++i)
        pgm.push_back(static_cast<char>(i * 20));
    const std::wstring strPicture = PutFile(L"knee.pgm", pgm);

    const SimResult result = Play(
        "# a patient, an exam, presses and the stand\n"
        "patient id=P-7 name=\"Doe^Jane\" accession=A-1 study=\"Chest PA\"\n"
        "expect stand-command stop\n"
        "exposure kvp=81 ma=250 mas=12.5 time=2 mode=mas size=L unit=sec\n"
        "tree exam 10 \"Chest\"\n"
        "tree protocol 11 \"PA:R\"\n"
        "tree protocol 12 \"LAT:R\"\n"
        "tree select 12\n"
        "expect tree-selected 12\n"
        "press kvp-up\n"
        "expect button kvp-up\n"
        "exposure kvp=85\n"
        "tree done 12\n"
        "hold ceil-down\n"
        "expect stand-command down\n"
        "release ceil-down\n"
        "expect stand-command release\n"
        "review picture=\"" +
        Narrow(strPicture) +
        "\" depth=12 window=200 level=100\n"
        "expect stand-command stop\n"
        "expect nothing within=300\n");
    EXPECT_EQ(result.exitCode, 0u) << Joined(result.err);
    EXPECT_TRUE(result.err.empty()) << Joined(result.err);
    const std::vector<std::string> expected = {
        "report stand-command stop (1)",    "expect ok: stand-command stop (1)",
        "report tree-selected item=12",     "expect ok: tree-selected item=12",
        RecordLess("button", "kvp-up (2)"), ExpectedRecordLess("button", "kvp-up (2)"),
        "report stand-command down (4)",    "expect ok: stand-command down (4)",
        "report stand-command release (0)", "expect ok: stand-command release (0)",
        "report stand-command stop (1)",    "expect ok: stand-command stop (1)",
        "expect ok: nothing within 300 ms",
    };
    EXPECT_EQ(Session(result), expected) << Joined(result.out);

    // What the panel shows came from the simulator's records, with the fields a line did not name kept.
    EXPECT_EQ(m_run.Caption(kPatientId), L"P-7");
    EXPECT_EQ(m_run.Caption(kPatientName), L"Doe^Jane");
    EXPECT_EQ(m_run.Caption(kKvpValue), L"85");
    EXPECT_EQ(m_run.Caption(kMasValue), L"12.5");
    EXPECT_EQ(m_run.Caption(kTimeLabel), L"sec");
    const std::vector<TreeRow> rows = m_run.TreeRows(kTree);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[2].text, L"LAT:Y");
    EXPECT_EQ(rows[2].param, 12);
    // The review took the panel's place.
    EXPECT_FALSE(IsWindowVisible(m_run.Panel()));
}

TEST_F(ConsoleSimTest, AScriptedSessionDrivesThePanelAndExpectsEveryReport) {
    PlayAScriptedSession();
}

// A 32-bit console beside a 64-bit panel, which Windows supports for WM_COPYDATA: the records are the same
// bytes on both sides. Runs in the x64 suites where the machine runs 32-bit programs too, with
// SIDECAR_CONSOLE_SIM32 naming the 32-bit simulator (make test sets it).
TEST_F(ConsoleSimTest, A32BitConsoleDrivesThe64BitPanel) {
    if (sizeof(void*) != 8)
        GTEST_SKIP() << "for the x64 panel";
    wchar_t path[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"SIDECAR_CONSOLE_SIM32", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        GTEST_SKIP() << "with SIDECAR_CONSOLE_SIM32 naming the 32-bit simulator";
    m_strSimPath = WindowsPath(Narrow(path).c_str());
    PlayAScriptedSession();
}

TEST_F(ConsoleSimTest, TheFirstFailingExpectEndsTheScriptAtItsLine) {
    StartPanel();
    const SimResult wrongItem = Play(
        "tree exam 1 \"Hand\"\n"
        "tree protocol 2 \"PA:R\"\n"
        "tree select 2\n"
        "expect tree-selected 3\n"
        "exposure kvp=99\n",
        L"wrong.txt");
    EXPECT_EQ(wrongItem.exitCode, 1u);
    ASSERT_EQ(wrongItem.err.size(), 1u) << Joined(wrongItem.err);
    EXPECT_NE(wrongItem.err[0].find("wrong.txt:4: expected tree-selected item=3, got tree-selected item=2"),
              std::string::npos)
        << wrongItem.err[0];
    EXPECT_NE(m_run.Caption(kKvpValue), L"99") << "a line after the failure ran";

    const SimResult silence = Play("expect button within=300\n", L"silence.txt");
    EXPECT_EQ(silence.exitCode, 1u);
    ASSERT_EQ(silence.err.size(), 1u) << Joined(silence.err);
    EXPECT_NE(silence.err[0].find("silence.txt:1: expected button, but no report came within 300 ms"),
              std::string::npos)
        << silence.err[0];

    const SimResult chatter = Play("tree select 1\nexpect nothing\n", L"chatter.txt");
    EXPECT_EQ(chatter.exitCode, 1u);
    ASSERT_EQ(chatter.err.size(), 1u) << Joined(chatter.err);
    EXPECT_NE(chatter.err[0].find("chatter.txt:2: expected nothing, got tree-selected item=1"),
              std::string::npos)
        << chatter.err[0];

    const SimResult hidden = Play("press review-save\n", L"hidden.txt");
    EXPECT_EQ(hidden.exitCode, 1u);
    ASSERT_EQ(hidden.err.size(), 1u) << Joined(hidden.err);
    EXPECT_NE(hidden.err[0].find("hidden.txt:1: control review-save (1) is hidden"), std::string::npos)
        << hidden.err[0];
}

TEST_F(ConsoleSimTest, BadLinesAreAllListedAndNothingRuns) {
    StartPanel();
    const SimResult result = Play(
        "patient name=Nobody\n"
        "exposure kvp=1234567\n"
        "\n"
        "tree select\n"
        "lamps g=on\n",
        L"bad.txt");
    EXPECT_EQ(result.exitCode, 2u);
    ASSERT_EQ(result.err.size(), 2u) << Joined(result.err);
    EXPECT_NE(result.err[0].find("bad.txt:2: kvp"), std::string::npos) << result.err[0];
    EXPECT_NE(result.err[1].find("bad.txt:4: missing argument"), std::string::npos) << result.err[1];
    EXPECT_TRUE(result.out.empty()) << Joined(result.out);
    EXPECT_EQ(m_run.Caption(kPatientName), L"") << "a line of a bad script ran";
}

TEST_F(ConsoleSimTest, InteractiveLinesComeFromStandardInput) {
    StartPanel();
    const SimResult result =
        RunSim({L"--title", m_run.ConsoleTitle(), L"--panel-process", std::to_wstring(m_run.ProcessId())},
               "tree exam 5 \"Skull\"\r\n"
               "tree select 5\n"
               "expect tree-selected 5\n"
               "bogus line\n"
               "exposure kvp=66\n"
               "quit\n"
               "exposure kvp=77\n");
    EXPECT_EQ(result.exitCode, 0u) << Joined(result.err);
    EXPECT_EQ(Session(result),
              (std::vector<std::string>{"report tree-selected item=5", "expect ok: tree-selected item=5"}));
    ASSERT_GE(result.err.size(), 1u);
    EXPECT_NE(Joined(result.err).find("error: stdin:4: unknown command 'bogus'"), std::string::npos)
        << Joined(result.err);
    // A bad line does not end an interactive session; quit does.
    EXPECT_EQ(m_run.Caption(kKvpValue), L"66");
}

TEST_F(ConsoleSimTest, LaunchStartsSidecarWithTheTitleAsItsTailAndScreenshotsTheScreen) {
    // The simulator starts its own panel here, from a folder of its own.
    CProgramFolder folder;
    std::wstring strError;
    ASSERT_TRUE(folder.Create(WindowsPath(SIDECAR_EXE_PATH), std::string("[SYSTEM]\r\nSidecarPosX=0\r\n"), {},
                              strError))
        << Narrow(strError);
    const std::wstring strTitle = CSidecarRun::UniqueTitle() + L" two words";
    const std::wstring strShot = folder.Path() + L"shot.bmp";
    const std::wstring strScript = PutFile(L"launch.txt",
                                           "launch \"" + Narrow(folder.ExePath()) +
                                               "\"\n"
                                               "tree exam 40 \"Spine\"\n"
                                               "tree select 40\n"
                                               "expect tree-selected 40\n"
                                               "screenshot \"" +
                                               Narrow(strShot) +
                                               "\"\n"
                                               "close-panel\n",
                                           folder.Path());
    const SimResult result =
        RunSim({L"--script", strScript, L"--quiet", L"--title", strTitle}, {}, folder.Path());
    EXPECT_EQ(result.exitCode, 0u) << Joined(result.err) << Joined(result.out);
    const std::vector<std::string> lines = Session(result);
    ASSERT_EQ(lines.size(), 5u) << Joined(result.out);
    EXPECT_EQ(lines[0].rfind("sim: launched ", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("with the console title \"" + Narrow(strTitle) + "\""), std::string::npos)
        << lines[0];
    // The tree's report reached the simulator's window: the panel found it by the whole tail.
    EXPECT_EQ(lines[1], "report tree-selected item=40");
    EXPECT_EQ(lines[2], "expect ok: tree-selected item=40");
    EXPECT_EQ(lines[3].rfind("sim: screenshot ", 0), 0u) << lines[3];
    EXPECT_EQ(lines[4], "sim: the panel process ended with exit code 0");

    // The screenshot is a 24-bit BMP of the whole screen with the panel on it, not a black page.
    std::ifstream file(strShot.c_str(), std::ios::binary);
    const std::string bmp((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    std::int32_t width = 0, height = 0;
    std::memcpy(&width, bmp.data() + 18, 4);
    std::memcpy(&height, bmp.data() + 22, 4);
    EXPECT_EQ(width, GetSystemMetrics(SM_CXVIRTUALSCREEN));
    EXPECT_EQ(height, GetSystemMetrics(SM_CYVIRTUALSCREEN));
    const std::size_t rowBytes = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    ASSERT_EQ(bmp.size(), 54 + rowBytes * static_cast<std::size_t>(height));
    std::set<unsigned char> shades(bmp.begin() + 54, bmp.end());
    EXPECT_GT(shades.size(), 8u) << "the screen was captured as one flat colour";
}

}  // namespace
}  // namespace sidecar::e2e
