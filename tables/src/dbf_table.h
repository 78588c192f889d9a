#pragma once
// One open data file. Writes are ordered so that a process killed between any two of them
// leaves a file whose header count names only complete records:
//   append: record and end mark, then the header count;
//   write in place: the new image behind the end mark, the record, then the image dropped;
//   open:   a count that the file holds is kept, a kept image redone and anything behind
//           the counted records cut off.

#include <cstdint>
#include <string>

#include "dbf_layout.h"
#include "file_io.h"

namespace tablib {

class DbfTable {
  public:
    static int create(const std::string& path, uint8_t kind, const uint8_t* descriptors,
                      long count);
    // Returns 0, TL_W_DAMAGED (opened for reading only) or an error code.
    int open(const std::string& path, bool writable);

    const DbfLayout& layout() const { return layout_; }
    const std::string& path() const { return path_; }
    uint32_t count() const { return count_; }
    bool writable() const { return writable_; }
    uint32_t updateDate() const;

    // Record buffers hold recordLength bytes, the deletion flag first.
    int read(uint32_t recno, uint8_t* buf) const;
    // Reads `n` consecutive records from `first` on in one go.
    int readRun(uint32_t first, uint32_t n, uint8_t* buf) const;
    int append(const uint8_t* rec, uint32_t& recno);
    int write(uint32_t recno, const uint8_t* rec);
    int markDeleted(uint32_t recno);
    int pack(uint32_t& removed);
    int copyTo(const std::string& target) const;
    // Picks up records appended by another process.
    int refresh();
    // Opens the file anew after another handle replaced it (pack).
    int reopen();

  private:
    uint64_t offsetOf(uint32_t recno) const {
        return layout_.headerLength + uint64_t(recno - 1) * layout_.recordLength;
    }
    int checkWrite(uint32_t recno) const;
    int writeCount(uint32_t count);
    int recover(int64_t size);
    int redoJournal(uint64_t size, uint64_t end);

    std::string path_;
    File file_;
    DbfLayout layout_;
    uint32_t count_ = 0;
    bool writable_ = false;
};

}  // namespace tablib
