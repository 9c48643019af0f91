#pragma once
// The main panel's rules as data: the fixed pixel layout, what each exposure control mode enables and how
// it looks, the patient size looks, and the protocol tree's marker rules.
#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace panel {

struct CPlace {
    int id;
    int x, y, cx, cy;
};

// Every control the layout places, in client pixels. The tree's place depends on the stand panel: shorter
// above a ceiling stand panel.
std::span<const CPlace> ControlLayout();
CPlace TreePlace(bool withCeilingPanel);
CPlace CeilingPanelPlace();
CPlace SdkPanelPlace();

enum class Enable { Keep, On, Off };

struct CControlLook {
    int id;
    Enable enable;
    const wchar_t* skin;  // null: the look stays as it is
};

// Whether an exposure record's mode runs the mode change: AEC (2) always does, so that new AEC field
// states and sub-modes take effect; any other mode only when it differs from the current one.
bool ModeChangeRuns(int mode, int currentMode);
// Enabled states and looks for a control mode (0 ms, 1 mAs, 2 AEC); empty for any other mode.
std::vector<CControlLook> ModeLooks(int mode, int aecSubMode, const std::array<int, 3>& aecField);
// Modes 0 and 1 empty the AEC value field.
bool ModeClearsAecValue(int mode);

// The look of patient size button `index` (0..3) when the console shows `shownSize`.
const wchar_t* SizeButtonSkin(int index, int shownSize);

// The position watchdog counts the panel as in place when the top-left corner of its client area, less
// one pixel, sits on the configured x or on the configured y; either one is enough.
bool PanelInPlace(int clientLeft, int clientTop, int posX, int posY);

// Tree row pictures: exam rows have none (4 is past the strip); a protocol row is done (3) when ":Y"
// appears at any position other than the very first, else pending (0).
inline constexpr int kExamImage = 4;
inline constexpr int kDoneImage = 3;
inline constexpr int kPendingImage = 0;
int ProtocolImage(std::wstring_view text);
// Every occurrence of `from` replaced by `to`.
std::wstring ReplaceAll(std::wstring_view text, std::wstring_view from, std::wstring_view to);

}  // namespace panel
