/* A spreadsheet driver for the end-to-end tests: a Linux ODBC driver that the machine's unixODBC driver
 * manager loads when a program under Wine connects with the spreadsheet driver's name. It serves the
 * sheets of a text fixture at the connection's DBQ path, so the panel's unchanged database code connects,
 * queries and fetches rows.
 *
 * The fixture (UTF-8): a line "[Name]" starts the sheet "Name"; each further line is one row, its cells
 * separated by tabs (an empty or missing cell is NULL, as the spreadsheet driver gives an empty cell). A row
 * "!fail TEXT" makes the fetch that reaches it fail with TEXT as the diagnostic. A file whose first line
 * does not start a sheet is not a workbook: connecting fails, as it does with a real unreadable file.
 *
 * The driver is strict where the program's requests matter: FIRSTROWHASNAMES=1 must be asked for, or the
 * heading row is served as data; only "SELECT * FROM [Sheet$]" is understood. Values are given in pieces
 * when the caller's buffer is short, with the total left in the indicator, as the ODBC rules say.
 */
#include <ctype.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

#define EXPORT __attribute__((visibility("default")))

/* The ODBC types and values the driver uses, as unixODBC defines them on Linux (SQLLEN is a long on both
 * architectures), so the driver builds for either architecture without that architecture's headers. */
typedef short SQLSMALLINT;
typedef unsigned short SQLUSMALLINT;
typedef int SQLINTEGER;
typedef unsigned int SQLUINTEGER;
typedef long SQLLEN;
typedef SQLSMALLINT SQLRETURN;
typedef unsigned char SQLCHAR;
typedef unsigned short SQLWCHAR;
typedef void* SQLPOINTER;
typedef void* SQLHANDLE;
typedef SQLHANDLE SQLHENV;
typedef SQLHANDLE SQLHDBC;
typedef SQLHANDLE SQLHSTMT;
typedef void* SQLHWND;
#define SQL_API

enum {
    SQL_SUCCESS = 0,
    SQL_SUCCESS_WITH_INFO = 1,
    SQL_ERROR = -1,
    SQL_NO_DATA = 100,
    SQL_NTS = -3,
    SQL_NULL_DATA = -1,
    SQL_HANDLE_ENV = 1,
    SQL_HANDLE_DBC = 2,
    SQL_HANDLE_STMT = 3,
    SQL_CLOSE = 0,
    SQL_DROP = 1,
    SQL_C_CHAR = 1,
    SQL_C_WCHAR = -8,
    SQL_C_DEFAULT = 99,
    SQL_DRIVER_NAME = 6,
    SQL_DRIVER_ODBC_VER = 77,
    SQL_GETDATA_EXTENSIONS = 81,
    SQL_GD_ANY_COLUMN = 1,
    SQL_GD_ANY_ORDER = 2,
    SQL_DIAG_NUMBER = 2,
};

enum { kMaxColumns = 16, kMaxMessage = 512 };

typedef struct {
    char state[6];
    char message[kMaxMessage];
    int set;
} Diag;

typedef struct {
    unsigned short* units; /* UTF-16, NULL for a NULL cell */
    size_t length;
} Cell;

typedef struct {
    Cell cells[kMaxColumns];
    int fail; /* a "!fail" row: reaching it fails the fetch */
    char failText[kMaxMessage];
} Row;

typedef struct {
    Diag diag;
    char path[4096];
    int firstRowHasNames;
} Connection;

typedef struct {
    Diag diag;
    Connection* connection;
    Row* rows;
    size_t rowCount;
    size_t next;  /* the row the next fetch reaches */
    long current; /* the row fetched last, -1 before the first */
    size_t read[kMaxColumns];
    int done[kMaxColumns];
} Statement;

typedef struct {
    Diag diag;
} Environment;

/* Every handle starts with its Diag, so a handle of any type reaches its diagnostics. */
static Diag* DiagOf(SQLHANDLE handle) {
    return (Diag*)handle;
}

