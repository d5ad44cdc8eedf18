#pragma once
// The data behind the mode library: every tuned parameter set as the list of key/value pairs
// it passes, grouped by family in build order. The sets live in modes/sets/*.tsv, one file
// per family, embedded into the program when it is built (the file format is described at
// the top of each file).
#include <cstddef>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "modes/AdjustmentDictionary.h"

namespace Modes::Data {

// One pair as an entry passes it.
struct Pair {
    std::string key;
    AdjustmentValue value;
};

struct Entry {
    std::string name;
    std::string imageName;  // kept with the entry; nothing reads it
    std::vector<Pair> pairs;
};

struct Family {
    std::string title;
    std::vector<Entry> entries;
};

// Malformed family text; the message names the line.
class FormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Reads one family from its text. Throws FormatError on malformed text.
Family parseFamily(std::string_view text);

// The embedded text of every family, in build order.
std::span<const std::string_view> familyTexts();

// Every family, read anew from the embedded text; their entries, one after another, are the
// library's positions.
std::vector<Family> families();

}  // namespace Modes::Data
