#include "play/play_report.h"

#include <array>

namespace plume {

namespace {

using Kind = PlayReport::Kind;

// The message numbers of the reports, in the order of Kind.
constexpr std::array<std::uint32_t, 9> kMessages = {0x84F, 0x85F, 0x860, 0x861, 0x862, 0x863, 0x864, 0x86A, 0x86B};

}  // namespace

platform::WindowMessage toWindowMessage(platform::WindowId window, const PlayReport& report) {
    return {window, kMessages[std::size_t(report.kind)], report.channel, report.value};
}

std::optional<PlayReport> playReportOf(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    for (std::size_t k = 0; k < kMessages.size(); ++k) {
        if (kMessages[k] == message) return PlayReport{Kind(k), std::uint8_t(wParam & 0x0F), int(lParam)};
    }
    return std::nullopt;
}

std::intptr_t PlayReportWindow::windowMessage(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam) {
    if (const auto report = playReportOf(message, wParam, lParam)) m_listener.playReport(*report);
    return lParam;
}

}  // namespace plume
