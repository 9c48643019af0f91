#pragma once
// Static message maps: each window class declares a constexpr table of typed entries (a message; a command
// id with its notification code; a range of command ids; a notify id with its code) that route to member
// handlers. A class's map chains to its base class's map; the first matching entry wins. Windows (CWnd) and
// window hooks (CWindowHook) route their messages this way.
#include <windows.h>

#include <cstddef>
#include <iterator>

class CMsgTarget;

// Runs one handler. Returns false when the handler asked for the default processing instead of a result.
using MsgThunk = bool (*)(CMsgTarget* self, WPARAM wParam, LPARAM lParam, LRESULT& result);

enum class MsgKind : unsigned char { Message, Command, CommandRange, Notify };

struct CMsgMapEntry {
    MsgKind kind;
    UINT message;  // for Message entries
    UINT idFirst;  // command or notify id (first of a range)
    UINT idLast;
    UINT code;  // notification code of Command, CommandRange and Notify entries
    MsgThunk thunk;
};

struct CMessageMap {
    const CMessageMap* base;
    const CMsgMapEntry* entries;
    std::size_t count;
};

// What routes messages through a message map: the class's map, chained to its bases'.
class CMsgTarget {
  public:
    virtual ~CMsgTarget() = default;
    static const CMessageMap* ClassMessageMap();

  protected:
    virtual const CMessageMap* GetMessageMap() const { return ClassMessageMap(); }
    // Dispatches through the map; true when an entry handled it (result set). A handler that throws counts
    // as not handled, so the message gets its default processing: no exception may unwind through the window
    // manager.
    bool DispatchMap(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
};

// Entry builders for class T. Each fixes the handler's signature, so a table reads like a list of events.
template <class T>
struct CMsgMap {
    // WM_COMMAND from control `id` with notification `code` (BN_CLICKED by default): void T::F().
    template <void (T::*F)()>
    static constexpr CMsgMapEntry Command(UINT id, UINT code = BN_CLICKED) {
        return {MsgKind::Command, WM_COMMAND, id, id, code, [](CMsgTarget* w, WPARAM, LPARAM, LRESULT& r) {
                    (static_cast<T*>(w)->*F)();
                    r = 0;
                    return true;
                }};
    }
    // WM_COMMAND from any control in [first, last]: void T::F(UINT id).
    template <void (T::*F)(UINT)>
    static constexpr CMsgMapEntry CommandRange(UINT first, UINT last, UINT code = BN_CLICKED) {
        return {MsgKind::CommandRange,
                WM_COMMAND,
                first,
                last,
                code,
                [](CMsgTarget* w, WPARAM wp, LPARAM, LRESULT& r) {
                    (static_cast<T*>(w)->*F)(LOWORD(wp));
                    r = 0;
                    return true;
                }};
    }
    // WM_NOTIFY from control `id` with code `code`: void T::F(NMHDR*, LRESULT*).
    template <void (T::*F)(NMHDR*, LRESULT*)>
    static constexpr CMsgMapEntry Notify(UINT id, UINT code) {
        return {MsgKind::Notify, WM_NOTIFY, id, id, code, [](CMsgTarget* w, WPARAM, LPARAM lp, LRESULT& r) {
                    r = 0;
                    (static_cast<T*>(w)->*F)(reinterpret_cast<NMHDR*>(lp), &r);
                    return true;
                }};
    }
    // Any message with raw parameters: LRESULT T::F(WPARAM, LPARAM).
    template <LRESULT (T::*F)(WPARAM, LPARAM)>
    static constexpr CMsgMapEntry Message(UINT msg) {
        return {MsgKind::Message, msg, 0, 0, 0, [](CMsgTarget* w, WPARAM wp, LPARAM lp, LRESULT& r) {
                    r = (static_cast<T*>(w)->*F)(wp, lp);
                    return true;
                }};
    }
    // A message without parameters that the handler needs: void T::F() (WM_PAINT, WM_DESTROY, ...).
    template <void (T::*F)()>
    static constexpr CMsgMapEntry Event(UINT msg) {
        return {MsgKind::Message, msg, 0, 0, 0, [](CMsgTarget* w, WPARAM, LPARAM, LRESULT& r) {
                    (static_cast<T*>(w)->*F)();
                    r = 0;
                    return true;
                }};
    }
    // WM_TIMER: void T::F(UINT_PTR id).
    template <void (T::*F)(UINT_PTR)>
    static constexpr CMsgMapEntry Timer() {
        return {MsgKind::Message, WM_TIMER, 0, 0, 0, [](CMsgTarget* w, WPARAM wp, LPARAM, LRESULT& r) {
                    (static_cast<T*>(w)->*F)(wp);
                    r = 0;
                    return true;
                }};
    }
    // WM_COPYDATA: LRESULT T::F(HWND sender, const COPYDATASTRUCT*).
    template <LRESULT (T::*F)(HWND, const COPYDATASTRUCT*)>
    static constexpr CMsgMapEntry CopyData() {
        return {MsgKind::Message, WM_COPYDATA, 0, 0, 0, [](CMsgTarget* w, WPARAM wp, LPARAM lp, LRESULT& r) {
                    r = (static_cast<T*>(w)->*F)(reinterpret_cast<HWND>(wp),
                                                 reinterpret_cast<const COPYDATASTRUCT*>(lp));
                    return true;
                }};
    }
    // Mouse messages: void T::F(UINT keyFlags, POINT clientPoint).
    template <void (T::*F)(UINT, POINT)>
    static constexpr CMsgMapEntry Mouse(UINT msg) {
        return {MsgKind::Message, msg, 0, 0, 0, [](CMsgTarget* w, WPARAM wp, LPARAM lp, LRESULT& r) {
                    POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
                    (static_cast<T*>(w)->*F)(static_cast<UINT>(wp), pt);
                    r = 0;
                    return true;
                }};
    }
};

// Declares the map of a class in its body; define the table with SIDECAR_MESSAGE_MAP in the .cpp.
#define SIDECAR_DECLARE_MESSAGE_MAP()                   \
  public:                                               \
    static const CMessageMap* ClassMessageMap();        \
                                                        \
  protected:                                            \
    const CMessageMap* GetMessageMap() const override { \
        return ClassMessageMap();                       \
    }                                                   \
                                                        \
  private:

// Defines the map of `Class` (whose base is `Base`) from the entries that follow; `M` builds entries.
#define SIDECAR_MESSAGE_MAP(Class, Base, ...)                                                  \
    const CMessageMap* Class::ClassMessageMap() {                                              \
        using M = CMsgMap<Class>;                                                              \
        static constexpr CMsgMapEntry kEntries[] = {__VA_ARGS__};                              \
        static const CMessageMap kMap{Base::ClassMessageMap(), kEntries, std::size(kEntries)}; \
        return &kMap;                                                                          \
    }
