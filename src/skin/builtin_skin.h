#pragma once
// CBuiltinSkin: the built-in skin engine, used when the external skin component is not installed. Owns the
// parsed skin file for the whole run; gives windows their element names as a window property and draws
// them in that element's look. A dialog whose control takes a look gets the skin's [dialog] section: its
// background, the colours of its plain statics, and its group boxes; its tree views take the [tree]
// section's colours (face, text, border for lines and frame; pressed.face and pressed.text for the selected
// row). Every window it draws it hooks (a window hook of the framework), and a push button it draws is
// owner-drawn meanwhile (its push button type still answered to the dialog manager); the window goes back to
// its own drawing and type when the engine is destroyed or loads another file. UI thread only.
#include <windows.h>

#include <optional>
#include <string>
#include <unordered_map>

#include "skin/skin_file.h"
#include "skin/skin_painter.h"
#include "skin/skin_raster.h"
#include "ui/handle.h"
#include "ui/window_hook.h"

// The window property that carries a window's skin element: a global atom named after the element, so other
// processes (tools, tests) can read which look each window was given.
inline constexpr wchar_t kSkinElementProperty[] = L"SidecarSkin";

// The sections of the skin file that dialogs and their group boxes follow, and their tree views.
inline constexpr char kSkinDialogSection[] = "dialog";
inline constexpr char kSkinTreeSection[] = "tree";

class CBuiltinSkin : public CWindowHook {
    SIDECAR_DECLARE_MESSAGE_MAP()

  public:
    CBuiltinSkin() = default;
    ~CBuiltinSkin() override;
    CBuiltinSkin(const CBuiltinSkin&) = delete;
    CBuiltinSkin& operator=(const CBuiltinSkin&) = delete;

    // Reads and parses a skin file. False, and inactive, when it is missing, unreadable or not in our format.
    // Windows skinned from an earlier file go back to their own look first.
    bool Load(const std::wstring& path);
    bool Active() const { return m_file.has_value(); }
    // The loaded file; null when inactive.
    const CSkinFile* File() const { return m_file ? &*m_file : nullptr; }
    // Gives a window of this thread its element name and look (idempotent; a new name replaces the old and
    // repaints at once). An element without a section keeps the window's plain look. Does nothing when
    // inactive, for a null or foreign window, or a null or empty name.
    void Apply(HWND hwnd, const wchar_t* element);

  private:
    // What the engine does to one subclassed window; a window can be several of these at once.
    struct CHooked {
        bool bElement = false;             // carries an element (the property holds its atom)
        std::wstring strElement;           // the element's name as last given
        const CSkinLook* pLook = nullptr;  // the element's look; null: the plain look
        bool bDialog = false;              // a dialog that follows the [dialog] section
        bool bFrame = false;               // a group box of such a dialog
        bool bTree = false;                // a tree view of such a dialog, in the [tree] colours
        bool bOwnerDrawn = false;          // a push button made owner-drawn while the engine draws it
        LONG nPushType = BS_PUSHBUTTON;    // then its push button type, as the dialog manager sees it
    };
    // The look a window is drawn in, or null when it keeps its own drawing.
    const CSkinLook* PaintLook(const CHooked& hooked) const;
    ATOM ElementAtom(const wchar_t* element);
    void ReleaseAtoms();
    bool Hook(HWND hwnd);
    void HookDialog(HWND dialog);
    void UnhookAll();
    void ForgetDeadWindows();
    void UpdateOwnerDraw(HWND hwnd);
    void OnWindowGone(HWND hwnd) override { m_mapHooked.erase(hwnd); }

    // The window being handled: its record (read it before handing the message on, which may drop the
    // record), and what it is drawn as when it is drawn in a look.
    const CHooked& Current() const;
    struct CSkinned {
        const CSkinLook* pLook = nullptr;  // null: the window keeps its own drawing
        CSkinKind kind = CSkinKind::kPlain;
    };
    CSkinned CurrentSkinned() const;

    // Dialog colours and tree drawing: the [dialog] and [tree] sections.
    LRESULT OnCtlColor(WPARAM wp, LPARAM lp);
    LRESULT OnNotify(WPARAM wp, LPARAM lp);
    LRESULT OnNcPaint(WPARAM wp, LPARAM lp);
    // Owner-draw answers: an owner-drawn push button answers as the push button it is.
    LRESULT OnDrawItem(WPARAM wp, LPARAM lp);
    LRESULT OnGetDlgCode(WPARAM wp, LPARAM lp);
    LRESULT OnSetStyle(WPARAM wp, LPARAM lp);
    LRESULT OnLButtonDblClk(WPARAM wp, LPARAM lp);
    LRESULT OnStyleChanged(WPARAM wp, LPARAM lp);
    // Skinned painting.
    LRESULT OnPaint(WPARAM wp, LPARAM lp);
    LRESULT OnPrintClient(WPARAM wp, LPARAM lp);
    LRESULT OnEraseBkgnd(WPARAM wp, LPARAM lp);
    LRESULT OnSetText(WPARAM wp, LPARAM lp);
    LRESULT OnSysColorChange(WPARAM wp, LPARAM lp);
    // Quiet redraws: a message after which the control would draw itself at once.
    LRESULT OnRedrawnQuietly(WPARAM wp, LPARAM lp);

    std::optional<CSkinFile> m_file;
    const CSkinLook* m_pDialogLook = nullptr;
    const CSkinLook* m_pTreeLook = nullptr;
    CBrush m_brDialog;  // the dialog face, answered to the control-colour messages
    std::unordered_map<HWND, CHooked> m_mapHooked;
    std::unordered_map<std::wstring, ATOM> m_mapAtoms;  // element names (lower case) and their atoms
    CSkinFaceCache m_faces;
};

// The element name a window was given by the built-in engine, read from its property; empty when none.
// Works for windows of other processes too.
std::wstring GetSkinElement(HWND hwnd);
