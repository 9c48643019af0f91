#include "app/command_line.h"

std::wstring CommandTail(std::wstring_view line) {
    std::size_t i = 0;
    if (!line.empty() && line[0] == L'"') {
        std::size_t close = line.find(L'"', 1);
        i = close == std::wstring_view::npos ? line.size() : close + 1;
    }
    while (i < line.size() && line[i] != L' ' && line[i] != L'\t') ++i;
    while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
    return std::wstring(line.substr(i));
}
