#include "print/page_layout.h"

#include <algorithm>
#include <charconv>
#include <string_view>

#include "platform/message_box.h"
#include "platform/profile.h"

namespace plume {

namespace {

constexpr const char* kLeftKey = "Left";
constexpr const char* kTopKey = "Up";
constexpr const char* kRightKey = "right";  // written in small letters; read without regard to case
constexpr const char* kBottomKey = "Down";
constexpr const char* kResoKey = "Reso";

// A whole number with spaces around it and an optional sign; nothing else.
std::optional<int> wholeNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

bool inRange(const std::string& text, int low, int high) {
    const auto value = wholeNumber(text);
    return value && *value >= low && *value <= high;
}

}  // namespace

PageLayout loadPageLayout(const platform::Profile& profile) {
    const PageLayout defaults;
    return {profile.getInt(kPrintLayoutSection, kLeftKey, defaults.left),
            profile.getInt(kPrintLayoutSection, kTopKey, defaults.top),
            profile.getInt(kPrintLayoutSection, kRightKey, defaults.right),
            profile.getInt(kPrintLayoutSection, kBottomKey, defaults.bottom),
            profile.getInt(kPrintLayoutSection, kResoKey, defaults.reso)};
}

bool savePageLayout(platform::Profile& profile, const PageLayout& layout) {
    bool ok = profile.writeInt(kPrintLayoutSection, kLeftKey, layout.left);
    ok = profile.writeInt(kPrintLayoutSection, kTopKey, layout.top) && ok;
    ok = profile.writeInt(kPrintLayoutSection, kRightKey, layout.right) && ok;
    ok = profile.writeInt(kPrintLayoutSection, kBottomKey, layout.bottom) && ok;
    return profile.writeInt(kPrintLayoutSection, kResoKey, layout.reso) && ok;
}

PageLayout printingLayout(const platform::Profile& profile) {
    PageLayout layout = loadPageLayout(profile);
    for (int* margin : {&layout.left, &layout.top, &layout.right, &layout.bottom})
        *margin = std::clamp(*margin, 0, kMaxMargin);
    layout.reso = std::clamp(layout.reso, kMinReso, kMaxReso);
    return layout;
}

PageLayoutForm PageLayoutForm::of(const PageLayout& layout) {
    return {std::to_string(layout.left), std::to_string(layout.top), std::to_string(layout.right),
            std::to_string(layout.bottom), std::to_string(layout.reso)};
}

std::optional<PageLayoutField> PageLayoutForm::firstFault() const {
    if (!inRange(left, 0, kMaxMargin)) return PageLayoutField::Left;
    if (!inRange(right, 0, kMaxMargin)) return PageLayoutField::Right;
    if (!inRange(top, 0, kMaxMargin)) return PageLayoutField::Top;
    if (!inRange(bottom, 0, kMaxMargin)) return PageLayoutField::Bottom;
    if (!inRange(resolution, kMinReso, kMaxReso)) return PageLayoutField::Resolution;
    return std::nullopt;
}

std::optional<PageLayoutField> PageLayoutForm::accept(platform::Profile& profile) const {
    if (const auto fault = firstFault()) {
        platform::messageBox().show(pageLayoutMessage(*fault));
        return fault;
    }
    savePageLayout(profile, layout());
    return std::nullopt;
}

PageLayout PageLayoutForm::layout() const {
    auto value = [](const std::string& text) { return wholeNumber(text).value_or(0); };
    return {value(left), value(top), value(right), value(bottom), value(resolution)};
}

const char* pageLayoutMessage(PageLayoutField field) {
    switch (field) {
    case PageLayoutField::Left: return "左を0から50の数値で入力してください。";
    case PageLayoutField::Right: return "右を0から50の数値で入力してください。";
    case PageLayoutField::Top: return "上を0から50の数値で入力してください。";
    case PageLayoutField::Bottom: return "下を0から50の数値で入力してください。";
    case PageLayoutField::Resolution: break;
    }
    return "分解能を1から10の数値で入力してください。";
}

}  // namespace plume
