#include "cli/options.h"

#include <algorithm>

#include "cli/cli_app.h"

namespace kpx::cli {

namespace {

const CliOption* Find(std::span<const CliOption> table, std::string_view name) {
    for (const CliOption& o : table) {
        if (o.name == name || (!o.alias.empty() && o.alias == name)) return &o;
    }
    return nullptr;
}

// True when another command takes the option: a misplaced option, not a typing slip.
bool AnyCommandTakes(std::string_view name) {
    for (const CliCommand& c : Commands()) {
        if (Find(c.options, name)) return true;
    }
    return false;
}

// Edits from a to b, a swap of two neighbours counting as one: "raed" is one from "read".
std::size_t Distance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

std::string UnknownOption(std::span<const CliOption> table, const std::string& typed) {
    std::vector<std::string> names;
    for (const CliOption& o : table) names.emplace_back(o.name);
    std::string problem = "unknown option " + typed;
    if (const auto near = Nearest(typed, names)) problem += "; did you mean " + *near + "?";
    return problem;
}

}  // namespace

std::optional<std::string> Nearest(std::string_view typed, const std::vector<std::string>& names) {
    std::optional<std::string> best;
    std::size_t bestDistance = 0;
    for (const std::string& name : names) {
        const std::size_t d = Distance(typed, name);
        if (!best || d < bestDistance) {
            best = name;
            bestDistance = d;
        }
    }
    // Two slips at most, and fewer than half the letters: "raed" is read, "xyz" is nothing.
    if (best && bestDistance <= 2 && bestDistance * 2 < typed.size()) return best;
    return std::nullopt;
}

std::optional<std::vector<ParsedArg>> ParseOptions(std::span<const CliOption> table,
                                                    const std::vector<std::string>& args,
                                                    std::string& problem) {
    std::vector<ParsedArg> parsed;
    bool operandsOnly = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (operandsOnly || a.size() < 2 || a[0] != '-') {
            parsed.push_back({nullptr, std::nullopt, a});
            continue;
        }
        if (a == "--") {
            operandsOnly = true;
            continue;
        }
        const std::size_t equals = a.rfind("--", 0) == 0 ? a.find('=') : std::string::npos;
        const std::string name = a.substr(0, equals);
        const CliOption* option = Find(table, name);
        if (!option) {
            // Named without its value: a mistyped --ledger=URL must not show the password.
            problem =
                AnyCommandTakes(name) ? "unexpected argument " + name : UnknownOption(table, name);
            return std::nullopt;
        }
        ParsedArg arg{option, std::nullopt, name};
        if (equals != std::string::npos) {
            if (!option->TakesValue()) {
                problem = name + " takes no value";
                return std::nullopt;
            }
            arg.value = a.substr(equals + 1);
        } else if (option->ValueOptional()) {
            // A device path; anything else after it is the command's own argument.
            if (i + 1 < args.size() && args[i + 1].rfind("/dev/", 0) == 0) arg.value = args[++i];
        } else if (option->TakesValue()) {
            if (i + 1 >= args.size()) {
                problem = name + (option->value == "DIR" ? " needs a folder" : " needs a value");
                return std::nullopt;
            }
            arg.value = args[++i];
        }
        parsed.push_back(std::move(arg));
    }
    return parsed;
}

std::string OptionLines(std::span<const CliOption> table) {
    std::vector<std::string> heads;
    std::size_t width = 0;
    for (const CliOption& o : table) {
        // Appended piece by piece: GCC 12's -Wrestrict misreads `" " + std::string(...)` at -O2.
        std::string head = "  ";
        if (!o.alias.empty()) head.append(o.alias).append(", ");
        head += o.name;
        if (o.TakesValue()) head.append(" ").append(o.value);
        width = std::max(width, head.size());
        heads.push_back(std::move(head));
    }
    std::string lines;
    for (std::size_t i = 0; i < table.size(); ++i) {
        lines.append(heads[i]).append(width + 2 - heads[i].size(), ' ');
        lines.append(table[i].help).append("\n");
    }
    return lines;
}

}  // namespace kpx::cli
