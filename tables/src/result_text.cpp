// The text of each result code of the entry point.
#include "tablib95.h"

extern "C" TABLIB_API const char* TablibResultText(int code) {
    if (code < 0) return "a request of the chain failed; its pack holds the code";
    switch (code) {
        case TL_OK:
            return "ok";
        case TL_E_FUNCTION:
            return "function code out of range";
        case TL_E_UNSUPPORTED:
            return "function not provided by this engine";
        case TL_E_NOT_STARTED:
            return "table engine not started";
        case TL_E_ARGUMENT:
            return "missing or invalid argument";
        case TL_E_HANDLE:
            return "unknown handle, or a handle of the wrong kind";
        case TL_E_TOO_MANY:
            return "no free handle";
        case TL_E_NOT_FOUND_FILE:
            return "file cannot be opened";
        case TL_E_EXISTS:
            return "data file exists already";
        case TL_E_CREATE:
            return "file cannot be created";
        case TL_E_IO:
            return "read or write failed";
        case TL_E_BAD_FILE:
            return "not a valid data or index file";
        case TL_E_READ_ONLY:
            return "file is open for reading only";
        case TL_E_RECORD:
            return "record number out of range";
        case TL_E_FIELDS:
            return "invalid field count or field descriptor";
        case TL_E_KEY_EXPR:
            return "key expression names no field of the table";
        case TL_E_KEY_NOT_FOUND:
            return "no such key";
        case TL_E_DUPLICATE:
            return "key already present in a unique index";
        case TL_E_MISMATCH:
            return "indexes of different data files in one chain";
        case TL_E_NOT_LOCKED:
            return "unlock without a lock";
        case TL_E_LOCK:
            return "lock could not be taken";
        case TL_W_DAMAGED:
            return "data file damaged; opened for reading only";
        case TL_W_OUT_OF_STEP:
            return "index out of step with its table; rebuild it";
        default:
            return "unknown result code";
    }
}
