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
    // Set when the text is no JSON at all: "line L, column C: expected X, found Y".
    std::string notJson;
    // "LINE: what" for every refusal: unknown pages, fields and bytes, wrong values.
    std::vector<std::string> errors;
    // The settings and unnamed byte ranges the text leaves out: they keep the start image's.
    std::vector<std::string> settingsNotGiven;
    std::vector<std::string> unnamedNotGiven;  // "0x3D8-0x3EF"
    // Unnamed bytes kept from the file where the fields' writers would have set others.
    std::vector<std::string> notes;
};
JsonImport ImportJson(const std::string& text);

}  // namespace kpx::cli
