#include "cli/catalogue_json.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <map>
#include <nlohmann/json.hpp>

#include "catalogue/field_catalogue.h"
#include "settings/alerts.h"
#include "texts/cp1252.h"

namespace kpx::cli {

namespace {

using Json = nlohmann::ordered_json;

// The input as the parser reads it, counting lines, so that every key has its line.
class LineCountingIterator {
  public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    LineCountingIterator(const char* p, int* line) : p_(p), line_(line) {}
    reference operator*() const { return *p_; }
    LineCountingIterator& operator++() {
        if (*p_ == '\n') ++*line_;
        ++p_;
        return *this;
    }
    LineCountingIterator operator++(int) {
        LineCountingIterator old = *this;
        ++*this;
        return old;
    }
    bool operator==(const LineCountingIterator& o) const { return p_ == o.p_; }

  private:
    const char* p_;
    int* line_;
};

// The parser's own document builder, plus the line of every key of the first two levels.
class KeyLineSax {
  public:
    using Dom = nlohmann::detail::json_sax_dom_parser<Json>;
    KeyLineSax(Json& root, const int* line) : dom_(root, false), line_(line) {}

    bool null() { return Value() && dom_.null(); }
    bool boolean(bool v) { return Value() && dom_.boolean(v); }
    bool number_integer(Json::number_integer_t v) { return Value() && dom_.number_integer(v); }
    bool number_unsigned(Json::number_unsigned_t v) { return Value() && dom_.number_unsigned(v); }
    bool number_float(Json::number_float_t v, const std::string& s) {
        return Value() && dom_.number_float(v, s);
    }
    bool string(std::string& v) { return Value() && dom_.string(v); }
    bool binary(Json::binary_t& v) { return Value() && dom_.binary(v); }
    bool start_object(std::size_t n) {
        Value();
        path_.emplace_back();
        return dom_.start_object(n);
    }
    bool key(std::string& k) {
        path_.back() = k;
        if (path_.size() <= 2) {
            const std::string where = Where();
            if (lines.count(where)) {
                duplicates.push_back(std::to_string(*line_) + ": \"" + k + "\" given twice");
            }
            lines[where] = *line_;
        }
        return dom_.key(k);
    }
    bool end_object() {
        path_.pop_back();
        return dom_.end_object();
    }
    bool start_array(std::size_t n) {
        Value();
        path_.emplace_back();
        return dom_.start_array(n);
    }
    bool end_array() {
        path_.pop_back();
        return dom_.end_array();
    }
    // Kept instead of thrown, so that the user hears it in plain words.
    template <typename Exception>
    bool parse_error(std::size_t position, const std::string& token, const Exception& e) {
        failed = true;
        errorPosition = position;
        errorToken = token;
        errorText = e.what();
        return false;
    }

    std::map<std::string, int> lines;  // "page" or "page/field" -> line
    std::vector<std::string> duplicates;
    int firstValueLine = 0;  // where the document's value begins
    bool failed = false;
    std::size_t errorPosition = 0;  // characters read up to and with the offending one
    std::string errorToken;
    std::string errorText;

  private:
    bool Value() {
        if (firstValueLine == 0) firstValueLine = *line_;
        return true;
    }
    std::string Where() const { return path_.size() == 1 ? path_[0] : path_[0] + "/" + path_[1]; }
    Dom dom_;
    const int* line_;
    std::vector<std::string> path_;
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

std::optional<std::vector<std::uint8_t>> ParseHex(const std::string& text) {
    std::vector<std::uint8_t> bytes;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 1]))) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return bytes;
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
            if (auto bytes = ParseHex(j["raw"].get<std::string>())) return RawBits{*bytes};
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

