#include "dbf_layout.h"

#include <cctype>
#include <cstring>
#include <ctime>

#include "tablib95.h"
#include "wire.h"

namespace tablib {

const Field* DbfLayout::find(const std::string& name) const {
    for (const Field& f : fields) {
        if (f.name.size() != name.size()) continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = std::toupper(static_cast<unsigned char>(f.name[i])) ==
                   std::toupper(static_cast<unsigned char>(name[i]));
        if (same) return &f;
    }
    return nullptr;
}

int parseFixedHeader(const uint8_t* b, size_t n, DbfLayout& out) {
    if (n < kDbfHeaderSize) return TL_E_BAD_FILE;
    out.kind = b[0];
    out.year = b[1];
    out.month = b[2];
    out.day = b[3];
    out.count = getU32(b + 4);
    out.headerLength = getU16(b + 8);
    out.recordLength = getU16(b + 10);
    // At least one descriptor and the terminator.
    if (out.headerLength < kDbfHeaderSize + kDescriptorSize + 1) return TL_E_BAD_FILE;
    if (out.recordLength < 2) return TL_E_BAD_FILE;
    return TL_OK;
}

static Field readDescriptor(const uint8_t* d) {
    Field f;
    size_t len = 0;
    while (len < 11 && d[len] != 0) ++len;
    f.name.assign(reinterpret_cast<const char*>(d), len);
    f.type = static_cast<char>(d[11]);
    f.length = d[16];
    f.decimals = d[17];
    return f;
}

int parseDescriptors(const uint8_t* h, size_t n, DbfLayout& out) {
    out.fields.clear();
    size_t pos = kDbfHeaderSize;
    uint32_t offset = 1;
    while (true) {
        if (pos >= n) return TL_E_BAD_FILE;  // no terminator inside the header
        if (h[pos] == kHeaderEnd) break;
        if (pos + kDescriptorSize > n) return TL_E_BAD_FILE;
        if (out.fields.size() >= TL_MAX_FIELDS) return TL_E_BAD_FILE;
        Field f = readDescriptor(h + pos);
        if (f.name.empty() || f.length == 0) return TL_E_BAD_FILE;
        f.offset = offset;
        offset += f.length;
        out.fields.push_back(std::move(f));
        pos += kDescriptorSize;
    }
    if (out.fields.empty() || offset != out.recordLength) return TL_E_BAD_FILE;
    return TL_OK;
}

int checkNewFields(const uint8_t* d, long count, std::vector<Field>& out) {
    if (d == nullptr || count < 1 || count > TL_MAX_FIELDS) return TL_E_FIELDS;
    out.clear();
    uint32_t offset = 1;
    for (long i = 0; i < count; ++i) {
        Field f = readDescriptor(d + i * kDescriptorSize);
        if (f.name.empty()) return TL_E_FIELDS;
        for (char c : f.name)
            if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return TL_E_FIELDS;
        f.type = static_cast<char>(std::toupper(static_cast<unsigned char>(f.type)));
        bool ok = false;
        switch (f.type) {
            case 'C':
                ok = f.length >= 1;
                break;
            case 'N':
            case 'F':
                ok = f.length >= 1 && f.length <= 20 && f.decimals < f.length;
                break;
            case 'D':
                ok = f.length == 8;
                break;
            case 'L':
                ok = f.length == 1;
                break;
            default:
                ok = false;
        }
        if (!ok) return TL_E_FIELDS;
        if (f.type != 'N' && f.type != 'F') f.decimals = 0;
        for (const Field& g : out)
            if (g.name == f.name) return TL_E_FIELDS;
        f.offset = offset;
        offset += f.length;
        if (offset > 0xFFFF) return TL_E_FIELDS;
        out.push_back(std::move(f));
    }
    return TL_OK;
}

void stampDate(uint8_t* header) {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    header[1] = static_cast<uint8_t>(tm.tm_year);
    header[2] = static_cast<uint8_t>(tm.tm_mon + 1);
    header[3] = static_cast<uint8_t>(tm.tm_mday);
}

std::string buildHeader(uint8_t kind, const std::vector<Field>& fields, uint32_t count) {
    size_t headerLength = kDbfHeaderSize + kDescriptorSize * fields.size() + 1;
    std::string out(headerLength, '\0');
    auto* h = reinterpret_cast<uint8_t*>(out.data());
    h[0] = kind;
    stampDate(h);
    putU32(h + 4, count);
    uint32_t recordLength = 1;
    for (const Field& f : fields) recordLength += f.length;
    putU16(h + 8, static_cast<uint16_t>(headerLength));
    putU16(h + 10, static_cast<uint16_t>(recordLength));
    uint8_t* d = h + kDbfHeaderSize;
    for (const Field& f : fields) {
        std::memcpy(d, f.name.data(), f.name.size());
        d[11] = static_cast<uint8_t>(f.type);
        d[16] = f.length;
        d[17] = f.decimals;
        d += kDescriptorSize;
    }
    *d = kHeaderEnd;
    return out;
}

}  // namespace tablib
