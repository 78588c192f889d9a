#pragma once
// The dBASE III data-file header: 32 bytes, one 32-byte descriptor per field, then 0x0D.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tablib {

inline constexpr size_t kDbfHeaderSize = 32;
inline constexpr size_t kDescriptorSize = 32;
inline constexpr uint8_t kHeaderEnd = 0x0D;
inline constexpr uint8_t kFileEnd = 0x1A;
inline constexpr uint8_t kLive = ' ';
inline constexpr uint8_t kDeleted = '*';

struct Field {
    std::string name;  // up to 11 characters
    char type = 'C';
    uint8_t length = 0;
    uint8_t decimals = 0;
    uint32_t offset = 0;  // within the record; the deletion flag is byte 0
};

struct DbfLayout {
    uint8_t kind = 3;
    uint8_t year = 0, month = 1, day = 1;  // last update, year since 1900
    uint32_t count = 0;
    uint16_t headerLength = 0;
    uint16_t recordLength = 0;
    std::vector<Field> fields;

    const Field* find(const std::string& name) const;
};

// Parses the fixed 32 bytes. Returns 0 or a result code.
int parseFixedHeader(const uint8_t* bytes, size_t n, DbfLayout& out);

// Parses the descriptors of a whole header (headerLength bytes) already checked by
// parseFixedHeader; checks the terminator and that the fields fill the record.
int parseDescriptors(const uint8_t* header, size_t n, DbfLayout& out);

// Checks a caller's descriptor array for create: names, types and lengths a table can hold.
int checkNewFields(const uint8_t* descriptors, long count, std::vector<Field>& out);

// The header bytes of a table with these fields and `count` records, dated today.
std::string buildHeader(uint8_t kind, const std::vector<Field>& fields, uint32_t count);

// Writes today's date into bytes 1..3 of a header image.
void stampDate(uint8_t* header);

}  // namespace tablib
