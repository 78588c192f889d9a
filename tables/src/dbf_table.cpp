#include "dbf_table.h"

#include <sys/file.h>

#include <vector>

#include "record_journal.h"
#include "tablib95.h"
#include "wire.h"

namespace tablib {

int DbfTable::create(const std::string& path, uint8_t kind, const uint8_t* descriptors,
                     long count) {
    std::vector<Field> fields;
    if (int rc = checkNewFields(descriptors, count, fields)) return rc;
    std::string bytes = buildHeader(kind, fields, 0);
    bytes.push_back(static_cast<char>(kFileEnd));
    if (!replaceFile(path, bytes, true)) {
        File probe = File::open(path, false);
        return probe.valid() ? TL_E_EXISTS : TL_E_CREATE;
    }
    return TL_OK;
}

int DbfTable::open(const std::string& path, bool writable) {
    path_ = path;
    file_ = File::open(path, writable);
    if (!file_.valid()) return TL_E_NOT_FOUND_FILE;
    writable_ = writable;
    int64_t size = file_.size();
    uint8_t fixed[kDbfHeaderSize];
    if (size < static_cast<int64_t>(kDbfHeaderSize) || !file_.readAt(0, fixed, sizeof fixed))
        return TL_E_BAD_FILE;
    if (int rc = parseFixedHeader(fixed, sizeof fixed, layout_)) return rc;
    if (size < layout_.headerLength) return TL_E_BAD_FILE;
    std::vector<uint8_t> header(layout_.headerLength);
    if (!file_.readAt(0, header.data(), header.size())) return TL_E_IO;
    if (int rc = parseDescriptors(header.data(), header.size(), layout_)) return rc;
    return recover(size);
}

// Reconciles the header count with the length of the file.
int DbfTable::recover(int64_t size) {
    uint64_t held = (uint64_t(size) - layout_.headerLength) / layout_.recordLength;
    if (layout_.count > held) {
        // Records the header counts are missing: the file was damaged, not interrupted.
        count_ = static_cast<uint32_t>(held);
        writable_ = false;
        return TL_W_DAMAGED;
    }
    count_ = layout_.count;
    uint64_t end = offsetOf(count_ + 1);
    uint8_t mark = 0;
    bool tidy = uint64_t(size) == end + 1 && file_.readAt(end, &mark, 1) && mark == kFileEnd;
    if (tidy || !writable_) return TL_OK;
    // An append that did not finish, or a missing end mark: cut back to the count. Only
    // while no one holds the file's lock, since a locked writer may be between its record
    // and its count right now.
    File guard = File::open(path_, false);
    if (!guard.valid() || ::flock(guard.fd(), LOCK_EX | LOCK_NB) != 0) return TL_OK;
    if (int rc = redoJournal(uint64_t(size), end)) return rc;
    if (!file_.truncate(end) || !file_.writeAt(end, &kFileEnd, 1)) return TL_E_IO;
    return TL_OK;
}

// A whole journal entry behind the end mark: the in-place write it belongs to may be torn.
int DbfTable::redoJournal(uint64_t size, uint64_t end) {
    const size_t want = layout_.recordLength + kJournalOverhead;
    if (size != end + 1 + want) return TL_OK;
    std::vector<uint8_t> entry(want);
    uint8_t mark = 0;
    if (!file_.readAt(end, &mark, 1) || mark != kFileEnd) return TL_OK;
    if (!file_.readAt(end + 1, entry.data(), want)) return TL_E_IO;
    uint32_t recno = 0;
    if (!readJournalEntry(entry.data(), want, layout_.recordLength, recno)) return TL_OK;
    if (recno < 1 || recno > count_) return TL_OK;
    return file_.writeAt(offsetOf(recno), entry.data() + 12, layout_.recordLength) ? TL_OK
                                                                                   : TL_E_IO;
}

uint32_t DbfTable::updateDate() const {
    return (1900u + layout_.year) * 10000u + layout_.month * 100u + layout_.day;
}

int DbfTable::refresh() {
    uint8_t b[4];
    if (!file_.readAt(4, b, 4)) return TL_E_IO;
    int64_t size = file_.size();
    if (size < layout_.headerLength) return TL_E_BAD_FILE;
    uint64_t held = (uint64_t(size) - layout_.headerLength) / layout_.recordLength;
    uint32_t c = getU32(b);
    count_ = c > held ? static_cast<uint32_t>(held) : c;
    return TL_OK;
}

int DbfTable::reopen() {
    File fresh = File::open(path_, writable_);
    if (!fresh.valid()) return TL_E_IO;
    file_ = std::move(fresh);
    return refresh();
}

int DbfTable::read(uint32_t recno, uint8_t* buf) const {
    if (recno < 1 || recno > count_) return TL_E_RECORD;
    return file_.readAt(offsetOf(recno), buf, layout_.recordLength) ? TL_OK : TL_E_IO;
}

int DbfTable::readRun(uint32_t first, uint32_t n, uint8_t* buf) const {
    if (first < 1 || n > count_ || first > count_ - n + 1) return TL_E_RECORD;
    return file_.readAt(offsetOf(first), buf, size_t(n) * layout_.recordLength) ? TL_OK : TL_E_IO;
}

int DbfTable::checkWrite(uint32_t recno) const {
    if (!writable_) return TL_E_READ_ONLY;
    if (recno < 1 || recno > count_) return TL_E_RECORD;
    return TL_OK;
}

int DbfTable::writeCount(uint32_t count) {
    uint8_t h[8] = {};
    stampDate(h);
    putU32(h + 4, count);
    // Date and count in one write: bytes 1..7 of the header.
    if (!file_.writeAt(1, h + 1, 7)) return TL_E_IO;
    layout_.year = h[1];
    layout_.month = h[2];
    layout_.day = h[3];
    layout_.count = count;
    return TL_OK;
}

int DbfTable::append(const uint8_t* rec, uint32_t& recno) {
    if (!writable_) return TL_E_READ_ONLY;
    if (count_ == UINT32_MAX) return TL_E_RECORD;
    std::vector<uint8_t> buf(rec, rec + layout_.recordLength);
    buf[0] = buf[0] == kDeleted ? kDeleted : kLive;
    buf.push_back(kFileEnd);
    if (!file_.writeAt(offsetOf(count_ + 1), buf.data(), buf.size())) return TL_E_IO;
    if (int rc = writeCount(count_ + 1)) return rc;
    recno = ++count_;
    return TL_OK;
}

int DbfTable::write(uint32_t recno, const uint8_t* rec) {
    if (int rc = checkWrite(recno)) return rc;
    std::vector<uint8_t> buf(rec, rec + layout_.recordLength);
    buf[0] = buf[0] == kDeleted ? kDeleted : kLive;
    // New image behind the end mark first, then in place, then the image dropped again.
    const uint64_t end = offsetOf(count_ + 1) + 1;
    std::vector<uint8_t> entry = journalEntry(recno, buf.data(), buf.size());
    bool ok = file_.writeAt(end, entry.data(), entry.size()) &&
              file_.writeAt(offsetOf(recno), buf.data(), buf.size());
    int rc = ok ? writeCount(count_) : TL_E_IO;
    if (!file_.truncate(end) && rc == TL_OK) rc = TL_E_IO;
    return rc;
}

int DbfTable::markDeleted(uint32_t recno) {
    if (int rc = checkWrite(recno)) return rc;
    if (!file_.writeAt(offsetOf(recno), &kDeleted, 1)) return TL_E_IO;
    return writeCount(count_);
}

int DbfTable::copyTo(const std::string& target) const {
    std::string bytes(offsetOf(count_ + 1), '\0');
    if (!file_.readAt(0, bytes.data(), bytes.size())) return TL_E_IO;
    putU32(reinterpret_cast<uint8_t*>(bytes.data()) + 4, count_);
    bytes.push_back(static_cast<char>(kFileEnd));
    return replaceFile(target, bytes, false) ? TL_OK : TL_E_CREATE;
}

int DbfTable::pack(uint32_t& removed) {
    if (!writable_) return TL_E_READ_ONLY;
    std::string all(offsetOf(count_ + 1), '\0');
    if (!file_.readAt(0, all.data(), all.size())) return TL_E_IO;
    std::string out = all.substr(0, layout_.headerLength);
    uint32_t kept = 0;
    for (uint32_t n = 1; n <= count_; ++n) {
        size_t at = offsetOf(n);
        if (static_cast<uint8_t>(all[at]) == kDeleted) continue;
        out.append(all, at, layout_.recordLength);
        ++kept;
    }
    removed = count_ - kept;
    if (removed == 0) return TL_OK;
    auto* h = reinterpret_cast<uint8_t*>(out.data());
    stampDate(h);
    putU32(h + 4, kept);
    out.push_back(static_cast<char>(kFileEnd));
    // The packed table replaces the old one in a single rename.
    if (!replaceFile(path_, out, false)) return TL_E_IO;
    File fresh = File::open(path_, true);
    if (!fresh.valid()) return TL_E_IO;
    file_ = std::move(fresh);
    layout_.count = kept;
    layout_.year = h[1];
    layout_.month = h[2];
    layout_.day = h[3];
    count_ = kept;
    return TL_OK;
}

}  // namespace tablib
