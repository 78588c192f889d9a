#pragma once
// A look at a data file's own bytes before the engine opens it: records the file holds
// behind its header count. An append cut short leaves at most one record there, which the
// engine drops at a read-write open; more than one means the count itself is wrong, and
// cutting would throw persons away.

#include <cstdint>
#include <string>

namespace persons {

struct TableTail {
    bool readable = false;     // a dBASE header could be read
    std::uint32_t count = 0;   // the header's record count
    std::uint32_t behind = 0;  // whole records behind it that begin with a deletion flag
};

// Reads the header and the records behind the counted ones; readable is false for a
// missing, short or foreign file. Thread-safe (reads only).
TableTail inspectTable(const std::string& path);

// True when the records behind the count are more than one torn append can leave.
inline bool countIsShort(const TableTail& t) {
    return t.readable && t.behind >= 2;
}

// Raises the header count by t.behind so that those records count again. Returns 0, or
// TL_E_LOCK when another process holds the file's lock (a writer may be between its record
// and its count) or the file changed since t was taken, TL_E_IO when it cannot be written.
int raiseCount(const std::string& path, const TableTail& t);

}  // namespace persons
