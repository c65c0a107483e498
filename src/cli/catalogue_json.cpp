#include "cli/catalogue_json.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>

#include "catalogue/field_catalogue.h"
#include "catalogue/image_import.h"
#include "texts/cp1252.h"

namespace kpx::cli {

namespace {

using Json = nlohmann::ordered_json;

// The id of nlohmann's parse_error for a text that breaks the grammar.
constexpr int kSyntaxErrorId = 101;

// How far the parser has read, and the line it has reached.
struct ReadPosition {
    std::size_t bytes = 0;
    int line = 1;
};

// The text as the parser reads it, byte by byte, keeping `ReadPosition` up to date.
class CountingIterator {
  public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    CountingIterator(const char* p, ReadPosition* read) : p_(p), read_(read) {}
    reference operator*() const { return *p_; }
    CountingIterator& operator++() {
        if (*p_ == '\n') ++read_->line;
        ++read_->bytes;
        ++p_;
        return *this;
    }
    CountingIterator operator++(int) {
        CountingIterator old = *this;
        ++*this;
        return old;
    }
    bool operator==(const CountingIterator& o) const { return p_ == o.p_; }

  private:
    const char* p_;
    ReadPosition* read_;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Where the number that begins at `at` ends, as the parser took it.
std::size_t NumberEnd(std::string_view t, std::size_t at) {
    auto digits = [&] {
        while (at < t.size() && t[at] >= '0' && t[at] <= '9') ++at;
    };
    if (at < t.size() && t[at] == '-') ++at;
    if (at < t.size() && t[at] == '0') {
        ++at;
    } else {
        digits();
    }
    if (at < t.size() && t[at] == '.') {
        ++at;
        digits();
    }
    if (at < t.size() && (t[at] == 'e' || t[at] == 'E')) {
        ++at;
        if (at < t.size() && (t[at] == '+' || t[at] == '-')) ++at;
        digits();
    }
    return at;
}

// Where the parser looks next, and what it wants there.
struct NextToken {
    std::size_t at;
    const char* expected;
};

// Builds the document from the parser's events, noting the line of every key of the first two
// levels and, should the text break off, where it broke and what the parser wanted there.
class DocumentReader final : public nlohmann::json_sax<Json> {
  public:
    DocumentReader(Json& root, std::string_view text, const ReadPosition& read)
        : root_(root), text_(text), read_(read) {}

    bool null() override { return Put(nullptr); }
    bool boolean(bool v) override { return Put(v); }
    bool number_integer(number_integer_t v) override { return PutNumber(v); }
    bool number_unsigned(number_unsigned_t v) override { return PutNumber(v); }
    bool number_float(number_float_t v, const string_t&) override { return PutNumber(v); }
    bool string(string_t& v) override { return Put(v); }
    bool binary(binary_t& v) override { return Put(Json::binary(v)); }
    bool start_object(std::size_t) override { return Open(Json::object(), Last::ObjectStart); }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(Json::array(), Last::ArrayStart); }
    bool end_array() override { return Close(); }
    bool key(string_t& k) override {
        path_.back() = k;
        if (path_.size() <= 2) {
            const std::string where = path_.size() == 1 ? k : path_[0] + "/" + k;
            if (lines.count(where)) {
                duplicates.push_back(std::to_string(read_.line) + ": \"" + k + "\" given twice");
            }
            lines[where] = read_.line;
        }
        slot_ = &(*open_.back())[k];
        Moved(Last::Key, read_.bytes);
        return true;
    }
    // Kept instead of thrown, so that the user hears it in plain words.
    bool parse_error(std::size_t position, const std::string& token,
                     const Json::exception& e) override {
        failed = true;
        errorPosition = position;
        errorToken = token;
        errorId = e.id;
        return false;
    }

    // The token after the last event: past the separator the parser takes there, if any.
    NextToken Next() const {
        std::size_t i = resumeAt_;
        if (last_ == Last::Nothing && text_.rfind("\xEF\xBB\xBF", 0) == 0) i = 3;
        auto blanks = [&] {
            while (i < text_.size() && IsBlank(text_[i])) ++i;
        };
        blanks();
        auto past = [&](char separator) {
            if (i >= text_.size() || text_[i] != separator) return false;
            ++i;
            blanks();
            return true;
        };
        switch (last_) {
            case Last::Nothing:
            case Last::ArrayStart:
                return {i, "a value"};
            case Last::ObjectStart:
                return {i, "a name in double quotes"};
            case Last::Key:
                return past(':') ? NextToken{i, "a value"} : NextToken{i, "':'"};
            case Last::Value:
                break;
        }
        if (open_.empty()) return {i, "the end of the file"};
        if (open_.back()->is_array()) {
            return past(',') ? NextToken{i, "a value"} : NextToken{i, "']'"};
        }
        return past(',') ? NextToken{i, "a name in double quotes"} : NextToken{i, "'}'"};
    }

