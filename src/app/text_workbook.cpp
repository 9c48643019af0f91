#include "app/text_workbook.h"

#include <sql.h>
#include <sqlext.h>

#include <cwchar>
#include <new>
#include <string>

namespace {

constexpr wchar_t kDriverName[] = L"MICROSOFT EXCEL DRIVER (*.XLS)";
constexpr SQLUSMALLINT kIdColumn = 1;
constexpr SQLUSMALLINT kTextColumn = 4;

// A database failure, carrying the text to show. It is read when the failure happens, because the handle
// whose diagnostics tell why is freed while the failure unwinds.
struct CDbError {
    std::wstring strText;
};

std::wstring DiagnosticText(SQLSMALLINT type, SQLHANDLE handle);

[[noreturn]] void ThrowDbError(const wchar_t* pszStep, SQLSMALLINT type, SQLHANDLE handle) {
    std::wstring text = DiagnosticText(type, handle);
    if (text.empty()) {
        // The layer gave no text at all (under Wine without a driver manager even the environment handle
        // cannot be made): name the step instead.
        text = L"The text workbook could not be read: ";
        text += pszStep;
        text += L" failed.";
    }
    throw CDbError{std::move(text)};
}

// Owns one ODBC handle; a connection handle is disconnected before it is freed.
class CSqlHandle {
  public:
    CSqlHandle(SQLSMALLINT type, SQLHANDLE parent, const wchar_t* pszStep) : m_nType(type) {
        if (!SQL_SUCCEEDED(::SQLAllocHandle(type, parent, &m_h))) {
            m_h = SQL_NULL_HANDLE;  // the handle is not defined after a failure
            ThrowDbError(pszStep, ParentType(type), parent);
        }
    }
    ~CSqlHandle() {
        if (m_bConnected)
            ::SQLDisconnect(m_h);
        ::SQLFreeHandle(m_nType, m_h);
    }
    CSqlHandle(const CSqlHandle&) = delete;
    CSqlHandle& operator=(const CSqlHandle&) = delete;

    SQLHANDLE Get() const { return m_h; }
    SQLSMALLINT Type() const { return m_nType; }
    void SetConnected() { m_bConnected = true; }

