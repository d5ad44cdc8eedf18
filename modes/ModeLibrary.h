#pragma once
// The mode library: 145 named, tuned engine parameter sets in a fixed build order. The mode
// catalogue looks its modes up here by library name (display names are a separate name
// space: the mode shown as "Low Light 8" is built on the entry "LowLight3").
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "modes/AdjustmentDictionary.h"
#include "modes/ModeSetData.h"

namespace Modes {

class ModeLibraryEntry {
public:
    ModeLibraryEntry(std::size_t position, Data::Entry data);

    std::size_t position() const { return position_; }
    const std::string& name() const { return data_.name; }
    const std::string& imageName() const { return data_.imageName; }
    // The pairs as the entry passes them, a repeated key included.
    std::span<const Data::Pair> passedPairs() const { return data_.pairs; }
    // The parameter set that selecting the entry applies: one value per key.
    const AdjustmentDictionary& parameters() const { return parameters_; }

private:
    std::size_t position_;
    Data::Entry data_;
    AdjustmentDictionary parameters_;
};

class ModeLibrary {
public:
    static constexpr std::size_t kEntryCount = 145;

    // Builds every entry anew, in build order.
    ModeLibrary();

    // The process-wide library, built on the first call and kept for the life of the
    // process. Safe when several threads ask first at once: exactly one builds it, the
    // others wait; afterwards it never changes and may be searched from any thread.
    static const ModeLibrary& shared();

    // The first entry of the shared library whose name equals `name` exactly (case, spaces
    // and digits count), or null.
    static const ModeLibraryEntry* modeWithName(std::string_view name);

    const ModeLibraryEntry* find(std::string_view name) const;
    // A null name finds nothing.
    const ModeLibraryEntry* find(const char* name) const;

    std::span<const ModeLibraryEntry> entries() const { return entries_; }
    std::size_t size() const { return entries_.size(); }

private:
    std::vector<ModeLibraryEntry> entries_;
};

}  // namespace Modes
