#pragma once
// The command line's import: photos (JPEG, PNG, TIFF; files and folders, folders searched
// through) added to the photo library, oldest first, each through the library's ordinary
// commit, optionally into an album (found by name, made when missing).
//
//   tavorin import [--album NAME] PATH...
//
// A photo already in the library (the same bytes) or met twice is skipped, also when another
// writer adds it meanwhile (the library checks inside its write), and so is a file that cannot
// be read or whose image data is damaged; each gets one line. What opening the library had to
// do to it (an index rebuilt) is said on the error stream. The exit status is nonzero when any
// file failed: 2 when a path given is not a photo file or folder (a FIFO, device or socket,
// refused unopened), else 1.
// The import is the user's own act on their own library, so it needs no access grant.
#include <iosfwd>
#include <string>
#include <variant>
#include <vector>

namespace ImportJob {

inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

struct Options {
    std::string album;  // empty: no album
    std::vector<std::string> paths;
};
struct Help {};
struct UsageError {
    std::string message;
};
using Command = std::variant<Options, Help, UsageError>;

// The arguments after "import".
Command Parse(const std::vector<std::string>& arguments);
void PrintUsage(std::ostream& out);

// Imports into the library at `libraryFolder`; the exit status.
int Run(const Options& options, const std::string& libraryFolder, std::ostream& out, std::ostream& err);
// Parses and runs against the default library; the exit status.
int Main(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace ImportJob
