#pragma once
// A small JSON document the program keeps in the user's folders (the defaults, the access
// answers, the configured openers), read as outside input: whatever the disk holds under the
// name answers at once, in words, and never blocks, overflows the stack or grows without
// bound.
//
// Reading: the name is looked at before anything is opened, and only a regular file is
// opened, without blocking (a folder, a FIFO, a device or a socket is not); at most
// `kMaximumSize` bytes are read; the text's nesting is measured before it is parsed, so no
// value deeper than `kMaximumDepth` ever exists in memory (copying or writing one recurses).
//
// Writing: compact JSON, one line, into a temporary file beside the document with a short
// name; flushed to the disk, given the mode of the document it replaces (a new document gets
// the usual mode, 0666 less the umask), renamed over it, and the folder flushed. A document
// whose write permission was taken away is not replaced. A failure at any step (a full disk,
// a read-only folder) leaves the old document whole and says why. A symbolic link is written
// through to the file it names.
//
// A document that cannot be used is set aside beside itself as "<name>.corrupt-<UTC time>"
// (numbered on when that exists), never written over.
#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

class StateFile {
public:
    static constexpr std::uintmax_t kMaximumSize = 1u << 20;
    // The program's documents nest a few levels; a deeper one is not one of them.
    static constexpr int kMaximumDepth = 64;

    enum class Outcome {
        Missing,     // nothing under the name (nor its folder)
        Unreadable,  // there, but not to be read by this user (permissions, I/O): left alone
        Damaged,     // not a document of ours: not a regular file, too large, too deep, not JSON
        Read,
    };
    struct Reading {
        Outcome outcome = Outcome::Missing;
        nlohmann::json document;  // when Read
        std::string problem;      // in words, when Unreadable or Damaged
    };

    static Reading read(const std::filesystem::path& file);
    // The text's JSON, or nullopt with the reason (too deep, not JSON).
    static std::optional<nlohmann::json> parse(const std::string& text, std::string* problem);

    // Writes the document; false with the reason when the old document was left as it was.
    static bool write(const std::filesystem::path& file, const nlohmann::json& document, std::string* problem);

    // Moves the document aside; where it went, or nullopt with the reason.
    static std::optional<std::filesystem::path> setAside(const std::filesystem::path& file, std::string* problem);
    static std::filesystem::path unusedSetAsidePath(const std::filesystem::path& file);
};
