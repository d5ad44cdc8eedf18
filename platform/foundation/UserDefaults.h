#pragma once
// The user's defaults: a small persistent dictionary of property-list values (booleans,
// numbers, strings, arrays, dictionaries) under string keys, shared by the whole program.
//
// The store is one JSON document, $XDG_CONFIG_HOME/tavorin/defaults.json (by default
// ~/.config/tavorin/defaults.json), read on first use and written whole by `synchronize`, as
// a `StateFile`: compact, atomically (a crash leaves the old or the new document), keeping the
// document's mode, and never over a document made read-only.
//
// A document that cannot be understood (not a regular file, too large, nested too deeply, not
// JSON, not a dictionary at top level) is never silently overwritten: it is renamed aside
// ("defaults.json.corrupt-<time>"), the store starts empty, and the problem is reported on
// stderr and through `problems()`. When the document exists but cannot be read at all
// (permissions, I/O), the store starts empty and refuses to write, so that nothing the user
// had is replaced. Each problem is said once, however often the store is asked to write.
#include <filesystem>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/StateFile.h"

// A property-list value. A null value stands for "no object".
using PropertyListObject = nlohmann::json;

class UserDefaults {
public:
    // The program's store, at the path that the environment gives when first asked.
    static UserDefaults& standardUserDefaults();
    // Writes pending changes of the program's store and forgets it: the next
    // `standardUserDefaults` reads the store again, from the path the environment then gives.
    static void resetStandardUserDefaults();
    // Where the program's store lives for the current environment.
    static std::filesystem::path standardStorePath();

    // A store kept in the given file (its folder is created on the first write).
    explicit UserDefaults(std::filesystem::path file);
    ~UserDefaults();
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    // The value under the key, or null when there is none.
    PropertyListObject objectForKey(const std::string& key);
    // Stores a copy of the value under the key; a null value removes the key.
    void setObject(const PropertyListObject& value, const std::string& key);
    void removeObject(const std::string& key);
    // The whole dictionary.
    PropertyListObject dictionaryRepresentation();

    // Writes the store to disk when it changed since the last write. False when the write
    // failed or the store refuses to write (see above); the reason is in `problems()`.
    bool synchronize();

    // What went wrong reading or writing the store, oldest first, in words for a log.
    std::vector<std::string> problems();
    // Where an unreadable document was moved, if that happened when this store was read.
    std::optional<std::filesystem::path> setAsidePath();

    const std::filesystem::path& path() const { return file_; }

    // Largest document the store reads; a larger one counts as corrupt.
    static constexpr std::uintmax_t kMaximumDocumentSize = StateFile::kMaximumSize;

private:
    void loadIfNeeded();
    bool writeLocked();
    void report(std::string message);

    std::filesystem::path file_;
    std::mutex mutex_;
    bool loaded_ = false;
    bool dirty_ = false;
    bool writable_ = true;
    PropertyListObject values_ = PropertyListObject::object();
    std::vector<std::string> problems_;
    std::optional<std::filesystem::path> setAside_;
};
