#pragma once
// One open index: an on-disk B+tree of (key bytes, record number) over a field of a table.
// Every change runs between beginChange(), which sets the in-change mark in the header,
// and endChange(), which writes the new header with the mark cleared; an index found with
// the mark set, or reflecting another record count than its table, is out of step.

#include <cstdint>
#include <string>
#include <vector>

#include "file_io.h"
#include "index_layout.h"

namespace tablib {

class DbfTable;

class IndexFile {
  public:
    // Creates (or replaces) the index file and fills it from the table's records.
    static int create(const std::string& path, const char* expression, const DbfTable& table,
                      long flags, long pageSize);
    // Returns 0, TL_W_OUT_OF_STEP (usable only for rebuild) or an error code.
    int open(const std::string& path, bool writable, const DbfTable& table);

    const IndexHeader& header() const { return head_; }
    bool writable() const { return writable_; }
    size_t keyLength() const { return head_.keyLength; }
    bool unique() const { return (head_.keyFlags & 1) != 0; }
    // Copies the key of a record (deletion flag first) into `key`.
    void keyOf(const uint8_t* record, uint8_t* key) const;

    // The lowest record number holding this key, or TL_E_KEY_NOT_FOUND.
    int find(const uint8_t* key, uint32_t& recno, uint32_t tableCount);
    int insert(const uint8_t* key, uint32_t recno);
    // insert() and remove() run between beginChange() and endChange().
    // Removes the entry (key, recno), or with recno 0 the first entry of the key.
    int remove(const uint8_t* key, uint32_t recno);
    int rebuild(const DbfTable& table);

    // Refuses (TL_W_OUT_OF_STEP) an index that does not reflect `tableCount` records.
    int checkInStep(uint32_t tableCount);
    int beginChange(uint32_t tableCount);
    int endChange(uint32_t dataCount);
    // Marks the index out of step on disk (the table changed beneath it).
    int markOutOfStep();

  private:
    struct Position {
        uint32_t page = 0;
        int slot = 0;
    };
    int loadHeader();
    int setChanging();
    int writeHeader();
    bool readNode(uint32_t page, uint8_t* buf) const;
    bool writeNode(uint32_t page, const uint8_t* buf) const;
    size_t entrySize(const uint8_t* node) const;
    int compare(const uint8_t* entry, const uint8_t* key, uint32_t recno) const;
    // Number of entries of the node that are not above (key, recno).
    int countNotAbove(const uint8_t* node, const uint8_t* key, uint32_t recno) const;
    int lowerBound(const uint8_t* key, uint32_t recno, Position& at, uint8_t* leaf);
    int addToBranch(uint32_t page, int slot, const uint8_t* sep, uint32_t child, uint8_t* splitSep,
                    uint32_t& splitPage);
    int bulkLoad(std::vector<uint8_t>& entries, size_t count);

    std::string path_;
    File file_;
    IndexHeader head_;
    bool writable_ = false;
    bool outOfStep_ = false;
    std::vector<uint8_t> node_, other_, merged_;
};

}  // namespace tablib
