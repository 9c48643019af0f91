#include "skin/skin_file.h"

#include <algorithm>
#include <map>
#include <unordered_set>
#include <utility>

namespace {

constexpr std::string_view kSignature = "SidecarSkin 1";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](char c) { return LowerAscii(c); });
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

// Splits text into lines at LF, CRLF or a lone CR, so files from any editor read alike.
class CLineReader {
  public:
    explicit CLineReader(std::string_view text) : m_text(text) {}
    bool Next(std::string_view& line) {
        if (m_nPos >= m_text.size())
            return false;
        size_t end = m_text.find_first_of("\r\n", m_nPos);
        if (end == std::string_view::npos)
            end = m_text.size();
        line = m_text.substr(m_nPos, end - m_nPos);
        m_nPos = end + 1;
        if (end < m_text.size() && m_text[end] == '\r' && m_nPos < m_text.size() && m_text[m_nPos] == '\n') {
            ++m_nPos;
        }
        return true;
    }

  private:
    std::string_view m_text;
    size_t m_nPos = 0;
};

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = LowerAscii(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// "#RRGGBB", exactly six hexadecimal digits.
std::optional<CSkinColor> ParseColor(std::string_view v) {
    if (v.size() != 7 || v[0] != '#')
        return std::nullopt;
    int channel[3];
    for (int i = 0; i < 3; ++i) {
        int hi = HexDigit(v[1 + 2 * i]);
        int lo = HexDigit(v[2 + 2 * i]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        channel[i] = hi * 16 + lo;
    }
    return CSkinColor{static_cast<uint8_t>(channel[0]), static_cast<uint8_t>(channel[1]),
                      static_cast<uint8_t>(channel[2])};
}

std::optional<CSkinTone> ParseTone(std::string_view v) {
    if (EqualsNoCase(v, "none"))
        return CSkinTone{true, {}};
    if (auto color = ParseColor(v))
        return CSkinTone{false, *color};
    return std::nullopt;
}

// Decimal digits only (no sign), 0..nMax.
std::optional<int> ParseBounded(std::string_view v, int nMax) {
    if (v.empty())
        return std::nullopt;
    int value = 0;
    for (char c : v) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > nMax)
            return std::nullopt;
    }
    return value;
}

std::optional<CSkinAlign> ParseAlign(std::string_view v) {
    if (EqualsNoCase(v, "left"))
        return CSkinAlign::kLeft;
    if (EqualsNoCase(v, "center"))
        return CSkinAlign::kCenter;
    if (EqualsNoCase(v, "right"))
        return CSkinAlign::kRight;
    return std::nullopt;
}

std::optional<CSkinGlyph> ParseGlyph(std::string_view v) {
    static constexpr std::pair<std::string_view, CSkinGlyph> kNames[] = {
        {"none", CSkinGlyph::kNone},
        {"warning", CSkinGlyph::kWarning},
        {"question", CSkinGlyph::kQuestion},
        {"information", CSkinGlyph::kInformation},
        {"error", CSkinGlyph::kError},
        {"field_left", CSkinGlyph::kFieldLeft},
        {"field_center", CSkinGlyph::kFieldCenter},
        {"field_right", CSkinGlyph::kFieldRight},
    };
    for (const auto& [name, glyph] : kNames) {
        if (EqualsNoCase(v, name))
            return glyph;
    }
    return std::nullopt;
}

enum class CApplied { kDone, kDuplicate, kBadValue };

template <typename T>
CApplied Assign(std::optional<T>& field, std::optional<T> value) {
    if (!value)
        return CApplied::kBadValue;
    bool bHad = field.has_value();
    field = value;
    return bHad ? CApplied::kDuplicate : CApplied::kDone;
}

struct CKeyRule {
    std::string_view name;
    CApplied (*apply)(CSkinPaint& paint, std::string_view value);
};

constexpr CKeyRule kKeyRules[] = {
    {"face", [](CSkinPaint& p, std::string_view v) { return Assign(p.face, ParseTone(v)); }},
    {"face2", [](CSkinPaint& p, std::string_view v) { return Assign(p.face2, ParseColor(v)); }},
    {"border", [](CSkinPaint& p, std::string_view v) { return Assign(p.border, ParseTone(v)); }},
    {"text", [](CSkinPaint& p, std::string_view v) { return Assign(p.text, ParseColor(v)); }},
    {"radius", [](CSkinPaint& p, std::string_view v) { return Assign(p.radius, ParseBounded(v, 32)); }},
    {"border_width",
     [](CSkinPaint& p, std::string_view v) { return Assign(p.borderWidth, ParseBounded(v, 8)); }},
    {"align", [](CSkinPaint& p, std::string_view v) { return Assign(p.align, ParseAlign(v)); }},
    {"glyph", [](CSkinPaint& p, std::string_view v) { return Assign(p.glyph, ParseGlyph(v)); }},
    {"glyph_color", [](CSkinPaint& p, std::string_view v) { return Assign(p.glyphColor, ParseColor(v)); }},
};

