#include "data/result_codes.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstring>

namespace zelmora {

hresult map_sqlite_result(int sqlite_code, const char* message) {
    switch (sqlite_code & 0xFF) {
        case SQLITE_OK:
        case SQLITE_ROW:
            return S_OK_CODE;
        case SQLITE_DONE:
            return DB_S_ENDOFROWSET;
        case SQLITE_CANTOPEN:
        case SQLITE_NOTADB:
        case SQLITE_CORRUPT:
        case SQLITE_PERM:
        case SQLITE_AUTH:
            return E_FAIL_CODE;
        case SQLITE_ERROR:
            if (message != nullptr && std::strstr(message, "no such table") != nullptr) return DB_E_NOTABLE;
            return DB_E_ERRORSINCOMMAND;
        case SQLITE_NOMEM:
            return E_OUTOFMEMORY_CODE;
        case SQLITE_CONSTRAINT:
            return DB_E_INTEGRITYVIOLATION;
        case SQLITE_MISMATCH:
        case SQLITE_RANGE:
            return DB_E_UNSUPPORTEDCONVERSION;
        default:
            return make_hresult(0xA0000000u | static_cast<std::uint32_t>(sqlite_code & 0xFF));
    }
}

void append_oledb_error_text(hresult code, std::string& e) {
    char buffer[64];
    switch (static_cast<std::uint32_t>(code)) {
        case 0x80040E25u: e += "All HROWs must be released before new ones can be obtained.\r\n"; break;
        case 0x80040E04u: e += "Invalid row handle.\r\n"; break;
        case 0x8000FFFFu:
            e += "ITransaction::Commit or ITransaction::Abort was called and the object is in a zombie state.\r\n";
            break;
        case 0x80004002u: e += "No such interface supported.\r\n"; break;
        case 0x80004005u:
            std::snprintf(buffer, sizeof buffer, "Unspecified error: %lX\r\n",
                          static_cast<unsigned long>(static_cast<std::uint32_t>(code)));
            e += buffer;
            break;
        case 0x800401F0u: e += "CoInitialize has not been called.\r\n"; break;
        case 0x80040E00u: e += "hAccessor was invalid.\r\n"; break;
        case 0x80040E06u: e += "The rowset was chaptered and hChapter was invalid.\r\n"; break;
        case 0x80040E10u: e += "No value given for one or more required parameters.\r\n"; break;
        case 0x80040E1Du: e += "Requested conversion is not supported.\r\n"; break;
        case 0x80040E21u:
            e += "An error occurred while setting data for one or more columns and data was not successfully set "
                 "for any columns.\r\n";
            e += "To determine the columns for which values were invalid, the consumer checks the status values.\r\n";
            e += "For a list of status values that can be returned by this method, see \"Status Values Used When "
                 "Setting Data\" in \"Status\" in Chapter 6.\r\n";
            break;
        case 0x80040E55u: e += "Column does not exist.\r\n"; break;
        case 0x80040E2Fu: e += "A specified value violated the integrity constraints for a column or table.\r\n"; break;
        case 0x80040E37u: e += "The specified table does not exist.\r\n"; break;
        case 0x80040E4Bu: e += "The specified accessor was not a row accessor or was a reference accessor.\r\n"; break;
        case 0x80040E4Du: e += "Authentication failed.\r\n"; break;
        case 0x80040E4Eu: e += "The change was canceled during notification; no columns are changed.\r\n"; break;
        case 0x00040EC6u: e += "Reached start or end of rowset or chapter.\r\n"; break;
        case 0x8007000Eu:
            e += "The provider was unable to allocate sufficient memory in which to instantiate the row.\r\n";
            break;
        case 0x80070057u: e += "pData was a null pointer and hAccessor was not a null accessor.\r\n"; break;
        case 0x00040EDAu:
            e += "An error occurred while setting data for one or more columns, but data was successfully set for at "
                 "least one column.\r\n";
            break;
        default:
            std::snprintf(buffer, sizeof buffer, "Other error: %lX\r\n",
                          static_cast<unsigned long>(static_cast<std::uint32_t>(code)));
            e += buffer;
            break;
    }
}

}  // namespace zelmora
