#include "app/text_map.h"

#include <climits>

namespace {

bool IsBlank(wchar_t c) {
    // The C locale's white space, which is what the runtime skips before a number.
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r';
}

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

}  // namespace

int ParseIdCell(std::wstring_view cell) {
    size_t i = 0;
    while (i < cell.size() && IsBlank(cell[i]))
        ++i;
    bool bNegative = false;
    if (i < cell.size() && (cell[i] == L'+' || cell[i] == L'-')) {
        bNegative = cell[i] == L'-';
        ++i;
    }
    // Accumulate the magnitude in 64 bits and stop growing once it is past the int range: the result then
    // saturates instead of wrapping (the runtime's documented overflow answer is INT_MAX or INT_MIN).
    const long long kLimit = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = 0;
    for (; i < cell.size() && cell[i] >= L'0' && cell[i] <= L'9'; ++i) {
        if (magnitude <= kLimit)
            magnitude = magnitude * 10 + (cell[i] - L'0');
    }
    if (bNegative)
        return magnitude >= kLimit ? INT_MIN : static_cast<int>(-magnitude);
    return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

void CTextMap::StoreRow(std::wstring_view idCell, std::wstring_view textCell) {
    m_mapText.insert_or_assign(std::to_wstring(ParseIdCell(idCell)), std::wstring(textCell));
}

std::wstring CTextMap::Find(unsigned id) const {
    auto it = m_mapText.find(std::to_wstring(id));
    return it == m_mapText.end() ? std::wstring() : it->second;
}

std::wstring SheetNameForLanguage(int /*langId*/) {
    // A sheet of its own per language (Korean, Japanese, Chinese, Taiwan) is not read: the workbook's
    // "English" sheet carries the texts for every locale, and every workbook for this program has one.
    return L"English";
}

int ParseLanguageId(std::wstring_view hex4) {
    // Leading hexadecimal digits, at most seven so the value stays an int (a language id has four); none
    // gives -1.
    int value = 0;
    size_t nDigits = 0;
    for (wchar_t c : hex4) {
        int digit = HexDigit(c);
        if (digit < 0)
            break;
        if (++nDigits > 7)
            return -1;
        value = value * 16 + digit;
    }
    return nDigits == 0 ? -1 : value;
}
