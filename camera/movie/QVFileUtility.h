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
};
