// The text table's row handling: pairs of workbook cells (id, text) stored into CTextMap. Input: UTF-16LE
// code units, cells separated by a NUL unit, taken in pairs. Checks the id cell's reading against a
// reference reading of _wtoi's rules (done differently: by the digit string's length), that the last row of
// a key wins, that every stored text is found under its decimal key and nothing else is there.
#include <climits>
#include <map>
#include <string>
#include <vector>

#include "app/text_map.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

// _wtoi in the C locale: blanks, an optional sign, leading digits; saturates at the int range.
int ReferenceId(std::wstring_view cell) {
    std::size_t i = cell.find_first_not_of(L" \t\n\v\f\r");
    if (i == std::wstring_view::npos)
        return 0;
    bool bNegative = false;
    if (cell[i] == L'+' || cell[i] == L'-')
        bNegative = cell[i++] == L'-';
    std::size_t end = i;
    while (end < cell.size() && cell[end] >= L'0' && cell[end] <= L'9')
        ++end;
    std::wstring_view digits = cell.substr(i, end - i);
    while (!digits.empty() && digits.front() == L'0')
        digits.remove_prefix(1);
    if (digits.size() > 10)
        return bNegative ? INT_MIN : INT_MAX;
    std::uint64_t magnitude = 0;
    for (wchar_t c : digits)
        magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - L'0');
    if (bNegative)
        return magnitude >= 2147483648ull ? INT_MIN : -static_cast<int>(magnitude);
    return magnitude > 2147483647ull ? INT_MAX : static_cast<int>(magnitude);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::wstring> cells(1);
    for (std::size_t at = 0; at + 1 < size; at += 2) {
        const wchar_t unit = UnitAt({data, size}, at);
        if (unit == 0)
            cells.emplace_back();
        else
            cells.back().push_back(unit);
    }

    CTextMap map;
    std::map<std::wstring, std::wstring> model;
    for (std::size_t i = 0; i + 1 < cells.size(); i += 2) {
        const int id = ParseIdCell(cells[i]);
        FUZZ_CHECK(id == ReferenceId(cells[i]));
        map.StoreRow(cells[i], cells[i + 1]);
        model[std::to_wstring(id)] = cells[i + 1];
    }
    FUZZ_CHECK(map.Size() == model.size());
    FUZZ_CHECK(map.Empty() == model.empty());
    for (const auto& [key, text] : model) {
        const int id = std::stoi(key);
        const auto found = model.find(std::to_wstring(static_cast<unsigned>(id)));
        FUZZ_CHECK(map.Find(static_cast<unsigned>(id)) == (found == model.end() ? L"" : found->second));
    }
    // Ids with no row find nothing.
    if (size >= 4) {
        const unsigned probe = static_cast<unsigned>(I32At({data, size}, 0));
        if (!model.contains(std::to_wstring(probe)))
            FUZZ_CHECK(map.Find(probe).empty());
        // Any int read back from its decimal form is itself.
        const int value = static_cast<int>(probe);
        FUZZ_CHECK(ParseIdCell(std::to_wstring(value)) == value);
        FUZZ_CHECK(ParseIdCell(L" \t+" + std::to_wstring(probe) + L"x") ==
                   ReferenceId(std::to_wstring(probe)));
    }
    map.Clear();
    FUZZ_CHECK(map.Empty() && map.Size() == 0);
    return 0;
}