// "0x004-0x009" or "0x036".
std::optional<std::pair<int, int>> ParseRunName(const std::string& key) {
    auto number = [](const std::string& s) -> std::optional<int> {
        if (s.size() < 3 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X')) return std::nullopt;
        char* end = nullptr;
        const long v = std::strtol(s.c_str() + 2, &end, 16);
        if (*end != '\0' || v < 0 || v > kImageLast) return std::nullopt;
        return static_cast<int>(v);
    };
    const std::size_t dash = key.find('-');
    const auto first = number(key.substr(0, dash));
    const auto last = dash == std::string::npos ? first : number(key.substr(dash + 1));
    if (!first || !last) return std::nullopt;
    return std::pair{*first, *last};
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

std::string Line(const std::map<std::string, int>& lines, const std::string& where) {
    auto it = lines.find(where);
    return it == lines.end() ? std::string("1") : std::to_string(it->second);
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

// The parser's name of a token, in the words of someone who writes the file by hand.
std::string Plain(const std::string& token) {
    static const std::map<std::string, std::string> words = {
        {"'[', '{', or a literal", "a value"},
        {"string literal", "a name in double quotes"},
        {"number literal", "a number"},
        {"true literal", "true"},
        {"false literal", "false"},
        {"null literal", "null"},
        {"end of input", "the end of the file"},
    };
    const auto it = words.find(token);
    return it == words.end() ? token : it->second;
}

// What the text holds where the parser stopped, for "found ...".
std::string Found(const std::string& lexerProblem, const std::string& token) {
    std::string shown = token.size() > 24 ? token.substr(0, 24) + "..." : token;
    if (token.empty()) return "the end of the file";
    if (lexerProblem.rfind("invalid string", 0) == 0) return "a broken text " + shown;
    if (lexerProblem.rfind("invalid number", 0) == 0) return "a broken number " + shown;
    return shown;
}

// "line L, column C: expected X, found Y" from where the parser stopped and why. The parser's
// message is built as "syntax error [while parsing C ]- <problem>[; expected E]", the problem
// either "unexpected T" or a lexer's complaint followed by "; last read: '<token>'".
std::string SyntaxErrorText(const std::string& text, const KeyLineSax& sax) {
    const std::size_t stop =
        std::min(sax.errorPosition == 0 ? 0 : sax.errorPosition - 1, text.size());
    int line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < stop; ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    const std::size_t column = stop - lineStart + 1;

    const std::string& message = sax.errorText;
    std::string expected = "a value";
    std::string found;
    const std::size_t dash = message.find("- ");
    std::string problem = dash == std::string::npos ? std::string() : message.substr(dash + 2);
    const std::size_t lastRead = problem.find("; last read: '");
    const std::size_t expectedAt =
        problem.find("; expected ", lastRead == std::string::npos ? 0 : lastRead);
    if (expectedAt != std::string::npos) {
        expected = Plain(problem.substr(expectedAt + 11));
        problem.resize(expectedAt);
    }
    if (problem.rfind("unexpected ", 0) == 0) {
        found = Plain(problem.substr(11));
        if (found == "a name in double quotes") found = "a text";
    } else {
        found = Found(problem.substr(0, lastRead), sax.errorToken);
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": expected " +
           expected + ", found " + found;
}

const char* KindOf(const Json& j) {
    if (j.is_array()) return "a list";
    if (j.is_string()) return "a text";
    if (j.is_number()) return "a number";
    if (j.is_boolean()) return "true or false";
    return "null";
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
    Json doc;
    int line = 1;
    KeyLineSax sax(doc, &line);
    try {
        Json::sax_parse(LineCountingIterator(text.data(), &line),
                        LineCountingIterator(text.data() + text.size(), &line), &sax);
    } catch (const Json::exception&) {
        sax.failed = true;
    }
    if (sax.failed) {
        result.notJson = SyntaxErrorText(text, sax);
        return result;
    }
    result.errors = sax.duplicates;
    if (!doc.is_object()) {
        result.errors.push_back(std::to_string(std::max(sax.firstValueLine, 1)) +
                                ": expects an object of pages, not " + KindOf(doc));
        return result;
    }
    auto refuse = [&](const std::string& where, const std::string& what) {
        result.errors.push_back(Line(sax.lines, where) + ": " + what);
    };

    std::vector<FieldReading> fields;
    std::vector<UnnamedRun> unnamed;
    std::vector<bool> unnamedGiven(kImageSize, false);
    for (const auto& [page, body] : doc.items()) {
        if (page == kJsonFormatKey) {
            if (body != 1) refuse(page, std::string(kJsonFormatKey) + " must be 1");
            continue;
        }
        if (page == kJsonUnnamedKey) {
            if (!body.is_object()) {
                refuse(page, "expects an object of address ranges");
                continue;
            }
            for (const auto& [key, value] : body.items()) {
                const std::string where = page + "/" + key;
                const auto range = ParseRunName(key);
                const auto bytes =
                    value.is_string() ? ParseHex(value.get<std::string>()) : std::nullopt;
                if (!range || !bytes) {
                    refuse(where, "unnamed bytes \"" + key + "\" expect \"0xAAA-0xBBB\": \"hex\"");
                    continue;
                }
                const UnnamedRun run{range->first, range->second, 0xFF, *bytes};
                if (std::string why = CheckUnnamedRun(run); !why.empty()) {
                    refuse(where, "unnamed bytes " + key + ": " + why);
                    continue;
                }
                // Two ranges over one address would leave which byte wins to their order.
                std::string overlapped;
                for (const UnnamedRun& other : unnamed) {
                    if (other.first <= run.last && run.first <= other.last) {
                        overlapped = RunName(other.first, other.last);
                        break;
                    }
                }
                if (!overlapped.empty()) {
                    refuse(where, "unnamed bytes " + key + " overlap " + overlapped);
                    continue;
                }
                for (int a = run.first; a <= run.last; ++a)
                    unnamedGiven[static_cast<std::size_t>(a)] = true;
                unnamed.push_back(run);
            }
            continue;
        }
        bool knownPage = false;
        for (std::string_view p : kCataloguePages) knownPage = knownPage || p == page;
        if (!knownPage || !body.is_object()) {
            refuse(page, "unknown page \"" + page + "\"");
            continue;
        }
        for (const auto& [name, value] : body.items()) {
            const std::string where = page + "/" + name;
            const CatalogueField* f = FindField(name);
            if (!f || f->page != page) {
                refuse(where, "unknown field \"" + name + "\" on the page \"" + page + "\"");
                continue;
            }
            std::string why;
            if (auto v = JsonToValue(value, why)) {
                fields.push_back({f, std::move(*v)});
            } else {
                refuse(where, name + ": " + why);
            }
        }
    }
    if (!result.errors.empty()) return result;

    ImageBuild build = BuildImage(fields, unnamed);
    for (const FieldError& e : build.errors) {
        refuse(std::string(FindField(e.field)->page) + "/" + e.field, e.field + ": " + e.message);
    }
    if (!result.errors.empty()) return result;

    for (const CatalogueField& f : FieldCatalogue()) {
        bool given = false;
        for (const FieldReading& r : fields) given = given || r.field == &f;
        if (!given) result.settingsNotGiven.push_back(f.name);
    }
    const ByteMasks named = NamedMasks();
    int missingFrom = -1;
    for (int a = 0; a <= kImageSize; ++a) {
        const bool missing = a < kImageSize && named[static_cast<std::size_t>(a)] != 0xFF &&
                             !unnamedGiven[static_cast<std::size_t>(a)];
        if (missing && missingFrom < 0) missingFrom = a;
        if (!missing && missingFrom >= 0) {
            result.unnamedNotGiven.push_back(RunName(missingFrom, a - 1));
            missingFrom = -1;
        }
    }
    // The warnings the window's writers give without refusing the value.
    bool batteryGiven = false;
    for (const FieldReading& r : fields) {
        batteryGiven = batteryGiven || r.field->name.rfind("Battery Gauge Level-", 0) == 0;
    }
    if (batteryGiven && !BatteryLevelsInOrder(build.image)) {
        result.notes.push_back(kBatteryOrderWarning);
    }
    for (const UnnamedRun& run : build.overridden) {
        result.notes.push_back("unnamed bytes " + RunName(run.first, run.last) +
                               " keep the file's value; the fields' writers set " +
                               HexBytes(run.bytes));
    }
    result.image = build.image;
    return result;
}

}  // namespace kpx::cli
