// The skin file parser on arbitrary bytes: accepted exactly when the first line is the signature, every
// diagnostic names a line of the file, every well-formed section can be found under any ASCII case of its
// name, and every value that was taken is within its documented range, in every state.
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "skin/skin_file.h"

namespace {

std::string_view TrimBlanks(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string SwapCase(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

void CheckPaint(const CSkinPaint& paint) {
    if (paint.radius)
        FUZZ_CHECK(*paint.radius >= 0 && *paint.radius <= 32);
    if (paint.borderWidth)
        FUZZ_CHECK(*paint.borderWidth >= 0 && *paint.borderWidth <= 8);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::vector<CSkinDiagnostic> diags;
    const std::optional<CSkinFile> file = ParseSkinFile(bytes, &diags);

    std::string_view body = bytes;
    if (body.starts_with("\xEF\xBB\xBF"))
        body.remove_prefix(3);
    const std::string_view first = body.substr(0, body.find_first_of("\r\n"));
    const bool bSigned = first.find_last_not_of(" \t") == 12 && first.starts_with("SidecarSkin 1");
    FUZZ_CHECK(file.has_value() == bSigned);
    if (!file) {
        FUZZ_CHECK(diags.empty());
        return 0;
    }

    // Lines split at LF, CRLF or a lone CR.
    std::vector<std::string_view> lines;
    for (std::size_t at = 0; at < body.size();) {
        std::size_t end = body.find_first_of("\r\n", at);
        if (end == std::string_view::npos)
            end = body.size();
        lines.push_back(body.substr(at, end - at));
        at = end + ((end + 1 < body.size() && body[end] == '\r' && body[end + 1] == '\n') ? 2 : 1);
    }
    for (const CSkinDiagnostic& diag : diags) {
        FUZZ_CHECK(diag.nLine >= 2 && diag.nLine <= lines.size());
        FUZZ_CHECK(DescribeSkinProblem(diag.problem) != nullptr);
    }

    std::size_t nSections = 0;
    for (std::string_view raw : lines) {
        const std::string_view line = TrimBlanks(raw);
        if (line.size() < 2 || line.front() != '[' || line.back() != ']')
            continue;
        const std::string_view name = TrimBlanks(line.substr(1, line.size() - 2));
        if (name.empty() || name.find_first_of("[]") != std::string_view::npos)
            continue;
        const CSkinLook* look = file->Find(name);
        FUZZ_CHECK(look != nullptr);
        FUZZ_CHECK(file->Find(SwapCase(name)) == look);
        ++nSections;
        for (CSkinState state :
             {CSkinState::kNormal, CSkinState::kPressed, CSkinState::kFocused, CSkinState::kDisabled})
            CheckPaint(look->For(state));
        // A state's paint is its own keys over the normal ones.
        const CSkinPaint pressed = look->For(CSkinState::kPressed);
        FUZZ_CHECK(pressed.radius == (look->pressed.radius ? look->pressed.radius : look->normal.radius));
        FUZZ_CHECK(look->For(CSkinState::kNormal) == look->normal);
    }
    FUZZ_CHECK(file->Size() <= nSections);
    if (nSections > 0)
        FUZZ_CHECK(file->Size() >= 1);
    return 0;
}
