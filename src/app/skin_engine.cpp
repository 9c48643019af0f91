#include "app/skin_engine.h"

#include <ole2.h>

namespace {

constexpr wchar_t kSkinProgId[] = L"SkinCrafter.SCSkin3";

// The component's dispatch ids, in the order start-up calls them, then the per-window call.
constexpr long kDispidInit = 17;       // (int 0)
constexpr long kDispidEnable = 1;      // (int 1)
constexpr long kDispidLoadSkin = 2;    // (string skin path)
constexpr long kDispidApplyAll = 18;   // ()
constexpr long kDispidApplySkin = 21;  // (int window handle, string element, int 0)

}  // namespace

CSkinEngine::~CSkinEngine() {
    if (m_pDispatch)
        m_pDispatch->Release();
    if (m_bComInitialized)
        ::CoUninitialize();
}

void CSkinEngine::Start(const std::wstring& skinPath) {
    if (m_bStarted)
        return;
    m_bStarted = true;
    m_bComInitialized = SUCCEEDED(::CoInitialize(nullptr));

    CLSID clsid{};
    void* pObject = nullptr;
    if (SUCCEEDED(::CLSIDFromProgID(kSkinProgId, &clsid)) &&
        SUCCEEDED(::CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, &pObject)) && pObject) {
        m_pDispatch = static_cast<IDispatch*>(pObject);
        Invoke(kDispidInit, {{CArg::kInt, 0, nullptr}});
        Invoke(kDispidEnable, {{CArg::kInt, 1, nullptr}});
        Invoke(kDispidLoadSkin, {{CArg::kString, 0, skinPath.c_str()}});
        Invoke(kDispidApplyAll, {});
        return;
    }
    m_builtin.Load(skinPath);
}

void CSkinEngine::Apply(HWND hwnd, const wchar_t* element) {
    if (m_pDispatch) {
        // The component takes the handle as a 32-bit integer.
        auto nHandle = static_cast<long>(reinterpret_cast<LONG_PTR>(hwnd));
        Invoke(kDispidApplySkin,
               {{CArg::kInt, nHandle, nullptr}, {CArg::kString, 0, element}, {CArg::kInt, 0, nullptr}});
        return;
    }
    m_builtin.Apply(hwnd, element);
}

void CSkinEngine::Invoke(long dispid, std::initializer_list<CArg> args) const {
    constexpr size_t kMaxArgs = 3;
    if (args.size() > kMaxArgs)
        return;
    // IDispatch::Invoke takes the arguments last to first.
    VARIANTARG rgvarg[kMaxArgs];
    UINT nArgs = 0;
    for (auto it = args.end(); it != args.begin();) {
        --it;
        VARIANTARG& v = rgvarg[nArgs++];
        ::VariantInit(&v);
        if (it->kind == CArg::kInt) {
            v.vt = VT_I4;
            v.lVal = it->nValue;
        } else {
            v.vt = VT_BSTR;
            v.bstrVal = ::SysAllocString(it->pszValue ? it->pszValue : L"");
        }
    }
    DISPPARAMS params{nArgs ? rgvarg : nullptr, nullptr, nArgs, 0};
    EXCEPINFO excep{};
    UINT nArgErr = 0;
    // Every call is a method without a result; failures are ignored, as the engine's calls report nothing.
    m_pDispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, &excep,
                        &nArgErr);
    ::SysFreeString(excep.bstrSource);
    ::SysFreeString(excep.bstrDescription);
    ::SysFreeString(excep.bstrHelpFile);
    for (UINT i = 0; i < nArgs; ++i)
        ::VariantClear(&rgvarg[i]);
}
