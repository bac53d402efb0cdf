#pragma once
// Result codes of the premium database layer. They keep the numbering of the
// OLE DB interface whose texts the error lists show; SQLite results are mapped
// onto them by map_sqlite_result.
#include <cstdint>
#include <string>

namespace zelmora {

using hresult = std::int32_t;

constexpr hresult make_hresult(std::uint32_t code) { return static_cast<hresult>(code); }

inline constexpr hresult S_OK_CODE = 0;
inline constexpr hresult DB_E_ROWSNOTRELEASED = make_hresult(0x80040E25u);
inline constexpr hresult DB_E_BADROWHANDLE = make_hresult(0x80040E04u);
inline constexpr hresult E_UNEXPECTED_CODE = make_hresult(0x8000FFFFu);
inline constexpr hresult E_NOINTERFACE_CODE = make_hresult(0x80004002u);
inline constexpr hresult E_FAIL_CODE = make_hresult(0x80004005u);
inline constexpr hresult CO_E_NOTINITIALIZED_CODE = make_hresult(0x800401F0u);
inline constexpr hresult DB_E_BADACCESSORHANDLE = make_hresult(0x80040E00u);
inline constexpr hresult DB_E_BADCHAPTER = make_hresult(0x80040E06u);
inline constexpr hresult DB_E_PARAMNOTOPTIONAL = make_hresult(0x80040E10u);
inline constexpr hresult DB_E_UNSUPPORTEDCONVERSION = make_hresult(0x80040E1Du);
inline constexpr hresult DB_E_ERRORSOCCURRED = make_hresult(0x80040E21u);
inline constexpr hresult DB_E_BADORDINAL = make_hresult(0x80040E55u);
inline constexpr hresult DB_E_INTEGRITYVIOLATION = make_hresult(0x80040E2Fu);
inline constexpr hresult DB_E_NOTABLE = make_hresult(0x80040E37u);
inline constexpr hresult DB_E_BADACCESSORTYPE = make_hresult(0x80040E4Bu);
inline constexpr hresult DB_SEC_E_AUTH_FAILED = make_hresult(0x80040E4Du);
inline constexpr hresult DB_E_CANCELED = make_hresult(0x80040E4Eu);
inline constexpr hresult DB_S_ENDOFROWSET = make_hresult(0x00040EC6u);
inline constexpr hresult E_OUTOFMEMORY_CODE = make_hresult(0x8007000Eu);
inline constexpr hresult E_INVALIDARG_CODE = make_hresult(0x80070057u);
inline constexpr hresult DB_S_ERRORSOCCURRED = make_hresult(0x00040EDAu);
// A command the database could not run (syntax, unknown column); not in the
// table of texts, so it reads "Other error: 80040E14".
inline constexpr hresult DB_E_ERRORSINCOMMAND = make_hresult(0x80040E14u);

// True for S_OK alone. DB_S_ENDOFROWSET and the other success codes that carry
// information end a loop or a read as a failure does, so every comparison of a
// result code goes through here.
constexpr bool is_ok(hresult code) { return code == S_OK_CODE; }

// Maps a SQLite result code (and, for SQLITE_ERROR, its message) onto the codes above:
//   SQLITE_OK, SQLITE_ROW                         -> 0
//   SQLITE_DONE (no more rows)                    -> DB_S_ENDOFROWSET
//   SQLITE_CANTOPEN, SQLITE_NOTADB, SQLITE_CORRUPT,
//   SQLITE_PERM, SQLITE_AUTH                      -> E_FAIL ("Unspecified error: 80004005")
//   SQLITE_ERROR with "no such table"             -> DB_E_NOTABLE
//   SQLITE_ERROR otherwise                        -> DB_E_ERRORSINCOMMAND ("Other error: 80040E14")
//   SQLITE_NOMEM                                  -> E_OUTOFMEMORY
//   SQLITE_CONSTRAINT                             -> DB_E_INTEGRITYVIOLATION
//   SQLITE_MISMATCH, SQLITE_RANGE                 -> DB_E_UNSUPPORTEDCONVERSION
//   anything else (busy, locked, read-only, I/O)  -> 0xA0000000 | primary code, shown as "Other error: %lX"
// Columns that a record cannot bind or convert are reported by the record layer
// itself as DB_E_BADORDINAL or DB_E_UNSUPPORTEDCONVERSION.
hresult map_sqlite_result(int sqlite_code, const char* message = nullptr);

// Appends the fixed text for a result code (each text ends in "\r\n").
void append_oledb_error_text(hresult code, std::string& error_text);

}  // namespace zelmora
