#include "app/command_line.h"

std::wstring CommandTail(std::wstring_view line) {
    // The program name runs to the first blank outside double quotes (quotes toggle); blanks are the
    // control characters and the space, as the C runtime counts them when it hands WinMain its tail.
    std::size_t i = 0;
    bool quoted = false;
    while (i < line.size() && (line[i] > L' ' || quoted)) {
        if (line[i] == L'"')
            quoted = !quoted;
        ++i;
    }
    while (i < line.size() && line[i] <= L' ')
        ++i;
    return std::wstring(line.substr(i));
}
