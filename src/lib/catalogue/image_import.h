#pragma once

// An image put together from named fields and unnamed byte runs as an import gives them (from
// any text form): each piece is checked against the catalogue as it comes, then the image is
// built and what was left out is told.

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "catalogue/field_catalogue.h"

namespace kpx {

bool IsCataloguePage(std::string_view name);
// "0x004-0x009" or "0x036", as RunName writes them; nothing for anything else.
std::optional<std::pair<int, int>> ParseRunName(std::string_view name);

struct ImportOutcome {
    std::optional<PagerImage> image;  // set only when no field was refused
    std::vector<FieldError> errors;
    // The settings and unnamed byte ranges not given: they keep the start image's.
    std::vector<std::string> settingsNotGiven;
    std::vector<std::string> unnamedNotGiven;  // "0x3D8-0x3EF"
    // What the fields' writers warn about without refusing, and unnamed bytes kept from the
    // import where those writers would have set others.
    std::vector<std::string> notes;
};

class ImageImport {
  public:
    // Each returns the refusal, or nothing when the piece is taken.
    std::optional<std::string> GiveField(std::string_view page, const std::string& name,
                                         FieldValue value);
    // `bytes` is nothing when the value was not hex.
    std::optional<std::string> GiveUnnamed(const std::string& range,
                                           const std::optional<std::vector<std::uint8_t>>& bytes);

    ImportOutcome Build() const;

  private:
    std::vector<std::string> SettingsNotGiven() const;
    std::vector<std::string> UnnamedNotGiven() const;
    std::vector<std::string> Notes(const ImageBuild& build) const;

    std::vector<FieldReading> fields_;
    std::vector<UnnamedRun> unnamed_;
};

}  // namespace kpx
