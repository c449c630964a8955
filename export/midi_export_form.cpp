#include "export/midi_export_form.h"

#include <algorithm>
#include <charconv>

#include "platform/message_box.h"

namespace plume {

namespace {

std::optional<std::uint32_t> parseTimeBase(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    if (value < kMinTimeBase || value > kMaxTimeBase) return std::nullopt;
    return value;
}

}  // namespace

std::optional<MidiExportOptions> MidiExportForm::accept() const {
    MidiExportOptions options;
    options.format = format == 0 ? 0 : 1;
    if (timeBaseChoice >= 0 && timeBaseChoice < kOtherTimeBase) {
        options.timeBase = std::uint32_t(kTimeBaseChoices[std::size_t(timeBaseChoice)]);
    } else {
        const auto value = parseTimeBase(otherTimeBase);
        if (!value) {
            platform::messageBox().show(platform::formatMessage("%u から %u の範囲で入力して下さい。",
                                                                unsigned(kMinTimeBase), unsigned(kMaxTimeBase)));
            return std::nullopt;
        }
        options.timeBase = *value;
    }
    options.reset = DeviceReset(std::clamp(reset, 0, 2));
    options.restBar = restBar;
    return options;
}

}  // namespace plume