static SQLRETURN Fail(Diag* diag, const char* state, const char* format, ...) {
    va_list args;
    va_start(args, format);
    snprintf(diag->state, sizeof diag->state, "%s", state);
    vsnprintf(diag->message, sizeof diag->message, format, args);
    va_end(args);
    diag->set = 1;
    return SQL_ERROR;
}

static void Clear(Diag* diag) {
    diag->set = 0;
}

/* --- text ------------------------------------------------------------------------------------------- */

/* UTF-8 to UTF-16; returns the number of units written (out may be NULL to count). */
static size_t Utf8To16(const char* s, size_t n, unsigned short* out) {
    size_t units = 0;
    for (size_t i = 0; i < n;) {
        unsigned char c = (unsigned char)s[i];
        unsigned long cp = c;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (extra)
            cp = c & (0x3F >> extra);
        ++i;
        for (int k = 0; k < extra && i < n; ++k, ++i)
            cp = (cp << 6) | ((unsigned char)s[i] & 0x3F);
        if (cp >= 0x10000) {
            if (out) {
                out[units] = (unsigned short)(0xD800 + ((cp - 0x10000) >> 10));
                out[units + 1] = (unsigned short)(0xDC00 + ((cp - 0x10000) & 0x3FF));
            }
            units += 2;
        } else {
            if (out)
                out[units] = (unsigned short)cp;
            ++units;
        }
    }
    return units;
}

/* UTF-16 (length in units, or SQL_NTS) to UTF-8 in out (size bytes, always terminated). */
static void Utf16To8(const SQLWCHAR* s, SQLINTEGER n, char* out, size_t size) {
    size_t o = 0;
    for (SQLINTEGER i = 0; (n == SQL_NTS ? s[i] != 0 : i < n) && o + 4 < size; ++i) {
        unsigned long cp = s[i];
        if (cp >= 0xD800 && cp < 0xDC00 && (n == SQL_NTS || i + 1 < n) && s[i + 1] >= 0xDC00 &&
            s[i + 1] < 0xE000)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[++i] - 0xDC00);
        if (cp < 0x80) {
            out[o++] = (char)cp;
        } else if (cp < 0x800) {
            out[o++] = (char)(0xC0 | (cp >> 6));
            out[o++] = (char)(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out[o++] = (char)(0xE0 | (cp >> 12));
            out[o++] = (char)(0x80 | ((cp >> 6) & 0x3F));
            out[o++] = (char)(0x80 | (cp & 0x3F));
        } else {
            out[o++] = (char)(0xF0 | (cp >> 18));
            out[o++] = (char)(0x80 | ((cp >> 12) & 0x3F));
            out[o++] = (char)(0x80 | ((cp >> 6) & 0x3F));
            out[o++] = (char)(0x80 | (cp & 0x3F));
        }
    }
    out[o] = 0;
}

static void CopyAnsi(const SQLCHAR* s, SQLINTEGER n, char* out, size_t size) {
    size_t len = n == SQL_NTS ? strlen((const char*)s) : (size_t)n;
    if (len >= size)
        len = size - 1;
    memcpy(out, s, len);
    out[len] = 0;
}

/* --- the fixture ------------------------------------------------------------------------------------- */

/* A Windows path as Wine sees it, to the Unix path: drive X: is $WINEPREFIX/dosdevices/x:. */
static void UnixPath(const char* windowsPath, char* out, size_t size) {
    if (isalpha((unsigned char)windowsPath[0]) && windowsPath[1] == ':') {
        const char* prefix = getenv("WINEPREFIX");
        char home[1024];
        if (!prefix) {
            snprintf(home, sizeof home, "%s/.wine", getenv("HOME") ? getenv("HOME") : "");
            prefix = home;
        }
        int n = snprintf(out, size, "%s/dosdevices/%c:", prefix, tolower((unsigned char)windowsPath[0]));
        if (n > 0 && (size_t)n < size)
            snprintf(out + n, size - (size_t)n, "%s", windowsPath + 2);
    } else {
        snprintf(out, size, "%s", windowsPath);
    }
    for (char* p = out; *p; ++p) {
        if (*p == '\\')
            *p = '/';
    }
}

