#pragma once
// The command tail: what follows the program name on the command line, which names the console window.
#include <string>
#include <string_view>

// Everything after the program name and the blanks that follow it, quotes included, verbatim. The program
// name ends at its closing quote when it starts with one, else at the first blank.
std::wstring CommandTail(std::wstring_view commandLine);
