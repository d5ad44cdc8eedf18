#pragma once
// Unique movie file names and deferred deletion: a file marked for deletion is removed as soon
// as it is not in use, and a name stays unavailable while it is marked or in use. Process-wide
// state, used on the main thread only. An empty path stands for no file.
#include <string>

class QVFileUtility {
public:
    // The path itself, else "<name>1.<ext>", "<name>2.<ext>" … whichever is neither marked nor
    // in use; runs the deletion pass first.
    static std::string uniqueFilename(const std::string& path);
    static std::string uniqueFilename(const std::string& path, int iteration);
    static void markUniqueFilenameForDelete(const std::string& path);
    static void markUniqueFilename(const std::string& path, bool inUse);
    // The deletion pass: removes every marked file not in use (a missing file is fine).
    static void checkAndValidateFileNames();

    // The temporary directory's "<bundle name>.mov".
    static std::string defaultMovieFilename();
    // The file a recorder is to write next. A caller's name (`callerNamed`) stays as it is and
    // is refused (false) when the file exists, so it is never overwritten; the recorder's own
    // previous movie is marked for deletion and a unique default name chosen.
    static bool nextMovieFilename(bool callerNamed, std::string* filename);
};
