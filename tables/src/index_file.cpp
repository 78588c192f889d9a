#include "index_file.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "dbf_table.h"
#include "tablib95.h"
#include "wire.h"

namespace tablib {

namespace {
constexpr size_t kHeaderBytes = 64;
}

int IndexFile::create(const std::string& path, const char* expression, const DbfTable& table,
                      long flags, long pageSize) {
    if (expression == nullptr || flags < 0 || flags > 7 || pageSize < 0 ||
        static_cast<size_t>(pageSize) > kMaxPage)
        return TL_E_ARGUMENT;
    std::string name(expression);
    while (!name.empty() && name.back() == ' ') name.pop_back();
    while (!name.empty() && name.front() == ' ') name.erase(0, 1);
    const Field* field = name.size() <= 11 ? table.layout().find(name) : nullptr;
    if (field == nullptr) return TL_E_KEY_EXPR;

    IndexHeader h;
    h.keyLength = field->length;
    h.pageSize = static_cast<uint16_t>(pageSizeFor(static_cast<size_t>(pageSize), h.keyLength));
    h.keyFlags = static_cast<uint8_t>(flags);
    h.keyType = (flags & TL_KEY_BINARY) ? TL_KEYTYPE_BINARY : TL_KEYTYPE_CHAR;
    h.dataHeaderLength = table.layout().headerLength;
    h.dataRecordLength = table.layout().recordLength;
    h.keyOffset = static_cast<uint16_t>(field->offset);
    h.changing = 1;
    std::memcpy(h.expression, field->name.data(), field->name.size());

    // Header and one empty leaf, then the keys of the table's records.
    std::string bytes(2 * h.pageSize, '\0');
    encodeIndexHeader(h, reinterpret_cast<uint8_t*>(bytes.data()));
    bytes[h.pageSize] = static_cast<char>(kLeaf);
    if (!replaceFile(path, bytes, false)) return TL_E_CREATE;
    IndexFile index;
    if (int rc = index.open(path, true, table); rc != TL_OK && rc != TL_W_OUT_OF_STEP) return rc;
    return index.rebuild(table);
}

int IndexFile::open(const std::string& path, bool writable, const DbfTable& table) {
    path_ = path;
    file_ = File::open(path, writable);
    if (!file_.valid()) return TL_E_NOT_FOUND_FILE;
    writable_ = writable;
    uint8_t raw[kHeaderBytes];
    int64_t size = file_.size();
    if (size < static_cast<int64_t>(kHeaderBytes) || !file_.readAt(0, raw, sizeof raw))
        return TL_E_BAD_FILE;
    if (!decodeIndexHeader(raw, sizeof raw, head_)) return TL_E_BAD_FILE;
    if (uint64_t(head_.pageCount) * head_.pageSize > uint64_t(size)) return TL_E_BAD_FILE;
    const DbfLayout& t = table.layout();
    const Field* field = t.find(head_.expression);
    if (head_.dataHeaderLength != t.headerLength || head_.dataRecordLength != t.recordLength ||
        field == nullptr || field->offset != head_.keyOffset || field->length != head_.keyLength)
        return TL_E_BAD_FILE;
    node_.assign(head_.pageSize, 0);
    other_.assign(head_.pageSize, 0);
    merged_.assign(head_.pageSize + head_.keyLength + 8, 0);
    outOfStep_ = head_.changing != 0 || head_.dataCount != table.count();
    return outOfStep_ ? TL_W_OUT_OF_STEP : TL_OK;
}

void IndexFile::keyOf(const uint8_t* record, uint8_t* key) const {
    std::memcpy(key, record + head_.keyOffset, head_.keyLength);
}

int IndexFile::loadHeader() {
    uint8_t raw[kHeaderBytes];
    IndexHeader h;
    if (!file_.readAt(0, raw, sizeof raw)) return TL_E_IO;
    if (!decodeIndexHeader(raw, sizeof raw, h) || h.pageSize != head_.pageSize ||
        h.keyLength != head_.keyLength || h.keyOffset != head_.keyOffset)
        return TL_E_BAD_FILE;
    head_ = h;
    return TL_OK;
}

int IndexFile::writeHeader() {
    encodeIndexHeader(head_, other_.data());
    return file_.writeAt(0, other_.data(), kHeaderBytes) ? TL_OK : TL_E_IO;
}

int IndexFile::checkInStep(uint32_t tableCount) {
    if (int rc = loadHeader()) return rc;
    if (outOfStep_ || head_.changing || head_.dataCount != tableCount) {
        outOfStep_ = true;
        return TL_W_OUT_OF_STEP;
    }
    return TL_OK;
}

int IndexFile::beginChange(uint32_t tableCount) {
    if (!writable_) return TL_E_READ_ONLY;
    if (int rc = checkInStep(tableCount)) return rc;
    return setChanging();
}

int IndexFile::setChanging() {
    head_.changing = 1;
    return file_.writeAt(kChangingOffset, &head_.changing, 1) ? TL_OK : TL_E_IO;
}

int IndexFile::endChange(uint32_t dataCount) {
    head_.dataCount = dataCount;
    head_.changing = 0;
    return writeHeader();
}

int IndexFile::markOutOfStep() {
    outOfStep_ = true;
    if (!writable_) return TL_OK;
    uint8_t one = 1;
    return file_.writeAt(kChangingOffset, &one, 1) ? TL_OK : TL_E_IO;
}

bool IndexFile::readNode(uint32_t page, uint8_t* buf) const {
    if (page < 1 || page >= head_.pageCount) return false;
    if (!file_.readAt(uint64_t(page) * head_.pageSize, buf, head_.pageSize)) return false;
    uint16_t count = getU16(buf + 2);
    if (buf[0] == kLeaf) return count <= leafCapacity(head_.pageSize, head_.keyLength);
    if (buf[0] == kBranch) return count <= branchCapacity(head_.pageSize, head_.keyLength);
    return false;
}

bool IndexFile::writeNode(uint32_t page, const uint8_t* buf) const {
    return file_.writeAt(uint64_t(page) * head_.pageSize, buf, head_.pageSize);
}

size_t IndexFile::entrySize(const uint8_t* node) const {
    return head_.keyLength + (node[0] == kLeaf ? 4u : 8u);
}

int IndexFile::compare(const uint8_t* entry, const uint8_t* key, uint32_t recno) const {
    int c = std::memcmp(entry, key, head_.keyLength);
    if (c != 0) return c;
    uint32_t r = getU32(entry + head_.keyLength);
    return r < recno ? -1 : (r > recno ? 1 : 0);
}

int IndexFile::countNotAbove(const uint8_t* node, const uint8_t* key, uint32_t recno) const {
    size_t es = entrySize(node);
    int lo = 0, hi = getU16(node + 2);
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (compare(node + kNodeHeader + mid * es, key, recno) <= 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// Finds the first leaf entry at or above (key, recno); at.page is 0 past the last entry.
// The leaf is left in node_.
int IndexFile::lowerBound(const uint8_t* key, uint32_t recno, Position& at, uint8_t* leaf) {
    uint32_t page = head_.root;
    for (int depth = 0;; ++depth) {
        if (depth >= kMaxDepth || !readNode(page, leaf)) return TL_E_BAD_FILE;
        if (leaf[0] == kLeaf) break;
        int i = countNotAbove(leaf, key, recno);
        size_t es = entrySize(leaf);
        page = i == 0 ? getU32(leaf + 4)
                      : getU32(leaf + kNodeHeader + (i - 1) * es + head_.keyLength + 4);
    }
    // Entries strictly below the target come first.
    size_t es = entrySize(leaf);
    int count = getU16(leaf + 2);
    int lo = 0, hi = count;
    while (lo < hi) {
        int mid = (lo + hi) / 2;
        if (compare(leaf + kNodeHeader + mid * es, key, recno) < 0)
            lo = mid + 1;
        else
            hi = mid;
    }
    // Removals may leave leaves empty; walk on to the next entry.
    for (uint32_t steps = 0; lo == count; ++steps) {
        uint32_t next = getU32(leaf + 4);
        if (next == 0) {
            at.page = 0;
            return TL_OK;
        }
        if (steps > head_.pageCount || !readNode(next, leaf) || leaf[0] != kLeaf)
            return TL_E_BAD_FILE;
        page = next;
        lo = 0;
        count = getU16(leaf + 2);
    }
    at.page = page;
    at.slot = lo;
    return TL_OK;
}

int IndexFile::find(const uint8_t* key, uint32_t& recno, uint32_t tableCount) {
    if (int rc = checkInStep(tableCount)) return rc;
    Position at;
    if (int rc = lowerBound(key, 0, at, node_.data())) return rc;
    if (at.page == 0) return TL_E_KEY_NOT_FOUND;
    const uint8_t* e = node_.data() + kNodeHeader + at.slot * (head_.keyLength + 4);
    if (std::memcmp(e, key, head_.keyLength) != 0) return TL_E_KEY_NOT_FOUND;
    recno = getU32(e + head_.keyLength);
    return TL_OK;
}

int IndexFile::remove(const uint8_t* key, uint32_t recno) {
    Position at;
    if (int rc = lowerBound(key, recno, at, node_.data())) return rc;
    if (at.page == 0) return TL_E_KEY_NOT_FOUND;
    uint8_t* node = node_.data();
    size_t es = head_.keyLength + 4u;
    uint8_t* e = node + kNodeHeader + at.slot * es;
    if (std::memcmp(e, key, head_.keyLength) != 0 ||
        (recno != 0 && getU32(e + head_.keyLength) != recno))
        return TL_E_KEY_NOT_FOUND;
    uint16_t count = getU16(node + 2);
    std::memmove(e, e + es, (count - at.slot - 1) * es);
    putU16(node + 2, static_cast<uint16_t>(count - 1));
    if (!writeNode(at.page, node)) return TL_E_IO;
    if (head_.keyCount > 0) --head_.keyCount;
    return TL_OK;
}

int IndexFile::insert(const uint8_t* key, uint32_t recno) {
    Position path[kMaxDepth];
    int depth = 0;
    uint8_t* node = node_.data();
    uint32_t page = head_.root;
    for (;;) {
        if (depth >= kMaxDepth || !readNode(page, node)) return TL_E_BAD_FILE;
        if (node[0] == kLeaf) break;
        int i = countNotAbove(node, key, recno);
        path[depth++] = {page, i};
        size_t es = entrySize(node);
        page = i == 0 ? getU32(node + 4)
                      : getU32(node + kNodeHeader + (i - 1) * es + head_.keyLength + 4);
    }
    const size_t es = head_.keyLength + 4u;
    const int count = getU16(node + 2);
    int pos = countNotAbove(node, key, recno);
    if (pos > 0 && compare(node + kNodeHeader + (pos - 1) * es, key, recno) == 0)
        return TL_OK;  // already held
    uint8_t entry[255 + 8];
    std::memcpy(entry, key, head_.keyLength);
    putU32(entry + head_.keyLength, recno);
    ++head_.keyCount;

    if (static_cast<size_t>(count) < leafCapacity(head_.pageSize, head_.keyLength)) {
        uint8_t* at = node + kNodeHeader + pos * es;
        std::memmove(at + es, at, (count - pos) * es);
        std::memcpy(at, entry, es);
        putU16(node + 2, static_cast<uint16_t>(count + 1));
        return writeNode(page, node) ? TL_OK : TL_E_IO;
    }
    // Split the leaf: the upper half moves to a new page on its right.
    uint8_t* all = merged_.data();
    std::memcpy(all, node + kNodeHeader, pos * es);
    std::memcpy(all + pos * es, entry, es);
    std::memcpy(all + (pos + 1) * es, node + kNodeHeader + pos * es, (count - pos) * es);
    const int total = count + 1, left = total / 2;
    const uint32_t right = head_.pageCount++;
    uint8_t* r = other_.data();
    std::memset(r, 0, head_.pageSize);
    r[0] = kLeaf;
    putU16(r + 2, static_cast<uint16_t>(total - left));
    putU32(r + 4, getU32(node + 4));
    std::memcpy(r + kNodeHeader, all + left * es, (total - left) * es);
    std::memset(node + kNodeHeader, 0, head_.pageSize - kNodeHeader);
    std::memcpy(node + kNodeHeader, all, left * es);
    putU16(node + 2, static_cast<uint16_t>(left));
    putU32(node + 4, right);
    if (!writeNode(right, r) || !writeNode(page, node)) return TL_E_IO;

    uint8_t sep[255 + 4];
    std::memcpy(sep, r + kNodeHeader, es);
    uint32_t child = right;
    while (depth > 0) {
        --depth;
        uint8_t upSep[255 + 4];
        uint32_t upPage = 0;
        int rc = addToBranch(path[depth].page, path[depth].slot, sep, child, upSep, upPage);
        if (rc < 0) return TL_E_IO;
        if (rc == 0) return TL_OK;
        std::memcpy(sep, upSep, es);
        child = upPage;
    }
    // The root split: a new root over the two halves.
    const uint32_t root = head_.pageCount++;
    std::memset(node, 0, head_.pageSize);
    node[0] = kBranch;
    putU16(node + 2, 1);
    putU32(node + 4, head_.root);
    std::memcpy(node + kNodeHeader, sep, es);
    putU32(node + kNodeHeader + es, child);
    if (!writeNode(root, node)) return TL_E_IO;
    head_.root = root;
    return TL_OK;
}

// Adds (sep, child) as entry `slot` of a branch. Returns 0 when it fit, 1 when the branch
// split (the separator and page of the new right half are returned), -1 on a write error.
int IndexFile::addToBranch(uint32_t page, int slot, const uint8_t* sep, uint32_t child,
                           uint8_t* upSep, uint32_t& upPage) {
    uint8_t* node = node_.data();
    if (!readNode(page, node) || node[0] != kBranch) return -1;
    const size_t ks = head_.keyLength + 4u, es = ks + 4u;
    const int count = getU16(node + 2);
    uint8_t entry[255 + 8];
    std::memcpy(entry, sep, ks);
    putU32(entry + ks, child);
    if (static_cast<size_t>(count) < branchCapacity(head_.pageSize, head_.keyLength)) {
        uint8_t* at = node + kNodeHeader + slot * es;
        std::memmove(at + es, at, (count - slot) * es);
        std::memcpy(at, entry, es);
        putU16(node + 2, static_cast<uint16_t>(count + 1));
        return writeNode(page, node) ? 0 : -1;
    }
    uint8_t* all = merged_.data();
    std::memcpy(all, node + kNodeHeader, slot * es);
    std::memcpy(all + slot * es, entry, es);
    std::memcpy(all + (slot + 1) * es, node + kNodeHeader + slot * es, (count - slot) * es);
    const int total = count + 1, left = total / 2;
    // Entry `left` moves up; its child leads the new right branch.
    const uint8_t* middle = all + left * es;
    upPage = head_.pageCount++;
    uint8_t* r = other_.data();
    std::memset(r, 0, head_.pageSize);
    r[0] = kBranch;
    putU16(r + 2, static_cast<uint16_t>(total - left - 1));
    putU32(r + 4, getU32(middle + ks));
    std::memcpy(r + kNodeHeader, middle + es, (total - left - 1) * es);
    std::memcpy(upSep, middle, ks);
    std::memset(node + kNodeHeader, 0, head_.pageSize - kNodeHeader);
    std::memcpy(node + kNodeHeader, all, left * es);
    putU16(node + 2, static_cast<uint16_t>(left));
    if (!writeNode(upPage, r) || !writeNode(page, node)) return -1;
    return 1;
}

int IndexFile::rebuild(const DbfTable& table) {
    if (!writable_) return TL_E_READ_ONLY;
    if (int rc = loadHeader()) return rc;
    if (int rc = setChanging()) return rc;
    const size_t es = head_.keyLength + 4u;
    const size_t length = table.layout().recordLength;
    const uint32_t run = static_cast<uint32_t>(std::max<size_t>(1, (64 * 1024) / length));
    std::vector<uint8_t> records(size_t(run) * length);
    std::vector<uint8_t> keys;
    keys.reserve(size_t(table.count()) * es);
    size_t n = 0;
    for (uint64_t at = 1; at <= table.count(); at += run) {
        const uint32_t first = static_cast<uint32_t>(at);
        const uint32_t m = std::min(run, table.count() - first + 1);
        if (int rc = table.readRun(first, m, records.data())) return rc;
        for (uint32_t i = 0; i < m; ++i) {
            const uint8_t* record = records.data() + size_t(i) * length;
            if (record[0] == kDeleted) continue;  // deleted records carry no key
            keys.resize(keys.size() + es);
            uint8_t* e = keys.data() + n * es;
            keyOf(record, e);
            putU32(e + head_.keyLength, first + i);
            ++n;
        }
    }
    if (int rc = bulkLoad(keys, n)) return rc;
    outOfStep_ = false;
    return endChange(table.count());
}

// Writes the sorted entries as a packed tree from page 1 on.
int IndexFile::bulkLoad(std::vector<uint8_t>& keys, size_t n) {
    const size_t ks = head_.keyLength + 4u;
    std::vector<uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    std::sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) {
        const uint8_t* x = keys.data() + a * ks;
        return compare(x, keys.data() + b * ks, getU32(keys.data() + b * ks + head_.keyLength)) < 0;
    });
    if (unique()) {
        for (size_t i = 1; i < n; ++i)
            if (std::memcmp(keys.data() + order[i - 1] * ks, keys.data() + order[i] * ks,
                            head_.keyLength) == 0)
                return TL_E_DUPLICATE;
    }
    if (!file_.truncate(head_.pageSize)) return TL_E_IO;
    uint32_t next = 1;
    uint8_t* node = node_.data();
    const size_t leafCap = leafCapacity(head_.pageSize, head_.keyLength);
    const size_t branchCap = branchCapacity(head_.pageSize, head_.keyLength);
    size_t leaves = n == 0 ? 1 : (n + leafCap - 1) / leafCap;
    std::vector<uint8_t> firsts(leaves * ks);
    std::vector<uint32_t> pages(leaves);
    for (size_t j = 0; j < leaves; ++j) {
        size_t from = j * leafCap, to = std::min(n, from + leafCap);
        std::memset(node, 0, head_.pageSize);
        node[0] = kLeaf;
        putU16(node + 2, static_cast<uint16_t>(to - from));
        putU32(node + 4, j + 1 < leaves ? next + 1 : 0);
        for (size_t i = from; i < to; ++i)
            std::memcpy(node + kNodeHeader + (i - from) * ks, keys.data() + order[i] * ks, ks);
        if (to > from) std::memcpy(firsts.data() + j * ks, node + kNodeHeader, ks);
        pages[j] = next;
        if (!writeNode(next++, node)) return TL_E_IO;
    }
    const size_t es = ks + 4u;
    while (pages.size() > 1) {
        size_t groups = (pages.size() + branchCap) / (branchCap + 1);
        std::vector<uint8_t> upFirsts(groups * ks);
        std::vector<uint32_t> upPages(groups);
        for (size_t g = 0; g < groups; ++g) {
            size_t from = g * (branchCap + 1), to = std::min(pages.size(), from + branchCap + 1);
            std::memset(node, 0, head_.pageSize);
            node[0] = kBranch;
            putU16(node + 2, static_cast<uint16_t>(to - from - 1));
            putU32(node + 4, pages[from]);
            for (size_t i = from + 1; i < to; ++i) {
                uint8_t* e = node + kNodeHeader + (i - from - 1) * es;
                std::memcpy(e, firsts.data() + i * ks, ks);
                putU32(e + ks, pages[i]);
            }
            std::memcpy(upFirsts.data() + g * ks, firsts.data() + from * ks, ks);
            upPages[g] = next;
            if (!writeNode(next++, node)) return TL_E_IO;
        }
        firsts.swap(upFirsts);
        pages.swap(upPages);
    }
    head_.root = pages[0];
    head_.pageCount = next;
    head_.keyCount = static_cast<uint32_t>(n);
    return TL_OK;
}

}  // namespace tablib
