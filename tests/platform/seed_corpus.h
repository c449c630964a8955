#pragma once
// The fuzzers' seed corpora: with PLUME_FUZZ_SEED_DIR set, a seed test writes its files there.

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/file_io.h"

namespace plume::test {

// Writes `bytes` as `name` into the corpus of `fuzzer`; without PLUME_FUZZ_SEED_DIR nothing is written.
inline bool writeSeed(const std::string& fuzzer, const std::string& name, std::span<const std::uint8_t> bytes) {
    const char* dir = std::getenv("PLUME_FUZZ_SEED_DIR");
    if (!dir) return true;
    const std::filesystem::path corpus = std::filesystem::path(dir) / fuzzer;
    std::filesystem::create_directories(corpus);
    return platform::writeFileAtomically(corpus / name, bytes);
}

}  // namespace plume::test
