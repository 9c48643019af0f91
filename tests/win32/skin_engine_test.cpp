// The skin engine under Wine: the built-in engine's window property (read by other processes to see each
// window's look), and the wrapper's choice between the external component and the built-in engine.
#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "app/skin_engine.h"
#include "skin/builtin_skin.h"

namespace {

std::wstring UniqueName(const wchar_t* tag) {
    return std::wstring(L"sidecar_test_") + tag + L"_" + std::to_wstring(::GetCurrentProcessId());
}

// A skin file in the temporary folder, removed at the end.
class CTempFile {
  public:
    explicit CTempFile(const std::string& bytes) {
        wchar_t dir[MAX_PATH];
        ::GetTempPathW(MAX_PATH, dir);
        m_strPath = std::wstring(dir) + UniqueName(L"skin") + L"_" + std::to_wstring(++s_nCounter) + L".skf";
        HANDLE h = ::CreateFileW(m_strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n = 0;
        ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
        ::CloseHandle(h);
    }
    ~CTempFile() { ::DeleteFileW(m_strPath.c_str()); }
    CTempFile(const CTempFile&) = delete;
    CTempFile& operator=(const CTempFile&) = delete;
    const std::wstring& Path() const { return m_strPath; }

  private:
    static inline int s_nCounter = 0;
    std::wstring m_strPath;
};

const std::string kSkin = "\xEF\xBB\xBFSidecarSkin 1\r\n[sidecar_pBtn_aec]\r\nface = #336699\r\n";

// A window of this thread, destroyed at the end unless the test destroys it first.
class CTestWindow {
  public:
    CTestWindow()
        : m_hWnd(::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 20, 20, nullptr, nullptr, nullptr,
                                   nullptr)) {}
    ~CTestWindow() {
        if (::IsWindow(m_hWnd))
            ::DestroyWindow(m_hWnd);
    }
    CTestWindow(const CTestWindow&) = delete;
    CTestWindow& operator=(const CTestWindow&) = delete;
    HWND Get() const { return m_hWnd; }

  private:
    HWND m_hWnd;
};

// The element as another process would read it: the property's atom, by name.
std::wstring PropertyElement(HWND hwnd) {
    auto atom = static_cast<ATOM>(reinterpret_cast<UINT_PTR>(::GetPropW(hwnd, L"SidecarSkin")));
    if (!atom)
        return L"";
    wchar_t name[256] = {};
    UINT n = ::GlobalGetAtomNameW(atom, name, 256);
    return std::wstring(name, n);
}

bool AtomExists(const std::wstring& name) {
    return ::GlobalFindAtomW(name.c_str()) != 0;
}

}  // namespace

TEST(BuiltinSkin, RecordsEachWindowsElementAndReplacesIt) {
    CTempFile file(kSkin);
    const std::wstring first = UniqueName(L"first");
    const std::wstring second = UniqueName(L"second");  // no section for it: recorded all the same
    {
        CBuiltinSkin skin;
        ASSERT_TRUE(skin.Load(file.Path()));
        ASSERT_TRUE(skin.Active());
        ASSERT_NE(skin.File()->Find("sidecar_pBtn_aec"), nullptr);

        CTestWindow window;
        CTestWindow other;
        skin.Apply(window.Get(), first.c_str());
        EXPECT_EQ(PropertyElement(window.Get()), first);
        EXPECT_EQ(GetSkinElement(window.Get()), first);

        skin.Apply(window.Get(), second.c_str());
        skin.Apply(other.Get(), first.c_str());
        EXPECT_EQ(PropertyElement(window.Get()), second);
        EXPECT_EQ(PropertyElement(other.Get()), first);
        ::DestroyWindow(window.Get());
        EXPECT_EQ(PropertyElement(other.Get()), first);
    }
    // The engine held one reference per name for its life; its end releases them all.
    EXPECT_FALSE(AtomExists(first)) << "a reference outlived the engine";
    EXPECT_FALSE(AtomExists(second)) << "a reference outlived the engine";
}

