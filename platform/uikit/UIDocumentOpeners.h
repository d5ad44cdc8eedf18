#pragma once
// The other desktop programs a document can be handed to ("Open In"), from two places:
//
// - $XDG_CONFIG_HOME/tavorin/openers.json:
//     {"openers":[{"id":"…","name":"…","types":["public.jpeg",…],"exec":["program","%f",…]}]}
//   An opener takes a document whose type (or whose file's extension type) conforms to one
//   of its types. In `exec`, "%f" stands for the file, "%{key}" for the annotation's entry
//   (empty when missing) and "%%" for "%", replaced inside each argument; no shell ever reads
//   them. The document is read as a `StateFile` and decoded strictly (exactly these keys,
//   these kinds, strings not empty); one that cannot be understood is renamed aside and
//   reported, one that cannot be read (permissions) is reported, and either gives no openers.
// - The desktop's handlers of the file's MIME type through GIO, for image documents, unless
//   TAVORIN_DESKTOP_OPENERS=0.
//
// A launch starts the program and returns at once; the child is reaped on a background thread.
// The caller may hear how it fared: that it could not be started, or, once it has ended, its
// exit status (a program that ends with another status than 0 failed). Main thread only.
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

struct UIDocumentOpener {
    std::string identifier;
    std::string name;
    // Configured openers: their types and argument template.
    std::vector<std::string> types;
    std::vector<std::string> exec;
    // Desktop openers: the MIME type they were found for (the identifier is the desktop entry's).
    std::string desktopMimeType;
};

struct UIDocumentOpenersFile {
    std::vector<UIDocumentOpener> openers;
    // What went wrong, in words, and where the document was moved.
    std::optional<std::string> problem;
    std::optional<std::filesystem::path> setAsidePath;
};

// How a launched program fared.
struct UILaunchOutcome {
    // Empty when it started and ended with status 0 (or, started through the desktop, when it
    // started); else why not, in words naming the program.
    std::string failure;
    // The status it ended with by itself; -1 when it did not start, was ended by a signal or
    // was not waited for.
    int exitStatus = -1;
    bool succeeded() const { return failure.empty(); }
};

class UIDocumentOpeners {
public:
    using Annotation = std::map<std::string, std::string>;
    // Runs once, on the main queue.
    using Outcome = std::function<void(const UILaunchOutcome& outcome)>;

    static std::filesystem::path configurationPath();
    // Reads the configured openers afresh (a missing file gives none, without a problem).
    static UIDocumentOpenersFile configuredOpeners();
    // Configured openers first, in the file's order, then the desktop's.
    static std::vector<UIDocumentOpener> openersForDocument(const std::string& type, const std::string& path);
    // Whether some configured opener names the type itself.
    static bool hasConfiguredOpenerForType(const std::string& type);
    // The configured opener's arguments for the file and annotation.
    static std::vector<std::string> argumentsFor(const UIDocumentOpener& opener, const std::string& path,
                                                 const Annotation& annotation);
    // Starts the opener with the file; false when it could not be started. The outcome comes
    // when it could not be started or has ended; a desktop opener (GIO reaps it) is heard of
    // only as started or not.
    static bool launch(const UIDocumentOpener& opener, const std::string& path, const Annotation& annotation,
                       Outcome outcome = nullptr);
    // Starts the program of argv[0] (searched in PATH) with the arguments, without a shell, and
    // returns at once; false when it could not be started. The outcome comes when it could not
    // be started or has ended.
    static bool spawn(const std::vector<std::string>& arguments, Outcome outcome = nullptr);
};
