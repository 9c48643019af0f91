#pragma once
// CSkinEngine: the application's skin engine (m_pSkin), alive from start-up to exit on the UI thread. Drives
// the external skin component late-bound when it is installed, and the built-in engine otherwise; with
// neither, every call does nothing and windows keep their plain look.
#include <windows.h>

#include <initializer_list>
#include <string>

#include "skin/builtin_skin.h"

struct IDispatch;

class CSkinEngine {
  public:
    CSkinEngine() = default;
    ~CSkinEngine();
    CSkinEngine(const CSkinEngine&) = delete;
    CSkinEngine& operator=(const CSkinEngine&) = delete;

    // Initialises COM for this thread, creates the external component and loads skinPath into it, or, when
    // the component cannot be created, loads skinPath into the built-in engine. Runs once; later calls do
    // nothing. Silent.
    void Start(const std::wstring& skinPath);
    // Gives a window a named look of the loaded skin. Silent, no result.
    void Apply(HWND hwnd, const wchar_t* element);

    bool External() const { return m_pDispatch != nullptr; }
    const CBuiltinSkin& Builtin() const { return m_builtin; }

  private:
    // A dispatch argument as written in the call, left to right.
    struct CArg {
        enum { kInt, kString } kind;
        long nValue;
        const wchar_t* pszValue;
    };
    void Invoke(long dispid, std::initializer_list<CArg> args) const;

    IDispatch* m_pDispatch = nullptr;  // owned reference to the external component
    CBuiltinSkin m_builtin;
    bool m_bStarted = false;
    bool m_bComInitialized = false;  // CoInitialize succeeded here and is balanced in the destructor
};