TEST(BuiltinSkin, ApplyingTheSameElementAgainTakesNoNewReference) {
    CTempFile file(kSkin);
    const std::wstring element = UniqueName(L"lamp");
    ASSERT_FALSE(AtomExists(element));
    {
        CBuiltinSkin skin;
        ASSERT_TRUE(skin.Load(file.Path()));
        CTestWindow window;
        CTestWindow other;
        for (int i = 0; i < 1000; ++i) {
            skin.Apply(window.Get(), element.c_str());
            skin.Apply(other.Get(), i % 2 ? element.c_str() : L"sidecar_pBtn_aec");
        }
        std::wstring upper = element;
        for (wchar_t& c : upper)
            c = static_cast<wchar_t>(::towupper(c));
        skin.Apply(window.Get(), upper.c_str());  // atoms ignore case: the same atom
        EXPECT_EQ(PropertyElement(window.Get()), element);

        // One reference, however often the name was given: deleting it once removes the atom.
        ATOM atom = ::GlobalFindAtomW(element.c_str());
        ASSERT_NE(atom, 0);
        ::GlobalDeleteAtom(atom);
        EXPECT_FALSE(AtomExists(element)) << "more than one reference was taken";
        ::GlobalAddAtomW(element.c_str());  // the engine's back, for it to release

        // A reload starts afresh: the references of the earlier file go.
        ASSERT_TRUE(skin.Load(file.Path()));
        EXPECT_FALSE(AtomExists(element));
        EXPECT_EQ(::GetPropW(window.Get(), L"SidecarSkin"), nullptr);
    }
    EXPECT_FALSE(AtomExists(element));
}

TEST(BuiltinSkin, WithoutOurSkinOrAUsableTargetNothingIsRecorded) {
    CTestWindow window;
    const std::wstring element = UniqueName(L"none");
    CTempFile foreign("[sidecar_pBtn_aec]\r\nface = #336699\r\n");
    CTempFile utf16(std::string("\xFF\xFES\0k\0", 6));
    CTempFile good(kSkin);
    for (const std::wstring& path : {foreign.Path(), utf16.Path(), std::wstring(L"C:\\no\\such\\file.skf")}) {
        CBuiltinSkin skin;
        EXPECT_FALSE(skin.Load(path));
        EXPECT_FALSE(skin.Active());
        EXPECT_EQ(skin.File(), nullptr);
        skin.Apply(window.Get(), element.c_str());
        EXPECT_EQ(::GetPropW(window.Get(), L"SidecarSkin"), nullptr);
    }

    CBuiltinSkin skin;
    ASSERT_TRUE(skin.Load(good.Path()));
    ASSERT_FALSE(skin.Load(foreign.Path()));  // a failed load leaves the engine inactive
    skin.Apply(window.Get(), element.c_str());
    EXPECT_EQ(::GetPropW(window.Get(), L"SidecarSkin"), nullptr);

    ASSERT_TRUE(skin.Load(good.Path()));
    skin.Apply(nullptr, element.c_str());
    skin.Apply(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0xDEAD0)), element.c_str());
    skin.Apply(window.Get(), nullptr);
    skin.Apply(window.Get(), L"");
    skin.Apply(window.Get(), std::wstring(300, L'x').c_str());  // longer than an atom name
    EXPECT_EQ(::GetPropW(window.Get(), L"SidecarSkin"), nullptr);
    EXPECT_FALSE(AtomExists(element));

    // A window of another thread belongs to that thread's engine calls.
    std::atomic<HWND> other{nullptr};
    std::atomic<bool> done{false};
    std::thread owner([&] {
        other =
            ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 5, 5, nullptr, nullptr, nullptr, nullptr);
        while (!done)
            ::Sleep(5);
        ::DestroyWindow(other);
    });
    while (!other)
        ::Sleep(5);
    skin.Apply(other, element.c_str());
    EXPECT_EQ(::GetPropW(other, L"SidecarSkin"), nullptr);
    done = true;
    owner.join();
    EXPECT_FALSE(AtomExists(element));
}

TEST(SkinEngine, FallsBackToTheBuiltinEngineWithoutTheComponent) {
    CTempFile file(kSkin);
    CTempFile other(kSkin);
    CTestWindow window;
    const std::wstring element = UniqueName(L"engine");
    {
        CSkinEngine engine;
        engine.Apply(window.Get(), element.c_str());  // not started: nothing
        EXPECT_EQ(::GetPropW(window.Get(), L"SidecarSkin"), nullptr);

        engine.Start(file.Path());
        EXPECT_FALSE(engine.External());
        EXPECT_TRUE(engine.Builtin().Active());
        engine.Apply(window.Get(), element.c_str());
        EXPECT_EQ(PropertyElement(window.Get()), element);
    }
    {
        CSkinEngine engine;
        engine.Start(L"C:\\no\\such\\skin.skf");
        engine.Start(other.Path());  // start-up runs once
        EXPECT_FALSE(engine.Builtin().Active());
        CTestWindow plain;
        engine.Apply(plain.Get(), element.c_str());
        EXPECT_EQ(::GetPropW(plain.Get(), L"SidecarSkin"), nullptr);
    }
}

