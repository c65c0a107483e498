#include "catalogue/image_import.h"

#include <algorithm>

#include "settings/alerts.h"
#include "support/hex.h"

namespace kpx {

bool IsCataloguePage(std::string_view name) {
    return std::find(kCataloguePages.begin(), kCataloguePages.end(), name) != kCataloguePages.end();
}

std::optional<std::pair<int, int>> ParseRunName(std::string_view name) {
    auto address = [](std::string_view s) -> std::optional<int> {
        if (s.size() < 3 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X')) return std::nullopt;
        const auto v = ParseHexNumber(s.substr(2));
        if (!v || *v > kImageLast) return std::nullopt;
        return static_cast<int>(*v);
    };
    const std::size_t dash = name.find('-');
    const auto first = address(name.substr(0, dash));
    const auto last = dash == std::string_view::npos ? first : address(name.substr(dash + 1));
    if (!first || !last) return std::nullopt;
    return std::pair{*first, *last};
}

std::optional<std::string> ImageImport::GiveField(std::string_view page, const std::string& name,
                                                  FieldValue value) {
    const CatalogueField* f = FindField(name);
    if (!f || f->page != page) {
        return "unknown field \"" + name + "\" on the page \"" + std::string(page) + "\"";
    }
    fields_.push_back({f, std::move(value)});
    return std::nullopt;
}

std::optional<std::string> ImageImport::GiveUnnamed(
    const std::string& range, const std::optional<std::vector<std::uint8_t>>& bytes) {
    const auto addresses = ParseRunName(range);
    if (!addresses || !bytes) {
        return "unnamed bytes \"" + range + "\" expect \"0xAAA-0xBBB\": \"hex\"";
    }
    const UnnamedRun run{addresses->first, addresses->second, 0xFF, *bytes};
    if (std::string why = CheckUnnamedRun(run); !why.empty()) {
        return "unnamed bytes " + range + ": " + why;
    }
    // Two ranges over one address would leave which byte wins to their order.
    for (const UnnamedRun& other : unnamed_) {
        if (other.first <= run.last && run.first <= other.last) {
            return "unnamed bytes " + range + " overlap " + RunName(other.first, other.last);
        }
    }
    unnamed_.push_back(run);
    return std::nullopt;
}

ImportOutcome ImageImport::Build() const {
    ImportOutcome outcome;
    ImageBuild build = BuildImage(fields_, unnamed_);
    outcome.errors = build.errors;
    if (!outcome.errors.empty()) return outcome;
    outcome.settingsNotGiven = SettingsNotGiven();
    outcome.unnamedNotGiven = UnnamedNotGiven();
    outcome.notes = Notes(build);
    outcome.image = build.image;
    return outcome;
}

std::vector<std::string> ImageImport::SettingsNotGiven() const {
    std::vector<std::string> names;
    for (const CatalogueField& f : FieldCatalogue()) {
        const bool given = std::any_of(fields_.begin(), fields_.end(),
                                       [&](const FieldReading& r) { return r.field == &f; });
        if (!given) names.push_back(f.name);
    }
    return names;
}

std::vector<std::string> ImageImport::UnnamedNotGiven() const {
    std::vector<bool> given(kImageSize, false);
    for (const UnnamedRun& run : unnamed_) {
        for (int a = run.first; a <= run.last; ++a) given[static_cast<std::size_t>(a)] = true;
    }
    const ByteMasks named = NamedMasks();
    std::vector<std::string> runs;
    int missingFrom = -1;
    for (int a = 0; a <= kImageSize; ++a) {
        const bool missing = a < kImageSize && named[static_cast<std::size_t>(a)] != 0xFF &&
                             !given[static_cast<std::size_t>(a)];
        if (missing && missingFrom < 0) missingFrom = a;
        if (!missing && missingFrom >= 0) {
            runs.push_back(RunName(missingFrom, a - 1));
            missingFrom = -1;
        }
    }
    return runs;
}

std::vector<std::string> ImageImport::Notes(const ImageBuild& build) const {
    std::vector<std::string> notes;
    // The warning the window's battery writers give without refusing the value.
    const bool batteryGiven = std::any_of(fields_.begin(), fields_.end(), [](const auto& r) {
        return r.field->name.rfind("Battery Gauge Level-", 0) == 0;
    });
    if (batteryGiven && !BatteryLevelsInOrder(build.image)) notes.push_back(kBatteryOrderWarning);
    for (const UnnamedRun& run : build.overridden) {
        notes.push_back("unnamed bytes " + RunName(run.first, run.last) +
                        " keep the file's value; the fields' writers set " + HexBytes(run.bytes));
    }
    return notes;
}

}  // namespace kpx
