#ifndef TABLIB95_H
#define TABLIB95_H
/* tablib95: xBase data files and their ordered indexes behind one entry point.
 *
 * A request pack is an array of pointer-sized words: word 0 the function code, word 1 the
 * status the engine sets, words 2... the arguments and results of the function. Texts are
 * addresses of zero-terminated strings; buffers are addresses in the caller's memory.
 *
 * Results: TABLIB returns a TlResult (TL_OK = 0 on success); TablibResultText gives the
 * text of a code.
 *
 * Ownership: packs, names, record and key buffers are the caller's memory, read and written
 * during the request only. Handles are the engine's until closed or the engine is shut
 * down; a handle left open is closed at shutdown.
 *
 * Threads: requests may come from any thread: the engine serialises them with a mutex of
 * its own. TL_LOCK/TL_DATA_LOCK locks belong to the calling thread and exclude other
 * threads and processes until unlocked; a lock request waits for them (up to 60 s, then
 * TL_E_LOCK).
 */

#include <stdint.h>

#if defined(__GNUC__)
#define TABLIB_API __attribute__((visibility("default")))
#else
#define TABLIB_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Runs one request, or a chain of them. Returns TL_OK, or the result code, which is also
 * stored in word 1 (TL_E_ARGUMENT for a NULL pack, which is not written). A chained request
 * that fails returns minus the 1-based position of the failing pack; that pack's word 1
 * holds the code. TL_W_DAMAGED and TL_W_OUT_OF_STEP come with a valid handle. */
TABLIB_API int TABLIB(intptr_t* pack);

/* The English text of a result code: a static string, never NULL. A negative code (a
 * failed chain) gives a text that says so; any other code that is not a TlResult gives
 * "unknown result code". Safe from any thread. */
TABLIB_API const char* TablibResultText(int code);

/* Function codes. */
enum {
    /* 2: handles wanted (0 = 100); out 3: handles, 4: version, 5: most fields,
       6: longest record */
    TL_START = 1,
    TL_SHUTDOWN = 2,
    TL_COPY = 6,    /* 2: data handle; 3: target file name */
    TL_CREATE = 20, /* 2: file name; 3: field count; 4: descriptors; 5: file kind */
    TL_OPEN = 21,   /* 2 (out): handle; 3: file name; 4: open mode */
    TL_CLOSE = 22,  /* 2: data handle */
    TL_INFO = 23,   /* 2: data handle; out: see TL_INFO_* */
    /* 2: file name; 3: key expression; 4: data handle; 5: key flags;
       9: page size (0 = 512) */
    TL_INDEX_CREATE = 30,
    TL_INDEX_OPEN = 31,  /* 2 (out): handle; 3: file name; 4: open mode; 5: data handle */
    TL_INDEX_CLOSE = 32, /* 2: index handle */
    TL_INDEX_INFO = 33,  /* 2: index handle; out: see TL_IINFO_* */
    TL_READ = 41,        /* 2: data handle; 3: record number; 4: record buffer */
    TL_APPEND = 42,      /* 2: data handle; 3 (out): record number; 4: record buffer */
    TL_WRITE = 43,       /* 2: data handle; 3: record number; 4: record buffer */
    TL_DELETE = 44,      /* 2: data handle; 3: record number */
    TL_PACK = 47,        /* 2: data handle */
    TL_FIND = 61,        /* 2: index handle; 3 (out): record number; 4: 0; 5: key */
    TL_KEY_DELETE = 66,  /* 2: index handle; 3: record number or 0 for the first; 4: 0; 5: key */
    /* chained: 2: index; 3: 0 / TL_CHAIN_NEXT; 4: record; 5: key buffer; 6: next pack */
    TL_INSERT = 75,
    /* chained: 2: index; 3: record number; 4: record; 5: key buffer; 6: next pack */
    TL_UPDATE = 76,
    TL_REINDEX = 77,     /* chained: 2: index; 5: key buffer; 6: next pack */
    TL_LOCK = 80,        /* chained, 8 words: 2: index; 3, 4, 5: 0; 7: next pack */
    TL_UNLOCK = 81,      /* chained as TL_LOCK with words 3 and 4 set to 1 */
    TL_DATA_LOCK = 84,   /* 2: data handle; 3..7: 0 */
    TL_DATA_UNLOCK = 85, /* 2: data handle; 3, 4: 1; 5..7: 0 */
    TL_LAST_FUNCTION = 113
};