static char* ReadFile(const char* path, size_t* size) {
    FILE* f = fopen(path, "rb");
    if (!f)
        return NULL;
    size_t cap = 4096, n = 0;
    char* data = malloc(cap + 1);
    size_t got;
    while (data && (got = fread(data + n, 1, cap - n, f)) > 0) {
        n += got;
        if (n == cap) {
            char* bigger = realloc(data, cap * 2 + 1);
            if (!bigger) {
                free(data);
                data = NULL;
                break;
            }
            data = bigger;
            cap *= 2;
        }
    }
    fclose(f);
    if (data) {
        data[n] = 0;
        *size = n;
    }
    return data;
}

static void FreeRows(Statement* stmt) {
    for (size_t r = 0; r < stmt->rowCount; ++r) {
        for (int c = 0; c < kMaxColumns; ++c)
            free(stmt->rows[r].cells[c].units);
    }
    free(stmt->rows);
    stmt->rows = NULL;
    stmt->rowCount = 0;
}

static void AddRow(Statement* stmt, char* line) {
    Row* rows = realloc(stmt->rows, (stmt->rowCount + 1) * sizeof(Row));
    if (!rows)
        return;
    stmt->rows = rows;
    Row* row = &rows[stmt->rowCount++];
    memset(row, 0, sizeof *row);
    if (strncmp(line, "!fail ", 6) == 0) {
        row->fail = 1;
        snprintf(row->failText, sizeof row->failText, "%s", line + 6);
        return;
    }
    char* cell = line;
    for (int c = 0; c < kMaxColumns && cell; ++c) {
        char* tab = strchr(cell, '\t');
        size_t n = tab ? (size_t)(tab - cell) : strlen(cell);
        if (n > 0) {
            row->cells[c].length = Utf8To16(cell, n, NULL);
            row->cells[c].units = malloc((row->cells[c].length + 1) * sizeof(unsigned short));
            if (row->cells[c].units)
                Utf8To16(cell, n, row->cells[c].units);
        }
        cell = tab ? tab + 1 : NULL;
    }
}

/* Loads the rows of sheet (without its '$') into stmt; 0 when the sheet does not exist. */
static int LoadSheet(Statement* stmt, const char* data, const char* sheet) {
    int inSheet = 0, found = 0, heading = stmt->connection->firstRowHasNames;
    const char* p = data;
    while (*p) {
        const char* end = strchr(p, '\n');
        size_t n = end ? (size_t)(end - p) : strlen(p);
        if (n > 0 && p[n - 1] == '\r')
            --n;
        char* line = malloc(n + 1);
        if (!line)
            return found;
        memcpy(line, p, n);
        line[n] = 0;
        if (line[0] == '[') {
            char* close = strrchr(line, ']');
            if (close)
                *close = 0;
            inSheet = strcasecmp(line + 1, sheet) == 0;
            found |= inSheet;
        } else if (inSheet && heading) {
            heading = 0; /* the names of the columns, not data */
        } else if (inSheet) {
            AddRow(stmt, line);
        }
        free(line);
        p = end ? end + 1 : p + n;
    }
    return found;
}

/* --- handles ------------------------------------------------------------------------------------------ */

EXPORT SQLRETURN SQL_API SQLAllocHandle(SQLSMALLINT type, SQLHANDLE parent, SQLHANDLE* out) {
    switch (type) {
        case SQL_HANDLE_ENV:
            *out = calloc(1, sizeof(Environment));
            break;
        case SQL_HANDLE_DBC:
            *out = calloc(1, sizeof(Connection));
            break;
        case SQL_HANDLE_STMT: {
            Statement* stmt = calloc(1, sizeof(Statement));
            if (stmt) {
                stmt->connection = (Connection*)parent;
                stmt->current = -1;
            }
            *out = stmt;
            break;
        }
        default:
            return SQL_ERROR;
    }
    return *out ? SQL_SUCCESS : SQL_ERROR;
}

