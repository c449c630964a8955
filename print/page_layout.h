#pragma once
// The page layout of printing: four margins in millimetres and the resolution factor "Reso", kept in
// the application profile (section "Print Layout"), and the rules of the page-layout dialog.

#include <optional>
#include <string>

namespace plume {

namespace platform {
class Profile;
}

inline constexpr const char* kPrintLayoutSection = "Print Layout";
inline constexpr int kMaxMargin = 50;  // mm
inline constexpr int kMinReso = 1;
inline constexpr int kMaxReso = 10;

struct PageLayout {
    int left = 20;    // mm
    int top = 20;
    int right = 0;
    int bottom = 0;
    int reso = 1;     // printer pixels per layout unit along the axis of lower resolution
    friend bool operator==(const PageLayout&, const PageLayout&) = default;
};

// The stored values (defaults for missing keys), as the dialog shows them.
PageLayout loadPageLayout(const platform::Profile& profile);
// Writes the five keys; the right margin goes under "right".
bool savePageLayout(platform::Profile& profile, const PageLayout& layout);
// The stored values brought into their ranges, so that a hand-edited profile cannot break a print.
PageLayout printingLayout(const platform::Profile& profile);

// The dialog's fields, in the order they are checked.
enum class PageLayoutField { Left, Right, Top, Bottom, Resolution };

// The texts of the dialog "ﾍﾟｰｼﾞﾚｱｳﾄの設定".
struct PageLayoutForm {
    std::string left;
    std::string top;
    std::string right;
    std::string bottom;
    std::string resolution;

    static PageLayoutForm of(const PageLayout& layout);

    // The first field (left, right, top, bottom, resolution) that is no whole number in its range, or
    // nullopt when all are.
    std::optional<PageLayoutField> firstFault() const;
    // OK: when a field is wrong, shows its message and returns it (the dialog stays open with the
    // focus there); otherwise writes the five values to the profile and returns nullopt.
    std::optional<PageLayoutField> accept(platform::Profile& profile) const;
    // Valid only when firstFault() is nullopt.
    PageLayout layout() const;
};

// "左を0から50の数値で入力してください。" and the others.
const char* pageLayoutMessage(PageLayoutField field);

}  // namespace plume