    std::map<std::string, int> lines;  // "page" or "page/field" -> line
    std::vector<std::string> duplicates;
    bool failed = false;
    std::size_t errorPosition = 0;  // characters read up to and with the offending one
    std::string errorToken;         // the parser's own record of what it read last
    int errorId = 0;

  private:
    enum class Last { Nothing, ObjectStart, ArrayStart, Key, Value };

    void Moved(Last last, std::size_t resumeAt) {
        last_ = last;
        resumeAt_ = resumeAt;
    }
    Json* Place(Json value) {
        if (open_.empty()) {
            root_ = std::move(value);
            return &root_;
        }
        if (open_.back()->is_array()) {
            open_.back()->push_back(std::move(value));
            return &open_.back()->back();
        }
        *slot_ = std::move(value);
        return slot_;
    }
    bool Put(Json value) {
        Place(std::move(value));
        Moved(Last::Value, read_.bytes);
        return true;
    }
    // The parser has read one byte past a number to find its end: take the end from the text.
    bool PutNumber(Json value) {
        const std::size_t end = NumberEnd(text_, Next().at);
        Place(std::move(value));
        Moved(Last::Value, end);
        return true;
    }
    bool Open(Json container, Last last) {
        open_.push_back(Place(std::move(container)));
        path_.emplace_back();
        Moved(last, read_.bytes);
        return true;
    }
    bool Close() {
        open_.pop_back();
        path_.pop_back();
        Moved(Last::Value, read_.bytes);
        return true;
    }