EXPORT SQLRETURN SQL_API SQLFreeHandle(SQLSMALLINT type, SQLHANDLE handle) {
    if (type == SQL_HANDLE_STMT && handle)
        FreeRows((Statement*)handle);
    free(handle);
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLFreeStmt(SQLHSTMT handle, SQLUSMALLINT option) {
    if (option == SQL_DROP)
        return SQLFreeHandle(SQL_HANDLE_STMT, handle);
    if (option == SQL_CLOSE)
        FreeRows((Statement*)handle);
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLCloseCursor(SQLHSTMT handle) {
    FreeRows((Statement*)handle);
    return SQL_SUCCESS;
}

/* Attributes are taken and ignored: the driver has no settings the program may change. */
EXPORT SQLRETURN SQL_API SQLSetEnvAttr(SQLHENV h, SQLINTEGER a, SQLPOINTER v, SQLINTEGER n) {
    (void)h, (void)a, (void)v, (void)n;
    return SQL_SUCCESS;
}
EXPORT SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC h, SQLINTEGER a, SQLPOINTER v, SQLINTEGER n) {
    (void)h, (void)a, (void)v, (void)n;
    return SQL_SUCCESS;
}
EXPORT SQLRETURN SQL_API SQLSetConnectAttrW(SQLHDBC h, SQLINTEGER a, SQLPOINTER v, SQLINTEGER n) {
    return SQLSetConnectAttr(h, a, v, n);
}
EXPORT SQLRETURN SQL_API SQLSetStmtAttr(SQLHSTMT h, SQLINTEGER a, SQLPOINTER v, SQLINTEGER n) {
    (void)h, (void)a, (void)v, (void)n;
    return SQL_SUCCESS;
}
EXPORT SQLRETURN SQL_API SQLSetStmtAttrW(SQLHSTMT h, SQLINTEGER a, SQLPOINTER v, SQLINTEGER n) {
    return SQLSetStmtAttr(h, a, v, n);
}

static void PutString(const char* value, SQLPOINTER out, SQLSMALLINT size, SQLSMALLINT* length, int wide) {
    size_t n = strlen(value);
    if (length)
        *length = (SQLSMALLINT)(wide ? n * sizeof(SQLWCHAR) : n);
    if (!out || size <= 0)
        return;
    if (wide) {
        SQLWCHAR* w = out;
        size_t cap = (size_t)size / sizeof(SQLWCHAR);
        size_t i = 0;
        for (; i + 1 < cap && i < n; ++i)
            w[i] = (SQLWCHAR)(unsigned char)value[i];
        if (cap)
            w[i] = 0;
    } else {
        snprintf(out, (size_t)size, "%s", value);
    }
}

static SQLRETURN GetInfo(SQLUSMALLINT type, SQLPOINTER out, SQLSMALLINT size, SQLSMALLINT* length, int wide) {
    switch (type) {
        case SQL_DRIVER_ODBC_VER:
            PutString("03.00", out, size, length, wide);
            return SQL_SUCCESS;
        case SQL_DRIVER_NAME:
            PutString("libsidecar_sheet.so", out, size, length, wide);
            return SQL_SUCCESS;
        case SQL_GETDATA_EXTENSIONS:
            if (out)
                *(SQLUINTEGER*)out = SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER;
            return SQL_SUCCESS;
        default:
            if (out && size >= (SQLSMALLINT)sizeof(SQLUINTEGER))
                *(SQLUINTEGER*)out = 0;
            if (length)
                *length = 0;
            return SQL_SUCCESS;
    }
}
EXPORT SQLRETURN SQL_API SQLGetInfo(SQLHDBC h, SQLUSMALLINT type, SQLPOINTER out, SQLSMALLINT size,
                                    SQLSMALLINT* length) {
    (void)h;
    return GetInfo(type, out, size, length, 0);
}
EXPORT SQLRETURN SQL_API SQLGetInfoW(SQLHDBC h, SQLUSMALLINT type, SQLPOINTER out, SQLSMALLINT size,
                                     SQLSMALLINT* length) {
    (void)h;
    return GetInfo(type, out, size, length, 1);
}

/* --- connecting --------------------------------------------------------------------------------------- */

/* The value of key in a connection string "K=V;K={V};...", or 0 when absent. */
static int FindKey(const char* text, const char* key, char* out, size_t size) {
    size_t keyLength = strlen(key);
    for (const char* p = text; *p;) {
        while (*p == ';' || *p == ' ')
            ++p;
        const char* eq = strchr(p, '=');
        if (!eq)
            return 0;
        int match = (size_t)(eq - p) == keyLength && strncasecmp(p, key, keyLength) == 0;
        const char* value = eq + 1;
        const char* end;
        if (*value == '{') {
            ++value;
            end = strchr(value, '}');
            if (!end)
                end = value + strlen(value);
        } else {
            end = strchr(value, ';');
            if (!end)
                end = value + strlen(value);
        }
        if (match) {
            size_t n = (size_t)(end - value) < size - 1 ? (size_t)(end - value) : size - 1;
            memcpy(out, value, n);
            out[n] = 0;
            return 1;
        }
        p = *end == '}' ? end + 1 : end;
    }
    return 0;
}

static SQLRETURN Connect(Connection* dbc, const char* text) {
    Clear(&dbc->diag);
    char dbq[4096], names[16];
    if (!FindKey(text, "DBQ", dbq, sizeof dbq))
        return Fail(&dbc->diag, "HY000", "[Sidecar test sheet driver] No DBQ in \"%s\".", text);
    dbc->firstRowHasNames = FindKey(text, "FIRSTROWHASNAMES", names, sizeof names) && atoi(names) == 1;
    UnixPath(dbq, dbc->path, sizeof dbc->path);
    size_t size = 0;
    char* data = ReadFile(dbc->path, &size);
    if (!data)
        return Fail(&dbc->diag, "HY000", "[Sidecar test sheet driver] Cannot open the workbook %s.", dbq);
    int workbook = data[0] == '[';
    free(data);
    if (!workbook)
        return Fail(&dbc->diag, "HY000", "[Sidecar test sheet driver] %s is not a workbook.", dbq);
    return SQL_SUCCESS;
}

static SQLRETURN CompleteConnect(Connection* dbc, const char* text, SQLPOINTER out, SQLSMALLINT size,
                                 SQLSMALLINT* length, int wide) {
    SQLRETURN rc = Connect(dbc, text);
    if (rc == SQL_SUCCESS)
        PutString(text, out, size, length, wide);
    return rc;
}

EXPORT SQLRETURN SQL_API SQLDriverConnect(SQLHDBC h, SQLHWND window, SQLCHAR* in, SQLSMALLINT inLength,
                                          SQLCHAR* out, SQLSMALLINT outSize, SQLSMALLINT* outLength,
                                          SQLUSMALLINT completion) {
    (void)window, (void)completion;
    char text[8192];
    CopyAnsi(in, inLength, text, sizeof text);
    return CompleteConnect((Connection*)h, text, out, outSize, outLength, 0);
}

EXPORT SQLRETURN SQL_API SQLDriverConnectW(SQLHDBC h, SQLHWND window, SQLWCHAR* in, SQLSMALLINT inLength,
                                           SQLWCHAR* out, SQLSMALLINT outSize, SQLSMALLINT* outLength,
                                           SQLUSMALLINT completion) {
    (void)window, (void)completion;
    char text[8192];
    Utf16To8(in, inLength, text, sizeof text);
    /* outSize counts characters for the wide call */
    return CompleteConnect((Connection*)h, text, out, (SQLSMALLINT)(outSize * (SQLSMALLINT)sizeof(SQLWCHAR)),
                           outLength, 1);
}

EXPORT SQLRETURN SQL_API SQLDisconnect(SQLHDBC h) {
    (void)h;
    return SQL_SUCCESS;
}

/* --- the query and the rows --------------------------------------------------------------------------- */

static SQLRETURN Execute(Statement* stmt, const char* query) {
    Clear(&stmt->diag);
    FreeRows(stmt);
    static const char kSelect[] = "SELECT * FROM [";
    const char* close = strstr(query, "$]");
    if (strncasecmp(query, kSelect, sizeof kSelect - 1) != 0 || !close || close[2] != 0)
        return Fail(&stmt->diag, "42000", "[Sidecar test sheet driver] Query not understood: %s", query);
    char sheet[256];
    size_t n = (size_t)(close - query) - (sizeof kSelect - 1);
    if (n >= sizeof sheet)
        n = sizeof sheet - 1;
    memcpy(sheet, query + sizeof kSelect - 1, n);
    sheet[n] = 0;

    size_t size = 0;
    char* data = ReadFile(stmt->connection->path, &size);
    if (!data)
        return Fail(&stmt->diag, "HY000", "[Sidecar test sheet driver] The workbook went away.");
    int found = LoadSheet(stmt, data, sheet);
    free(data);
    if (!found)
        return Fail(&stmt->diag, "42S02", "[Sidecar test sheet driver] The sheet '%s$' does not exist.",
                    sheet);
    stmt->next = 0;
    stmt->current = -1;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLExecDirect(SQLHSTMT h, SQLCHAR* text, SQLINTEGER length) {
    char query[1024];
    CopyAnsi(text, length, query, sizeof query);
    return Execute((Statement*)h, query);
}

EXPORT SQLRETURN SQL_API SQLExecDirectW(SQLHSTMT h, SQLWCHAR* text, SQLINTEGER length) {
    char query[1024];
    Utf16To8(text, length, query, sizeof query);
    return Execute((Statement*)h, query);
}

EXPORT SQLRETURN SQL_API SQLNumResultCols(SQLHSTMT h, SQLSMALLINT* count) {
    (void)h;
    *count = kMaxColumns;
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLFetch(SQLHSTMT h) {
    Statement* stmt = (Statement*)h;
    Clear(&stmt->diag);
    if (stmt->next >= stmt->rowCount)
        return SQL_NO_DATA;
    const Row* row = &stmt->rows[stmt->next];
    if (row->fail)
        return Fail(&stmt->diag, "HY000", "%s", row->failText);
    stmt->current = (long)stmt->next++;
    memset(stmt->read, 0, sizeof stmt->read);
    memset(stmt->done, 0, sizeof stmt->done);
    return SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLGetData(SQLHSTMT h, SQLUSMALLINT column, SQLSMALLINT type, SQLPOINTER out,
                                    SQLLEN size, SQLLEN* indicator) {
    Statement* stmt = (Statement*)h;
    Clear(&stmt->diag);
    if (stmt->current < 0)
        return Fail(&stmt->diag, "24000", "[Sidecar test sheet driver] No row fetched.");
    if (column < 1 || column > kMaxColumns)
        return Fail(&stmt->diag, "07009", "[Sidecar test sheet driver] No column %u.", column);
    int c = column - 1;
    if (stmt->done[c])
        return SQL_NO_DATA;
    const Cell* cell = &stmt->rows[stmt->current].cells[c];
    if (!cell->units) {
        stmt->done[c] = 1;
        if (indicator)
            *indicator = SQL_NULL_DATA;
        return SQL_SUCCESS;
    }
    int wide = type == SQL_C_WCHAR;
    if (!wide && type != SQL_C_CHAR && type != SQL_C_DEFAULT)
        return Fail(&stmt->diag, "HYC00", "[Sidecar test sheet driver] Only text is served.");
    size_t unit = wide ? sizeof(SQLWCHAR) : 1;
    size_t left = cell->length - stmt->read[c];
    if (indicator)
        *indicator = (SQLLEN)(left * unit);
    size_t room = size > 0 ? (size_t)size / unit : 0;
    size_t n = room > 0 ? (room - 1 < left ? room - 1 : left) : 0;
    const unsigned short* from = cell->units + stmt->read[c];
    for (size_t i = 0; i < n; ++i) {
        if (wide)
            ((SQLWCHAR*)out)[i] = from[i];
        else
            ((char*)out)[i] = from[i] < 0x80 ? (char)from[i] : '?';
    }
    if (room > 0) {
        if (wide)
            ((SQLWCHAR*)out)[n] = 0;
        else
            ((char*)out)[n] = 0;
    }
    stmt->read[c] += n;
    if (n < left) {
        snprintf(stmt->diag.state, sizeof stmt->diag.state, "01004");
        snprintf(stmt->diag.message, sizeof stmt->diag.message,
                 "[Sidecar test sheet driver] String data, right truncated");
        stmt->diag.set = 1;
        return SQL_SUCCESS_WITH_INFO;
    }
    stmt->done[c] = 1;
    return SQL_SUCCESS;
}

/* --- diagnostics ------------------------------------------------------------------------------------- */

static SQLRETURN GetDiag(SQLHANDLE h, SQLSMALLINT record, void* state, SQLINTEGER* native, void* message,
                         SQLSMALLINT size, SQLSMALLINT* length, int wide) {
    const Diag* diag = h ? DiagOf(h) : NULL;
    if (!diag || !diag->set || record != 1)
        return SQL_NO_DATA;
    if (native)
        *native = 0;
    if (state)
        PutString(diag->state, state, (SQLSMALLINT)(6 * (wide ? sizeof(SQLWCHAR) : 1)), NULL, wide);
    SQLSMALLINT bytes = 0;
    if (wide) {
        size_t units = Utf8To16(diag->message, strlen(diag->message), NULL);
        SQLWCHAR buffer[kMaxMessage * 2];
        Utf8To16(diag->message, strlen(diag->message), buffer);
        size_t room = size > 0 ? (size_t)size : 0; /* characters */
        size_t n = room > 0 ? (room - 1 < units ? room - 1 : units) : 0;
        if (message && room > 0) {
            memcpy(message, buffer, n * sizeof(SQLWCHAR));
            ((SQLWCHAR*)message)[n] = 0;
        }
        if (length)
            *length = (SQLSMALLINT)units;
        return n < units ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
    }
    PutString(diag->message, message, size, &bytes, 0);
    if (length)
        *length = bytes;
    return bytes >= size ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

EXPORT SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE h, SQLSMALLINT record, SQLCHAR* state,
                                       SQLINTEGER* native, SQLCHAR* message, SQLSMALLINT size,
                                       SQLSMALLINT* length) {
    (void)type;
    return GetDiag(h, record, state, native, message, size, length, 0);
}

EXPORT SQLRETURN SQL_API SQLGetDiagRecW(SQLSMALLINT type, SQLHANDLE h, SQLSMALLINT record, SQLWCHAR* state,
                                        SQLINTEGER* native, SQLWCHAR* message, SQLSMALLINT size,
                                        SQLSMALLINT* length) {
    (void)type;
    return GetDiag(h, record, state, native, message, size, length, 1);
}

static SQLRETURN GetDiagField(SQLHANDLE h, SQLSMALLINT record, SQLSMALLINT field, SQLPOINTER out) {
    const Diag* diag = h ? DiagOf(h) : NULL;
    if (record == 0 && field == SQL_DIAG_NUMBER) {
        if (out)
            *(SQLINTEGER*)out = diag && diag->set ? 1 : 0;
        return SQL_SUCCESS;
    }
    return SQL_NO_DATA;
}

EXPORT SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE h, SQLSMALLINT record, SQLSMALLINT field,
                                         SQLPOINTER out, SQLSMALLINT size, SQLSMALLINT* length) {
    (void)type, (void)size, (void)length;
    return GetDiagField(h, record, field, out);
}

EXPORT SQLRETURN SQL_API SQLGetDiagFieldW(SQLSMALLINT type, SQLHANDLE h, SQLSMALLINT record,
                                          SQLSMALLINT field, SQLPOINTER out, SQLSMALLINT size,
                                          SQLSMALLINT* length) {
    (void)type, (void)size, (void)length;
    return GetDiagField(h, record, field, out);
}
