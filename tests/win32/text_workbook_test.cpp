// Loading the text table under Wine: without the spreadsheet driver a present workbook must produce exactly
// one error box carrying the database layer's text, and a missing workbook nothing at all.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/text_workbook.h"

namespace {

// Watches one thread for standard dialog boxes (message boxes), records the text of each and presses OK.
class CBoxWatcher {
  public:
    explicit CBoxWatcher(DWORD nThreadId) : m_nThreadId(nThreadId), m_thread([this] { Run(); }) {}
    ~CBoxWatcher() { Stop(); }
    CBoxWatcher(const CBoxWatcher&) = delete;
    CBoxWatcher& operator=(const CBoxWatcher&) = delete;

    void Stop() {
        m_bStop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    std::vector<std::wstring> Texts() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_texts;
    }

  private:
    static BOOL CALLBACK FindBox(HWND hwnd, LPARAM lParam) {
        wchar_t cls[16] = {};
        ::GetClassNameW(hwnd, cls, 16);
        if (std::wstring(cls) == L"#32770" && ::IsWindowVisible(hwnd)) {
            *reinterpret_cast<HWND*>(lParam) = hwnd;
            return FALSE;
        }
        return TRUE;
    }
    static BOOL CALLBACK CollectStatic(HWND hwnd, LPARAM lParam) {
        wchar_t cls[16] = {};
        ::GetClassNameW(hwnd, cls, 16);
        wchar_t text[2048] = {};
        if (_wcsicmp(cls, L"Static") == 0 && ::GetWindowTextW(hwnd, text, 2048) > 0) {
            *reinterpret_cast<std::wstring*>(lParam) += text;
        }
        return TRUE;
    }

    void Run() {
        while (!m_bStop) {
            HWND box = nullptr;
            ::EnumThreadWindows(m_nThreadId, FindBox, reinterpret_cast<LPARAM>(&box));
            if (!box) {
                ::Sleep(20);
                continue;
            }
            std::wstring text;
            ::EnumChildWindows(box, CollectStatic, reinterpret_cast<LPARAM>(&text));
            wchar_t title[64] = {};
            ::GetWindowTextW(box, title, 64);
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_texts.push_back(std::wstring(title) + L"|" + text);
            }
            ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                           reinterpret_cast<LPARAM>(::GetDlgItem(box, IDOK)));
            for (int i = 0; i < 250 && ::IsWindow(box); ++i)
                ::Sleep(20);
        }
    }

    DWORD m_nThreadId;
    std::atomic<bool> m_bStop{false};
    std::mutex m_mutex;
    std::vector<std::wstring> m_texts;
    std::thread m_thread;
};

// A temporary program folder (ending in a backslash), removed at the end.
class CTempFolder {
  public:
    CTempFolder() {
        wchar_t dir[MAX_PATH];
        ::GetTempPathW(MAX_PATH, dir);
        m_strDir = std::wstring(dir) + L"sidecar-texts-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
        ::CreateDirectoryW(m_strDir.c_str(), nullptr);
    }
    ~CTempFolder() {
        ::DeleteFileW((m_strDir + L"Sidecar.xls").c_str());
        ::RemoveDirectoryW(m_strDir.c_str());
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    void WriteWorkbook(const std::string& bytes) const {
        HANDLE h = ::CreateFileW((m_strDir + L"Sidecar.xls").c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        DWORD n = 0;
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
        ::CloseHandle(h);
    }
    const std::wstring& Dir() const { return m_strDir; }

  private:
    std::wstring m_strDir;
};

}  // namespace

TEST(TextWorkbook, MissingWorkbookIsSilentAndEmptiesTheTable) {
    CTempFolder folder;
    CTextMap map;
    map.StoreRow(L"154", L"stale");
    CBoxWatcher watcher(::GetCurrentThreadId());
    LoadTextWorkbook(folder.Dir(), map);
    ::Sleep(200);  // a box would have been seen by now
    watcher.Stop();
    EXPECT_TRUE(watcher.Texts().empty());
    EXPECT_TRUE(map.Empty());
}

TEST(TextWorkbook, PresentWorkbookWithoutTheDriverShowsOneBoxWithTheLayersText) {
    CTempFolder folder;
    folder.WriteWorkbook("not really a workbook");
    CTextMap map;
    map.StoreRow(L"154", L"stale");
    CBoxWatcher watcher(::GetCurrentThreadId());
    LoadTextWorkbook(folder.Dir(), map);
    ::Sleep(200);
    watcher.Stop();

    std::vector<std::wstring> texts = watcher.Texts();
    ASSERT_EQ(texts.size(), 1u);
    const std::wstring prefix = L"Sidecar|";
    ASSERT_EQ(texts[0].compare(0, prefix.size(), prefix), 0) << texts[0].c_str();
    EXPECT_GT(texts[0].size(), prefix.size()) << "the box carries no text";
    EXPECT_TRUE(map.Empty());
    std::printf("error box text: %ls\n", texts[0].c_str() + prefix.size());
}

TEST(TextWorkbook, UserLanguageIdIsTheLocalesLanguage) {
    EXPECT_EQ(GetUserLanguageId(), static_cast<int>(LANGIDFROMLCID(::GetUserDefaultLCID())));
}
