#include "modes/ModeSetData.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace Modes::Data {
namespace {

std::vector<std::string_view> splitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

// A cell: "-" for no value, otherwise one or more values separated by spaces, each a number
// or a quoted value name.
std::vector<AdjustmentValue> parseCell(std::string_view cell, const std::string& where) {
    std::vector<AdjustmentValue> values;
    if (cell == "-") return values;
    std::size_t i = 0;
    while (i < cell.size()) {
        if (cell[i] == ' ') {
            ++i;
            continue;
        }
        if (cell[i] == '"') {
            const std::size_t close = cell.find('"', i + 1);
            if (close == std::string_view::npos || close == i + 1)
                throw FormatError(where + ": unterminated or empty value name");
            values.emplace_back(std::string(cell.substr(i + 1, close - i - 1)));
            i = close + 1;
            continue;
        }
        const std::size_t end = std::min(cell.find(' ', i), cell.size());
        float number = 0.0f;
        const auto [ptr, ec] = std::from_chars(cell.data() + i, cell.data() + end, number);
        if (ec != std::errc() || ptr != cell.data() + end || !(number >= 0.0f && number <= 1.0f))
            throw FormatError(where + ": \"" + std::string(cell.substr(i, end - i)) + "\" is not a number in [0, 1]");
        values.emplace_back(number);
        i = end;
    }
    if (values.empty()) throw FormatError(where + ": empty cell");
    return values;
}

}  // namespace

Family parseFamily(std::string_view text) {
    Family family;
    bool haveImages = false;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        text = newline == std::string_view::npos ? std::string_view() : text.substr(newline + 1);
        ++lineNumber;
        if (line.empty() || line.front() == '#') continue;

        const std::string where = "line " + std::to_string(lineNumber);
        const std::vector<std::string_view> fields = splitTabs(line);
        const std::string_view head = fields.front();
        const auto cells = std::span(fields).subspan(1);
        if (head == "family") {
            if (cells.size() != 1) throw FormatError(where + ": one family title expected");
            family.title = cells.front();
        } else if (head == "entries") {
            if (!family.entries.empty()) throw FormatError(where + ": entries given twice");
            for (std::string_view name : cells) {
                if (name.empty()) throw FormatError(where + ": empty entry name");
                family.entries.push_back({std::string(name), {}, {}});
            }
        } else if (head == "images") {
            if (cells.size() != family.entries.size() || family.entries.empty())
                throw FormatError(where + ": one image name per entry expected");
            for (std::size_t i = 0; i < cells.size(); ++i) family.entries[i].imageName = cells[i];
            haveImages = true;
        } else {
            if (!haveImages) throw FormatError(where + ": parameter before entries and images");
            if (cells.size() != family.entries.size())
                throw FormatError(where + ": " + std::to_string(cells.size()) + " cells for " +
                                  std::to_string(family.entries.size()) + " entries");
            for (std::size_t i = 0; i < cells.size(); ++i) {
                for (AdjustmentValue& value : parseCell(cells[i], where))
                    family.entries[i].pairs.push_back({std::string(head), std::move(value)});
            }
        }
    }
    if (!haveImages) throw FormatError("no entries");
    return family;
}

std::vector<Family> families() {
    std::vector<Family> all;
    for (std::string_view text : familyTexts()) all.push_back(parseFamily(text));
    return all;
}

}  // namespace Modes::Data