// The paint a key writes to: the normal one, or a state's for "pressed.", "focused." and "disabled." keys.
// Returns null for an unknown state prefix; name is left as the key without its prefix.
CSkinPaint* PaintForKey(CSkinLook& look, std::string_view& name) {
    size_t dot = name.find('.');
    if (dot == std::string_view::npos)
        return &look.normal;
    std::string_view prefix = name.substr(0, dot);
    name.remove_prefix(dot + 1);
    if (EqualsNoCase(prefix, "pressed"))
        return &look.pressed;
    if (EqualsNoCase(prefix, "focused"))
        return &look.focused;
    if (EqualsNoCase(prefix, "disabled"))
        return &look.disabled;
    return nullptr;
}

// Calls f(mine, theirs) for every field of two paints, so that overlaying and inheriting name each field
// once.
template <typename F>
void ForEachField(CSkinPaint& mine, const CSkinPaint& theirs, F f) {
    f(mine.face, theirs.face);
    f(mine.face2, theirs.face2);
    f(mine.border, theirs.border);
    f(mine.text, theirs.text);
    f(mine.radius, theirs.radius);
    f(mine.borderWidth, theirs.borderWidth);
    f(mine.align, theirs.align);
    f(mine.glyph, theirs.glyph);
    f(mine.glyphColor, theirs.glyphColor);
}

// Fills what a look leaves unset from its base, state by state.
void Inherit(CSkinLook& look, const CSkinLook& base) {
    auto fill = [](auto& mine, const auto& theirs) {
        if (!mine)
            mine = theirs;
    };
    ForEachField(look.normal, base.normal, fill);
    ForEachField(look.pressed, base.pressed, fill);
    ForEachField(look.focused, base.focused, fill);
    ForEachField(look.disabled, base.disabled, fill);
}

class CParser {
  public:
    explicit CParser(std::vector<CSkinDiagnostic>* diags) : m_pDiags(diags) {}

    void Line(size_t nLine, std::string_view raw) {
        std::string_view line = Trim(raw);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            return;
        if (line.front() == '[') {
            Section(nLine, line);
            return;
        }
        size_t eq = line.find('=');
        std::string_view key = eq == std::string_view::npos ? std::string_view() : Trim(line.substr(0, eq));
        if (key.empty()) {
            Report(nLine, CSkinProblem::kBadLine);
            return;
        }
        if (!m_pLook) {
            Report(nLine, CSkinProblem::kKeyOutsideSection);
            return;
        }
        Key(nLine, key, Trim(line.substr(eq + 1)));
    }

    CSkinFile Take() {
        ResolveBases();
        return std::move(m_file);
    }

  private:
    struct CBase {
        std::string name;  // lower case, as the file keys its sections
        size_t nLine = 0;
        bool bResolved = false;
    };

    // Applies every "base" key, bases first; a chain is followed without recursion so that no file can
    // exhaust the stack, and only as far as the first section already complete, so each is walked once. A
    // base that names no section, or a chain that comes back to itself, is reported at its line and ignored.
    void ResolveBases() {
        for (auto& [name, base] : m_mapBases) {
            std::vector<std::string> chain{name};
            std::unordered_set<std::string> seen{name};
            while (true) {
                auto it = m_mapBases.find(chain.back());
                if (it == m_mapBases.end() || it->second.bResolved)
                    break;
                CBase& link = it->second;
                if (!m_file.Find(link.name)) {
                    Report(link.nLine, CSkinProblem::kUnknownBase);
                    link.bResolved = true;
                    break;
                }
                if (seen.contains(link.name)) {
                    Report(link.nLine, CSkinProblem::kBaseCycle);
                    link.bResolved = true;
                    break;
                }
                seen.insert(link.name);
                chain.push_back(link.name);
            }
            // From the deepest base up: each section inherits from one that is already complete.
            for (size_t i = chain.size(); i-- > 0;) {
                auto it = m_mapBases.find(chain[i]);
                if (it == m_mapBases.end() || it->second.bResolved)
                    continue;
                Inherit(m_file.Section(chain[i]), *m_file.Find(it->second.name));
                it->second.bResolved = true;
            }
        }
    }