namespace {

// Stands in for the external skin component: records every dispatch call as "dispid(arg,arg)", arguments
// in the caller's order.
class CFakeSkinComponent : public IDispatch, public IClassFactory {
  public:
    virtual ~CFakeSkinComponent() = default;
    std::vector<std::wstring> m_calls;
    LONG m_nRefs = 0;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            *ppv = static_cast<IDispatch*>(this);
        } else if (riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
        } else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_nRefs); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--m_nRefs); }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pn) override {
        *pn = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*) override {
        std::wstring call = std::to_wstring(dispid) + (flags == DISPATCH_METHOD ? L"(" : L"[not a method](");
        for (UINT i = params->cArgs; i-- > 0;) {
            const VARIANTARG& v = params->rgvarg[i];
            if (v.vt == VT_I4) {
                call += std::to_wstring(v.lVal);
            } else if (v.vt == VT_BSTR) {
                call += L"'" + std::wstring(v.bstrVal ? v.bstrVal : L"") + L"'";
            } else {
                call += L"vt" + std::to_wstring(v.vt);
            }
            if (i)
                call += L",";
        }
        m_calls.push_back(call + L")");
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (outer)
            return CLASS_E_NOAGGREGATION;
        return QueryInterface(riid, ppv);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

// {6F1D2B7A-93C4-4E0B-8A51-2D7C9E4B1F60}
constexpr CLSID kFakeClsid = {0x6f1d2b7a, 0x93c4, 0x4e0b, {0x8a, 0x51, 0x2d, 0x7c, 0x9e, 0x4b, 0x1f, 0x60}};
constexpr wchar_t kFakeClsidText[] = L"{6F1D2B7A-93C4-4E0B-8A51-2D7C9E4B1F60}";
constexpr wchar_t kProgIdKey[] = L"SkinCrafter.SCSkin3";

}  // namespace

TEST(SkinEngine, DrivesTheExternalComponentByDispatchIdsWhenItExists) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    // Wine reads ProgIDs from the machine's classes only, not the per-user ones.
    if (::RegCreateKeyExW(HKEY_CLASSES_ROOT, (std::wstring(kProgIdKey) + L"\\CLSID").c_str(), 0, nullptr, 0,
                          KEY_WRITE, nullptr, &key, &disposition) != ERROR_SUCCESS) {
        GTEST_SKIP() << "cannot register a stand-in component here";
    }
    if (disposition == REG_OPENED_EXISTING_KEY) {
        ::RegCloseKey(key);
        GTEST_SKIP() << "a skin component is registered on this machine";
    }
    ::RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kFakeClsidText),
                     sizeof(kFakeClsidText));
    ::RegCloseKey(key);
    ::CoInitialize(nullptr);
    CFakeSkinComponent component;
    DWORD cookie = 0;
    HRESULT hrRegister = ::CoRegisterClassObject(kFakeClsid, static_cast<IClassFactory*>(&component),
                                                 CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    LONG nRefsBefore = component.m_nRefs;

    CTestWindow window;
    if (hrRegister == S_OK) {
        CSkinEngine engine;
        engine.Start(L"C:\\skins\\x.skf");
        EXPECT_TRUE(engine.External());
        engine.Apply(window.Get(), L"sidecar_aec0");
        EXPECT_EQ(::GetPropW(window.Get(), L"SidecarSkin"), nullptr);  // the component draws, not us
    }
    EXPECT_EQ(component.m_nRefs, nRefsBefore) << "the engine kept its reference";

    if (hrRegister == S_OK)
        ::CoRevokeClassObject(cookie);
    // The stand-in leaves no trace: a ProgID left behind would make every later start of the panel on this
    // machine try to create the component. Wine keeps the key under the machine's classes, where a delete
    // through the merged classes root does not reach it.
    ::RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgIdKey);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(L"Software\\Classes\\") + kProgIdKey).c_str());
    HKEY left = nullptr;
    EXPECT_NE(::RegOpenKeyExW(HKEY_CLASSES_ROOT, kProgIdKey, 0, KEY_READ, &left), ERROR_SUCCESS);
    if (left)
        ::RegCloseKey(left);
    ::CoUninitialize();
    ASSERT_EQ(hrRegister, S_OK);

    const std::wstring hwnd = std::to_wstring(static_cast<long>(reinterpret_cast<LONG_PTR>(window.Get())));
    std::vector<std::wstring> expected = {L"17(0)", L"1(1)", L"2('C:\\skins\\x.skf')", L"18()",
                                          L"21(" + hwnd + L",'sidecar_aec0',0)"};
    EXPECT_EQ(component.m_calls, expected);
}
