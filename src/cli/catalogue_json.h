#pragma once

#include <optional>
#include <string>
#include <vector>

#include "image/pager_image.h"

namespace kpx::cli {

// The JSON form of an image: one object per page holding its named fields, and the unnamed
// bytes as hex ("unnamed bytes": {"0x004-0x009": "00 01 42 04 00 00", ...}). Texts are UTF-8.
// The schema is docs/image.schema.json.
inline constexpr const char* kJsonFormatKey = "kpx41-image";
inline constexpr const char* kJsonUnnamedKey = "unnamed bytes";

// Everything, for export: import of this text gives back the same 1024 bytes.
std::string ExportJson(const PagerImage& image);
// The named fields only, as a dump shows them (secret fields masked unless showSecrets).
std::string DumpJson(const PagerImage& image, bool showSecrets);

// The JSON schema of that form, from the catalogue (docs/image.schema.json holds a copy).
std::string SchemaJson();

struct JsonImport {
    std::optional<PagerImage> image;  // set only when nothing was refused
    // "LINE: what" for every refusal: unknown pages, fields and bytes, wrong values.
    std::vector<std::string> errors;
    // What the import did on its own: omitted fields and bytes, kept bytes a writer differed on.
    std::vector<std::string> notes;
};
JsonImport ImportJson(const std::string& text);

}  // namespace kpx::cli