/* Word 3 of the packs after the first in an insert chain. */
#define TL_CHAIN_NEXT ((intptr_t)0x80000000u)

/* Open modes: the low two bits choose the access; share bits (0x10..0x40) are accepted. */
enum { TL_MODE_READ = 0, TL_MODE_WRITE = 1, TL_MODE_READWRITE = 2, TL_MODE_SHARE = 0x20 };

/* Key flags of TL_INDEX_CREATE. */
enum {
    TL_KEY_UNIQUE = 1, /* refuse a second record with the same key */
    TL_KEY_CHAR = 2,   /* character key, blank padded by the caller */
    TL_KEY_BINARY = 4  /* raw bytes of the field, compared byte by byte */
};

/* Key types reported by TL_INDEX_INFO (below 3: the caller pads character keys). */
enum { TL_KEYTYPE_CHAR = 1, TL_KEYTYPE_BINARY = 4 };

/* Result words of TL_INFO. */
enum {
    TL_INFO_RECORDS = 3,       /* record count (deleted records included) */
    TL_INFO_FIELDS = 4,        /* field count */
    TL_INFO_RECORD_LENGTH = 5, /* record length including the deletion flag */
    TL_INFO_HEADER_LENGTH = 6, /* header length */
    TL_INFO_KIND = 7,          /* file-kind byte */
    TL_INFO_DATE = 8,          /* last update as YYYYMMDD */
    TL_INFO_READ_ONLY = 9      /* 1 when the file is open for reading only */
};

/* Result words of TL_INDEX_INFO. */
enum {
    TL_IINFO_KEY_LENGTH = 3,
    TL_IINFO_KEY_TYPE = 4,
    TL_IINFO_KEY_FLAGS = 5,
    TL_IINFO_KEYS = 6, /* number of keys held */
    TL_IINFO_PAGE_SIZE = 7,
    TL_IINFO_DATA = 8 /* handle of the data file it is bound to */
};

#define TL_ENGINE_VERSION 1000 /* shown as 1.000 */
#define TL_MAX_FIELDS 1024
#define TL_DEFAULT_HANDLES 100
#define TL_MAX_HANDLES 1024

/* Result codes. */
typedef enum TlResult {
    TL_OK = 0,
    TL_E_FUNCTION = 8300,       /* function code 0 or above 113 */
    TL_E_UNSUPPORTED = 8301,    /* function code not provided by this engine */
    TL_E_NOT_STARTED = 8302,    /* request before the engine was started */
    TL_E_ARGUMENT = 8303,       /* missing or invalid argument */
    TL_E_HANDLE = 8304,         /* unknown handle, or handle of the wrong kind */
    TL_E_TOO_MANY = 8305,       /* no free handle */
    TL_E_NOT_FOUND_FILE = 8310, /* file cannot be opened */
    TL_E_EXISTS = 8311,         /* data file already exists (never overwritten) */
    TL_E_CREATE = 8312,         /* file cannot be created */
    TL_E_IO = 8313,             /* read or write failed (disk full, device error) */
    TL_E_BAD_FILE = 8314,       /* not a valid data or index file */
    TL_E_READ_ONLY = 8315,      /* write request on a handle open for reading only */
    TL_E_RECORD = 8316,         /* record number out of range */
    TL_E_FIELDS = 8317,         /* invalid field count or field descriptor */
    TL_E_KEY_EXPR = 8320,       /* key expression names no field of the table */
    TL_E_KEY_NOT_FOUND = 8321,  /* no such key */
    TL_E_DUPLICATE = 8322,      /* key already present in a unique index */
    TL_E_MISMATCH = 8323,       /* chained packs on indexes of different data files */
    TL_E_NOT_LOCKED = 8330,     /* unlock without a matching lock by this thread */
    TL_E_LOCK = 8331,           /* lock could not be taken */
    TL_W_DAMAGED = 8701,        /* data file damaged: opened for reading only, handle valid */
    TL_W_OUT_OF_STEP = 8702     /* index does not match its table: handle valid, rebuild (77) */
} TlResult;

#ifdef __cplusplus
}
#endif

#endif /* TABLIB95_H */