    void Section(size_t nLine, std::string_view line) {
        std::string_view name =
            line.back() == ']' ? Trim(line.substr(1, line.size() - 2)) : std::string_view();
        if (line.size() < 2 || name.empty() || name.find_first_of("[]") != std::string_view::npos) {
            Report(nLine, CSkinProblem::kBadSection);
            m_pLook = nullptr;  // its keys would land in the wrong look
            return;
        }
        m_pLook = &m_file.Section(name);
        m_strSection = LowerAscii(name);
    }

    void Key(size_t nLine, std::string_view key, std::string_view value) {
        if (EqualsNoCase(key, "base")) {
            if (value.empty() || value.find_first_of("[]") != std::string_view::npos) {
                Report(nLine, CSkinProblem::kBadValue);
                return;
            }
            auto [it, bNew] = m_mapBases.try_emplace(m_strSection);
            if (!bNew)
                Report(nLine, CSkinProblem::kDuplicateKey);
            it->second = {LowerAscii(value), nLine, false};
            return;
        }
        CSkinPaint* pPaint = PaintForKey(*m_pLook, key);
        const CKeyRule* pRule = nullptr;
        for (const CKeyRule& rule : kKeyRules) {
            if (EqualsNoCase(rule.name, key)) {
                pRule = &rule;
                break;
            }
        }
        if (!pPaint || !pRule) {
            Report(nLine, CSkinProblem::kUnknownKey);
            return;
        }
        switch (pRule->apply(*pPaint, value)) {
            case CApplied::kDone:
                break;
            case CApplied::kDuplicate:
                Report(nLine, CSkinProblem::kDuplicateKey);
                break;
            case CApplied::kBadValue:
                Report(nLine, CSkinProblem::kBadValue);
                break;
        }
    }

    void Report(size_t nLine, CSkinProblem problem) {
        if (m_pDiags)
            m_pDiags->push_back({nLine, problem});
    }

    std::vector<CSkinDiagnostic>* m_pDiags;
    CSkinFile m_file;
    CSkinLook* m_pLook = nullptr;  // the section being read; stable, the map's nodes do not move
    std::string m_strSection;      // its name, lower case
    std::map<std::string, CBase> m_mapBases;
};

}  // namespace

CSkinPaint CSkinLook::For(CSkinState state) const {
    const CSkinPaint* pOver = nullptr;
    switch (state) {
        case CSkinState::kNormal:
            return normal;
        case CSkinState::kPressed:
            pOver = &pressed;
            break;
        case CSkinState::kFocused:
            pOver = &focused;
            break;
        case CSkinState::kDisabled:
            pOver = &disabled;
            break;
    }
    CSkinPaint paint = normal;
    ForEachField(paint, *pOver, [](auto& mine, const auto& theirs) {
        if (theirs)
            mine = theirs;
    });
    return paint;
}

const CSkinLook* CSkinFile::Find(std::string_view element) const {
    auto it = m_mapLooks.find(LowerAscii(element));
    return it == m_mapLooks.end() ? nullptr : &it->second;
}

CSkinLook& CSkinFile::Section(std::string_view element) {
    return m_mapLooks[LowerAscii(element)];
}

const char* DescribeSkinProblem(CSkinProblem problem) {
    switch (problem) {
        case CSkinProblem::kBadLine:
            return "not a section, a key line or a comment";
        case CSkinProblem::kBadSection:
            return "malformed section header";
        case CSkinProblem::kKeyOutsideSection:
            return "key outside a valid section";
        case CSkinProblem::kUnknownKey:
            return "unknown key";
        case CSkinProblem::kBadValue:
            return "bad value";
        case CSkinProblem::kUnknownBase:
            return "base names no section";
        case CSkinProblem::kBaseCycle:
            return "base leads back to its own section";
        case CSkinProblem::kDuplicateKey:
            return "key repeated; the later value is used";
    }
    return "unknown problem";
}

std::optional<CSkinFile> ParseSkinFile(std::string_view bytes, std::vector<CSkinDiagnostic>* diags) {
    if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom)
        bytes.remove_prefix(kUtf8Bom.size());
    CLineReader reader(bytes);
    std::string_view line;
    if (!reader.Next(line))
        return std::nullopt;
    while (!line.empty() && IsBlank(line.back()))
        line.remove_suffix(1);
    if (line != kSignature)
        return std::nullopt;

    CParser parser(diags);
    for (size_t nLine = 2; reader.Next(line); ++nLine)
        parser.Line(nLine, line);
    return parser.Take();
}
