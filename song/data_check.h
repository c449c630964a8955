#pragma once
// The data check: finds and repairs inconsistent records.

#include <string>
#include <string_view>
#include <vector>

#include "song/song_record.h"

namespace plume {

// Groups repaired by each pass.
struct DataCheckCounts {
    int bySize = 0;
    int rf = 0;
    int gt = 0;
    int velocity = 0;
    int total() const { return bySize + rf + gt + velocity; }
};

// Runs the four passes over the records and repairs them in place.
DataCheckCounts checkRecords(MutableRecords records);
// The messages the check reports under `name`: one per pass that repaired something, or "No Error".
std::vector<std::string> dataCheckMessages(std::string_view name, const DataCheckCounts& counts);
// Checks, repairs and shows the messages through the message-box service.
DataCheckCounts runDataCheck(MutableRecords records, std::string_view name);

}  // namespace plume
