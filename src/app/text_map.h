#pragma once
// The localised text table: text id (decimal key) to text, filled once at start-up from the workbook's rows
// and read for the rest of the run. Pure: no platform calls.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>

class CTextMap {
  public:
    void Clear() { m_mapText.clear(); }
    // Stores one workbook row: the id cell becomes a key the way the platform's _wtoi reads it, formatted
    // back with "%d"; a later row with the same key replaces the earlier one. The text is kept as read, empty
    // too.
    void StoreRow(std::wstring_view idCell, std::wstring_view textCell);
    bool Empty() const { return m_mapText.empty(); }
    size_t Size() const { return m_mapText.size(); }
    // The text stored under the decimal form of id; empty when there is none.
    std::wstring Find(unsigned id) const;

  private:
    std::unordered_map<std::wstring, std::wstring> m_mapText;
};

// Reads an integer the way _wtoi does: optional white space, optional sign, then the leading decimal digits;
// anything else gives 0. Out of range values saturate to INT_MAX / INT_MIN, as the Windows runtime documents.
int ParseIdCell(std::wstring_view cell);

// The workbook sheet to read for a user language id. Every language reads the "English" sheet.
std::wstring SheetNameForLanguage(int langId);

// Parses the four hexadecimal digits of a locale's language id ("0412" -> 1042); -1 when nothing parses.
int ParseLanguageId(std::wstring_view hex4);
