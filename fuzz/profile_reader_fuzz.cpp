// Any text as an INI profile: reading every value is safe, and a write changes the one key it
// names, which then reads back, while every other key keeps its value.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/profile.h"

namespace {

// Names the fuzzer can meet in the text in any case; the last byte picks the ones to write.
constexpr std::string_view kSections[] = {"Plume", "Recent Project List", "Option", "a b"};
constexpr std::string_view kKeys[] = {"File1", "Tempo", "x", "Sound Module"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t pick = data[size - 1];
    plume::platform::MemoryProfile profile(std::string(reinterpret_cast<const char*>(data), size - 1));
    const std::string_view section = kSections[pick & 3];
    const std::string_view key = kKeys[(pick >> 2) & 3];
    const int value = int(pick) * 1000 - 77777;

    std::string before[4][4];
    for (std::size_t s = 0; s < 4; ++s)
        for (std::size_t k = 0; k < 4; ++k) {
            before[s][k] = profile.getString(kSections[s], kKeys[k], "\x01missing");
            (void)profile.getInt(kSections[s], kKeys[k], -1);
        }
    if (!profile.writeInt(section, key, value)) std::abort();
    if (profile.getInt(section, key, value + 1) != value) std::abort();
    if (profile.getString(section, key, "") != std::to_string(value)) std::abort();
    for (std::size_t s = 0; s < 4; ++s)
        for (std::size_t k = 0; k < 4; ++k) {
            if (kSections[s] == section && kKeys[k] == key) continue;
            if (profile.getString(kSections[s], kKeys[k], "\x01missing") != before[s][k]) std::abort();
        }
    // removing the section takes the written key with it, unless a second section of that name holds it too
    const std::string text = profile.text();
    if (!profile.removeSection(section)) std::abort();
    if (profile.text().size() >= text.size()) std::abort();
    return 0;
}
