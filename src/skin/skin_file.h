#pragma once
// The built-in skin engine's file: an INI-style UTF-8 text whose first line is the signature "SidecarSkin 1",
// then one [element name] section per look ("[dialog]" gives dialog backgrounds and group boxes) with
// "key = value" lines and ";" or "#" comment lines. Pure: parsed from bytes, no platform calls.
//
// Keys, each also under "pressed.", "focused." and "disabled.":
//   face = #RRGGBB | none     fill (the top colour of a gradient); none lets the parent show through
//   face2 = #RRGGBB           bottom colour of a vertical gradient
//   border = #RRGGBB | none   outline colour
//   border_width = 0..8       outline width in pixels
//   radius = 0..32            corner radius in pixels (half the smaller side or more makes a pill or a disc)
//   text = #RRGGBB            caption colour
//   align = left | center | right
//   glyph = none | warning | question | information | error | field_left | field_center | field_right
//   glyph_color = #RRGGBB     the glyph's body; its marks and outlines take the text colour
// and, once per section, "base = other section": every key the section leaves unset, in every state, comes
// from the other section (which may have a base of its own).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

struct CSkinColor {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    bool operator==(const CSkinColor&) const = default;
};

// A colour or explicitly none (a border, or a face the parent shows through).
struct CSkinTone {
    bool bNone = false;
    CSkinColor color;
    bool operator==(const CSkinTone&) const = default;
};
using CSkinBorder = CSkinTone;
using CSkinFill = CSkinTone;

enum class CSkinAlign { kLeft, kCenter, kRight };

// A symbol drawn in the middle of the face: the message box's four icons, and the AEC chamber fields (a
// detector outline with its three fields, the named one filled).
enum class CSkinGlyph {
    kNone,
    kWarning,
    kQuestion,
    kInformation,
    kError,
    kFieldLeft,
    kFieldCenter,
    kFieldRight
};

// What one section sets for one state; an unset field falls back to the normal state, then to the plain look.
struct CSkinPaint {
    std::optional<CSkinFill> face;    // "face": fill colour (top colour when face2 is set), or none
    std::optional<CSkinColor> face2;  // "face2": bottom colour of a vertical gradient
    std::optional<CSkinBorder> border;
    std::optional<CSkinColor> text;
    std::optional<int> radius;       // 0..32 pixels
    std::optional<int> borderWidth;  // "border_width": 0..8 pixels
    std::optional<CSkinAlign> align;
    std::optional<CSkinGlyph> glyph;
    std::optional<CSkinColor> glyphColor;  // "glyph_color"
    bool operator==(const CSkinPaint&) const = default;
};

enum class CSkinState { kNormal, kPressed, kFocused, kDisabled };

// One element's look: the normal state and the "pressed.", "focused." and "disabled." overrides.
struct CSkinLook {
    CSkinPaint normal;
    CSkinPaint pressed;
    CSkinPaint focused;
    CSkinPaint disabled;
    // The paint for a state: the state's own keys over the normal ones.
    CSkinPaint For(CSkinState state) const;
};

class CSkinFile {
  public:
    // The look of an element; null when the file has no section for it. Names match without regard to ASCII
    // case, like the global atoms that carry them.
    const CSkinLook* Find(std::string_view element) const;
    size_t Size() const { return m_mapLooks.size(); }
    // The look of an element, created empty on first use (parser only).
    CSkinLook& Section(std::string_view element);

  private:
    std::unordered_map<std::string, CSkinLook> m_mapLooks;
};

enum class CSkinProblem {
    kBadLine,            // neither a section, a key line, a comment nor blank
    kBadSection,         // "[" without "]", an empty name, or text after "]"
    kKeyOutsideSection,  // a key line before any valid section
    kUnknownKey,
    kBadValue,
    kDuplicateKey,  // the later value was taken
    kUnknownBase,   // "base" names a section the file does not have
    kBaseCycle,     // a chain of "base" keys comes back to a section on it
};

struct CSkinDiagnostic {
    size_t nLine = 0;  // 1-based
    CSkinProblem problem = CSkinProblem::kBadLine;
};

const char* DescribeSkinProblem(CSkinProblem problem);

// Parses a skin file. nullopt when the signature line is missing (a foreign, UTF-16 or empty file). Bad
// lines, unknown keys and bad values are skipped and reported in diags; they never fail the whole file. A
// repeated section adds to the earlier one; a repeated key replaces the earlier value. Bases are applied
// after the whole file is read, so a base may come later in the file.
std::optional<CSkinFile> ParseSkinFile(std::string_view bytes, std::vector<CSkinDiagnostic>* diags = nullptr);
