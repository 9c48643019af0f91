#pragma once
// Loading of the localised text table from the workbook "Sidecar.xls" in the program folder, over ODBC with
// the spreadsheet driver. Runs once at start-up on the UI thread.
#include <windows.h>

#include <string>

#include "app/text_map.h"

// Empties map, then fills it from the workbook's "English" sheet (column 1: text id, column 4: text). A
// missing workbook is silent. A database error (driver missing, sheet missing, unreadable file) or running
// out of memory shows one error box owned by owner with the database layer's text, then loading ends; the
// rows read so far stay.
void LoadTextWorkbook(const std::wstring& appDir, CTextMap& map, HWND owner = nullptr);

// The language id of the user's locale (e.g. 1042 for 0412), or -1.
int GetUserLanguageId();