  private:
    static SQLSMALLINT ParentType(SQLSMALLINT type) {
        if (type == SQL_HANDLE_ENV)
            return 0;
        return type == SQL_HANDLE_DBC ? SQL_HANDLE_ENV : SQL_HANDLE_DBC;
    }
    SQLSMALLINT m_nType;
    SQLHANDLE m_h = SQL_NULL_HANDLE;
    bool m_bConnected = false;
};

void Check(SQLRETURN rc, const CSqlHandle& handle, const wchar_t* pszStep) {
    if (!SQL_SUCCEEDED(rc))
        ThrowDbError(pszStep, handle.Type(), handle.Get());
}

// The database layer's own text for a failure: every diagnostic record's message, one per line.
std::wstring DiagnosticText(SQLSMALLINT type, SQLHANDLE handle) {
    std::wstring text;
    if (!handle)
        return text;
    constexpr SQLSMALLINT kMaxRecords = 32;  // a layer never has more to say; stop a runaway one
    for (SQLSMALLINT nRecord = 1; nRecord <= kMaxRecords; ++nRecord) {
        SQLWCHAR state[6] = {};
        SQLINTEGER nNative = 0;
        SQLSMALLINT nLength = 0;
        std::wstring message(512, L'\0');
        SQLRETURN rc = ::SQLGetDiagRecW(type, handle, nRecord, state, &nNative,
                                        reinterpret_cast<SQLWCHAR*>(message.data()),
                                        static_cast<SQLSMALLINT>(message.size()), &nLength);
        if (rc == SQL_SUCCESS_WITH_INFO && nLength >= static_cast<SQLSMALLINT>(message.size())) {
            message.assign(static_cast<size_t>(nLength) + 1, L'\0');  // the message was cut: read it whole
            rc = ::SQLGetDiagRecW(type, handle, nRecord, state, &nNative,
                                  reinterpret_cast<SQLWCHAR*>(message.data()),
                                  static_cast<SQLSMALLINT>(message.size()), &nLength);
        }
        if (!SQL_SUCCEEDED(rc))
            break;
        message.resize(std::wcslen(message.c_str()));
        if (message.empty())
            continue;
        if (!text.empty())
            text += L'\n';
        text += message;
    }
    return text;
}

// One cell as text, read in pieces so values of any length come whole; a NULL cell is empty.
std::wstring ReadCell(const CSqlHandle& stmt, SQLUSMALLINT nColumn) {
    constexpr SQLLEN kChunkChars = 256;
    std::wstring cell;
    SQLWCHAR chunk[kChunkChars];
    for (;;) {
        SQLLEN nIndicator = 0;
        SQLRETURN rc = ::SQLGetData(stmt.Get(), nColumn, SQL_C_WCHAR, chunk, sizeof(chunk), &nIndicator);
        if (rc == SQL_NO_DATA)
            break;  // the previous piece was the last
        Check(rc, stmt, L"reading a row");
        if (nIndicator == SQL_NULL_DATA)
            break;
        SQLLEN nChars = kChunkChars - 1;  // a full piece, or a value whose length the driver cannot tell
        if (nIndicator != SQL_NO_TOTAL && nIndicator / static_cast<SQLLEN>(sizeof(SQLWCHAR)) < kChunkChars) {
            nChars = nIndicator / static_cast<SQLLEN>(sizeof(SQLWCHAR));
        }
        cell.append(reinterpret_cast<const wchar_t*>(chunk), static_cast<size_t>(nChars));
        if (rc == SQL_SUCCESS)
            break;
    }
    return cell;
}

void ReadWorkbook(const std::wstring& path, const std::wstring& sheet, CTextMap& map) {
    CSqlHandle env(SQL_HANDLE_ENV, SQL_NULL_HANDLE, L"opening the database layer");
    Check(::SQLSetEnvAttr(env.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0),
          env, L"opening the database layer");
    CSqlHandle dbc(SQL_HANDLE_DBC, env.Get(), L"opening the database layer");

    std::wstring connect = L"DRIVER={";
    connect += kDriverName;
    connect += L"};FIRSTROWHASNAMES=1;READONLY=FALSE;DBQ=" + path;
    SQLWCHAR out[1024];
    SQLSMALLINT nOut = 0;
    Check(::SQLDriverConnectW(dbc.Get(), nullptr, reinterpret_cast<SQLWCHAR*>(connect.data()), SQL_NTS, out,
                              1024, &nOut, SQL_DRIVER_NOPROMPT),
          dbc, L"connecting to the text workbook");
    dbc.SetConnected();

    CSqlHandle stmt(SQL_HANDLE_STMT, dbc.Get(), L"querying the text workbook");
    std::wstring query = L"SELECT * FROM [" + sheet + L"$]";
    Check(::SQLExecDirectW(stmt.Get(), reinterpret_cast<SQLWCHAR*>(query.data()), SQL_NTS), stmt,
          L"querying the text workbook");
    for (;;) {
        SQLRETURN rc = ::SQLFetch(stmt.Get());
        if (rc == SQL_NO_DATA)
            break;
        Check(rc, stmt, L"reading a row");
        std::wstring id = ReadCell(stmt, kIdColumn);
        std::wstring text = ReadCell(stmt, kTextColumn);
        map.StoreRow(id, text);
    }
    ::SQLCloseCursor(stmt.Get());
}

}  // namespace

void LoadTextWorkbook(const std::wstring& appDir, CTextMap& map, HWND owner) {
    map.Clear();
    std::wstring dbText;
    const wchar_t* pszText = nullptr;
    try {
        // appDir ends in a backslash, so the path has a doubled separator; the file system reads it as one.
        std::wstring path = appDir + L"\\Sidecar.xls";
        if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            return;
        ReadWorkbook(path, SheetNameForLanguage(GetUserLanguageId()), map);
        return;
    } catch (CDbError& error) {
        dbText = std::move(error.strText);
        pszText = dbText.c_str();
    } catch (const std::bad_alloc&) {
        pszText = L"Out of memory while loading the text table.";
    }
    ::MessageBoxW(owner, pszText, L"Sidecar", MB_OK | MB_ICONEXCLAMATION);
}

int GetUserLanguageId() {
    wchar_t buffer[5] = {};
    if (!::GetLocaleInfoW(0, LOCALE_ILANGUAGE, buffer, 5))
        return -1;
    return ParseLanguageId(buffer);
}