    Json& root_;
    std::string_view text_;
    const ReadPosition& read_;
    std::vector<Json*> open_;  // the objects and lists not yet closed
    Json* slot_ = nullptr;     // the member the last key named
    std::vector<std::string> path_;
    Last last_ = Last::Nothing;
    std::size_t resumeAt_ = 0;  // where the text goes on after the last event
};

Json ValueToJson(const CatalogueField& f, const FieldValue& v, bool showSecrets) {
    if (f.secret && !showSecrets) return ValueText(f, v, false);
    if (const bool* b = std::get_if<bool>(&v)) return *b;
    if (const std::int64_t* n = std::get_if<std::int64_t>(&v)) return *n;
    if (const RawBits* raw = std::get_if<RawBits>(&v)) return Json{{"raw", HexBytes(raw->bytes)}};
    if (const auto* full = std::get_if<TextAndUnused>(&v)) {
        return Json{{"blanks", full->blanks},
                    {"text", Cp1252ToUtf8(full->text)},
                    {"unused", Cp1252ToUtf8(full->unused)}};
    }
    return Cp1252ToUtf8(std::get<std::string>(v));
}

// A JSON text as Windows-1252 bytes; nothing when it holds characters those cannot.
std::optional<std::string> Cp1252Of(const Json& j) {
    const std::string utf8 = j.get<std::string>();
    std::string bytes = Utf8ToCp1252(utf8);
    if (Cp1252ToUtf8(bytes) != utf8) return std::nullopt;
    return bytes;
}

std::optional<FieldValue> JsonToValue(const Json& j, std::string& why) {
    if (j.is_object()) {
        if (j.size() == 1 && j.contains("raw") && j["raw"].is_string()) {
            if (auto bytes = ParseHexBytes(j["raw"].get<std::string>())) return RawBits{*bytes};
        }
        if (j.size() == 3 && j.contains("blanks") && j["blanks"].is_number_integer() &&
            j.contains("text") && j["text"].is_string() && j.contains("unused") &&
            j["unused"].is_string()) {
            auto text = Cp1252Of(j["text"]);
            auto unused = Cp1252Of(j["unused"]);
            if (text && unused) return TextAndUnused{j["blanks"].get<int>(), *text, *unused};
            why = "holds characters outside Windows-1252";
            return std::nullopt;
        }
        why = "expects {\"raw\": \"hex bytes\"} or {\"blanks\": n, \"text\": ..., \"unused\": ...}";
        return std::nullopt;
    }
    if (j.is_boolean()) return j.get<bool>();
    if (j.is_number_integer()) return j.get<std::int64_t>();
    if (j.is_string()) {
        if (auto bytes = Cp1252Of(j)) return *bytes;
        why = "holds characters outside Windows-1252";
        return std::nullopt;
    }
    why = "expects a text, a number, true or false";
    return std::nullopt;
}

Json PagesToJson(const std::vector<FieldReading>& readings, bool showSecrets) {
    Json doc = Json::object();
    doc[kJsonFormatKey] = 1;
    for (std::string_view page : kCataloguePages) {
        Json fields = Json::object();
        for (const FieldReading& r : readings) {
            if (r.field->page == page) {
                fields[r.field->name] = ValueToJson(*r.field, r.value, showSecrets);
            }
        }
        doc[std::string(page)] = fields;
    }
    return doc;
}

Json FieldSchema(const CatalogueField& f) {
    Json value;
    switch (f.kind) {
        case FieldKind::Bit:
            value = {{"type", "boolean"}};
            break;
        case FieldKind::List:
            value = {{"enum", f.rows}};
            break;
        case FieldKind::Number:
            value = {{"type", "integer"}};
            break;
        case FieldKind::Digits:
        case FieldKind::Frequency:
            value = {{"type", "string"}, {"pattern", "^[0-9]+$"}};
            break;
        case FieldKind::Prompt:
            value = {{"oneOf", {{{"type", "string"}}, {{"$ref", "#/$defs/textAndUnused"}}}}};
            break;
        case FieldKind::Menu:
            value = {{"type", "string"}, {"description", "checked boxes, \", \" between"}};
            break;
    }
    return {{"anyOf", {value, {{"$ref", "#/$defs/raw"}}}}};
}

// What the parser stopped at, for "found ...": the token at `at`, which the parser read up to
// the reader's error position.
std::string Found(std::string_view text, std::size_t at, const DocumentReader& reader) {
    const std::string& token = reader.errorToken;
    const std::string shown = token.size() > 24 ? token.substr(0, 24) + "..." : token;
    if (reader.errorId != kSyntaxErrorId) return shown;  // a number too large, say
    if (at >= text.size() || text[at] == '\0') return "the end of the file";
    const char c = text[at];
    if (std::string_view("{}[]:,").find(c) != std::string_view::npos) return {'\'', c, '\''};
    // A whole value in the wrong place, or one the parser could not read to its end.
    if (c == '-' || (c >= '0' && c <= '9')) {
        return NumberEnd(text, at) == reader.errorPosition ? "a number"
                                                           : "a broken number " + shown;
    }
    const std::string read(text.substr(at, std::max(reader.errorPosition, at) - at));
    const bool whole = Json::accept(read);
    if (c == '"') return whole ? "a text" : "a broken text " + shown;
    if (whole) return read;  // true, false or null
    return token.empty() ? "the end of the file" : shown;
}

// "line L, column C: expected X, found Y" from where the parser stopped.
std::string SyntaxErrorText(const std::string& text, const DocumentReader& reader) {
    const std::size_t stop =
        std::min(reader.errorPosition == 0 ? 0 : reader.errorPosition - 1, text.size());
    int line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < stop; ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    const std::size_t column = stop - lineStart + 1;
    const NextToken next = reader.Next();
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": expected " +
           next.expected + ", found " + Found(text, next.at, reader);
}

// The line the document's value begins on.
int ValueLine(const std::string& text) {
    std::size_t i = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    int line = 1;
    for (; i < text.size() && IsBlank(text[i]); ++i) {
        if (text[i] == '\n') ++line;
    }
    return line;
}

const char* KindOf(const Json& j) {
    if (j.is_array()) return "a list";
    if (j.is_string()) return "a text";
    if (j.is_number()) return "a number";
    if (j.is_boolean()) return "true or false";
    return "null";
}

// The document and the line of each page and field; nothing, with `notJson` said, when the
// text is no JSON.
struct ReadDocument {
    Json doc;
    std::map<std::string, int> lines;
    std::vector<std::string> duplicates;
};
std::optional<ReadDocument> Read(const std::string& text, std::string& notJson) {
    ReadDocument read;
    ReadPosition position;
    DocumentReader reader(read.doc, text, position);
    Json::sax_parse(CountingIterator(text.data(), &position),
                    CountingIterator(text.data() + text.size(), &position), &reader);
    if (reader.failed) {
        notJson = SyntaxErrorText(text, reader);
        return std::nullopt;
    }
    read.lines = std::move(reader.lines);
    read.duplicates = std::move(reader.duplicates);
    return read;
}

// A refusal at the line of the page or field it is about.
struct Refuse {
    const std::map<std::string, int>& lines;
    std::vector<std::string>& errors;
    void operator()(const std::string& where, const std::string& what) const {
        auto it = lines.find(where);
        errors.push_back((it == lines.end() ? std::string("1") : std::to_string(it->second)) +
                         ": " + what);
    }
};

void TakeUnnamed(const Json& body, ImageImport& import, const Refuse& refuse) {
    if (!body.is_object()) {
        refuse(kJsonUnnamedKey, "expects an object of address ranges");
        return;
    }
    for (const auto& [range, value] : body.items()) {
        const auto bytes =
            value.is_string() ? ParseHexBytes(value.get<std::string>()) : std::nullopt;
        if (auto why = import.GiveUnnamed(range, bytes)) {
            refuse(std::string(kJsonUnnamedKey) + "/" + range, *why);
        }
    }
}

void TakePage(const std::string& page, const Json& body, ImageImport& import,
              const Refuse& refuse) {
    if (!IsCataloguePage(page) || !body.is_object()) {
        refuse(page, "unknown page \"" + page + "\"");
        return;
    }
    for (const auto& [name, value] : body.items()) {
        const std::string where = page + "/" + name;
        std::string why;
        if (auto v = JsonToValue(value, why)) {
            if (auto refused = import.GiveField(page, name, std::move(*v))) refuse(where, *refused);
        } else {
            refuse(where, name + ": " + why);
        }
    }
}

}  // namespace

std::string SchemaJson() {
    const Json hex = {{"type", "string"}, {"pattern", "^([0-9A-Fa-f]{2}( [0-9A-Fa-f]{2})*)?$"}};
    Json schema = {
        {"$schema", "https://json-schema.org/draft/2020-12/schema"},
        {"title", "KPX41 pager image: named settings by page, and the unnamed bytes"},
        {"type", "object"},
        {"additionalProperties", false},
        {"$defs",
         {{"raw",
           {{"description", "the field's bits as hex, for values the window cannot show"},
            {"type", "object"},
            {"properties", {{"raw", hex}}},
            {"required", {"raw"}},
            {"additionalProperties", false}}},
          {"textAndUnused",
           {{"description", "a prompt slot as it stands: blank columns, text, unused bytes"},
            {"type", "object"},
            {"properties",
             {{"blanks", {{"type", "integer"}, {"minimum", 0}, {"maximum", 15}}},
              {"text", {{"type", "string"}}},
              {"unused", {{"type", "string"}}}}},
            {"required", {"blanks", "text", "unused"}},
            {"additionalProperties", false}}}}},
    };
    Json properties = {{kJsonFormatKey, {{"const", 1}}}};
    for (std::string_view page : kCataloguePages) {
        Json fields = Json::object();
        for (const CatalogueField& f : FieldCatalogue()) {
            if (f.page == page) fields[f.name] = FieldSchema(f);
        }
        properties[std::string(page)] = {
            {"type", "object"}, {"properties", fields}, {"additionalProperties", false}};
    }
    properties[kJsonUnnamedKey] = {
        {"type", "object"},
        {"propertyNames", {{"pattern", "^0x[0-9A-Fa-f]{3}(-0x[0-9A-Fa-f]{3})?$"}}},
        {"additionalProperties", hex}};
    schema["properties"] = properties;
    return schema.dump(2) + "\n";
}

std::string ExportJson(const PagerImage& image) {
    Json doc = PagesToJson(ReadFields(image), true);
    Json unnamed = Json::object();
    for (const UnnamedRun& run : UnnamedOf(image)) {
        unnamed[RunName(run.first, run.last)] = HexBytes(run.bytes);
    }
    doc[kJsonUnnamedKey] = unnamed;
    return doc.dump(2) + "\n";
}

std::string DumpJson(const PagerImage& image, bool showSecrets) {
    return PagesToJson(ReadFields(image), showSecrets).dump(2) + "\n";
}

JsonImport ImportJson(const std::string& text) {
    JsonImport result;
    std::optional<ReadDocument> read = Read(text, result.notJson);
    if (!read) return result;
    result.errors = read->duplicates;
    const Refuse refuse{read->lines, result.errors};
    if (!read->doc.is_object()) {
        result.errors.push_back(std::to_string(ValueLine(text)) +
                                ": expects an object of pages, not " + KindOf(read->doc));
        return result;
    }
    ImageImport import;
    for (const auto& [page, body] : read->doc.items()) {
        if (page == kJsonFormatKey) {
            if (body != 1) refuse(page, std::string(kJsonFormatKey) + " must be 1");
        } else if (page == kJsonUnnamedKey) {
            TakeUnnamed(body, import, refuse);
        } else {
            TakePage(page, body, import, refuse);
        }
    }
    if (!result.errors.empty()) return result;

    ImportOutcome outcome = import.Build();
    for (const FieldError& e : outcome.errors) {
        refuse(std::string(FindField(e.field)->page) + "/" + e.field, e.field + ": " + e.message);
    }
    if (!result.errors.empty()) return result;
    result.image = std::move(outcome.image);
    result.settingsNotGiven = std::move(outcome.settingsNotGiven);
    result.unnamedNotGiven = std::move(outcome.unnamedNotGiven);
    result.notes = std::move(outcome.notes);
    return result;
}

}  // namespace kpx::cli
