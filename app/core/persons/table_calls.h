#pragma once
// The table engine's requests the person database makes, each as one call that builds the
// request pack and returns the result code (for chained requests the failing pack's code).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace persons {

// The engine's entry point; tests put a wrapper in front of it.
using EngineEntry = std::function<int(std::intptr_t* pack)>;
EngineEntry defaultEngine();

class TableCalls {
  public:
    explicit TableCalls(EngineEntry entry) : entry_(std::move(entry)) {}

    // Starts the engine; version receives its version number (value / 1000 . value % 1000).
    int start(std::uint32_t& version);
    int shutDown();

    int create(const std::string& path, const std::vector<std::uint8_t>& descriptors);
    // Read-write (shared) unless writable is false, then for reading only.
    int open(const std::string& path, std::intptr_t& handle, bool writable = true);
    int close(std::intptr_t handle);
    int info(std::intptr_t handle, std::uint32_t& count, std::uint32_t& recordLength,
             std::uint32_t& fields);
    int copy(std::intptr_t handle, const std::string& target);
    int read(std::intptr_t handle, std::uint32_t recno, std::uint8_t* record);
    int append(std::intptr_t handle, const std::uint8_t* record, std::uint32_t& recno);
    int write(std::intptr_t handle, std::uint32_t recno, const std::uint8_t* record);
    int markDeleted(std::intptr_t handle, std::uint32_t recno);
    int pack(std::intptr_t handle);
    int lockData(std::intptr_t handle);
    int unlockData(std::intptr_t handle);

    int createIndex(const std::string& path, const char* expression, std::intptr_t data,
                    int keyFlags);
    int openIndex(const std::string& path, std::intptr_t data, std::intptr_t& handle,
                  bool writable = true);
    int closeIndex(std::intptr_t handle);
    int indexInfo(std::intptr_t handle, std::uint32_t& keyLength, std::uint32_t& keyType,
                  std::uint32_t& keys);
    int find(std::intptr_t index, const std::uint8_t* key, std::uint32_t& recno);
    int deleteKey(std::intptr_t index, std::uint32_t recno, const std::uint8_t* key);

    // Chained over the two indexes of one table.
    int insert(const std::intptr_t (&indexes)[2], const std::uint8_t* record, std::uint32_t& recno);
    int update(const std::intptr_t (&indexes)[2], std::uint32_t recno, const std::uint8_t* record);
    int reindex(const std::intptr_t (&indexes)[2]);
    int reindexOne(std::intptr_t index);
    int lock(const std::intptr_t (&indexes)[2]);
    int unlock(const std::intptr_t (&indexes)[2]);

  private:
    static constexpr std::size_t kWords = 12;
    using Pack = std::intptr_t[kWords];
    int call(std::intptr_t* pack);
    // Runs a chain of packs linked through word `next`; the failing pack's code.
    int chain(Pack* packs, std::size_t n, int next);

    EngineEntry entry_;
};

}  // namespace persons
