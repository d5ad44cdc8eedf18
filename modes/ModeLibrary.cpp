#include "modes/ModeLibrary.h"

#include "modes/ModeParameterSet.h"

#include <utility>

namespace Modes {

ModeLibraryEntry::ModeLibraryEntry(std::size_t position, Data::Entry data)
    : position_(position), data_(std::move(data)), parameters_(makeParameterSet(data_.pairs)) {}

ModeLibrary::ModeLibrary() {
    entries_.reserve(kEntryCount);
    for (Data::Family& family : Data::families()) {
        for (Data::Entry& entry : family.entries) entries_.emplace_back(entries_.size(), std::move(entry));
    }
}

const ModeLibrary& ModeLibrary::shared() {
    // A function-local static is initialised exactly once, even under concurrent first calls.
    static const ModeLibrary library;
    return library;
}

const ModeLibraryEntry* ModeLibrary::modeWithName(std::string_view name) { return shared().find(name); }

const ModeLibraryEntry* ModeLibrary::find(std::string_view name) const {
    // Linear and in build order, so that the first entry of a name wins.
    for (const ModeLibraryEntry& entry : entries_) {
        if (entry.name() == name) return &entry;
    }
    return nullptr;
}

const ModeLibraryEntry* ModeLibrary::find(const char* name) const {
    if (name == nullptr) return nullptr;
    return find(std::string_view(name));
}

}  // namespace Modes
