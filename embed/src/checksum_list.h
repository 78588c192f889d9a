// A list of SHA-256 sums in the format of sha256sum: "<64 hex digits>  <file name>" or
// "<64 hex digits> *<file name>", one a line; empty lines are skipped.
#ifndef OVEM_CHECKSUM_LIST_H
#define OVEM_CHECKSUM_LIST_H

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace ovem {

// File name -> lower-case hex sum; nullopt for a malformed line or a name listed twice.
using ChecksumList = std::map<std::string, std::string, std::less<>>;
std::optional<ChecksumList> parseChecksumList(std::string_view text);

}  // namespace ovem

#endif  // OVEM_CHECKSUM_LIST_H
