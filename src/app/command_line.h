#pragma once
// The command tail: what follows the program name on the command line, which names the console window.
#include <string>
#include <string_view>

// Everything after the program name and the blanks that follow it, quotes included, verbatim. The program
// name ends at the first blank outside double quotes.
std::wstring CommandTail(std::wstring_view commandLine);
