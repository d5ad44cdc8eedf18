#include "platform/uikit/UIDocumentOpeners.h"

#include <gio/gio.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <set>
#include <stdexcept>
#include <thread>

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/NSURL.h"
#include "platform/foundation/StateFile.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/mobilecoreservices/UTType.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string nonEmptyString(const nlohmann::json& value, const char* what) {
    if (!value.is_string() || value.get<std::string>().empty())
        throw std::runtime_error(std::string(what) + " is not a non-empty string");
    return value.get<std::string>();
}

std::vector<std::string> stringList(const nlohmann::json& value, const char* what) {
    if (!value.is_array() || value.empty()) throw std::runtime_error(std::string(what) + " is not a non-empty list");
    std::vector<std::string> list;
    for (const auto& item : value) list.push_back(nonEmptyString(item, what));
    return list;
}

std::vector<UIDocumentOpener> decode(const nlohmann::json& document) {
    if (!document.is_object() || document.size() != 1 || !document.contains("openers") ||
        !document["openers"].is_array())
        throw std::runtime_error("the document is not {\"openers\": [...]}");
    static const std::set<std::string> keys = {"id", "name", "types", "exec"};
    std::vector<UIDocumentOpener> openers;
    for (const auto& entry : document["openers"]) {
        if (!entry.is_object() || entry.size() != keys.size())
            throw std::runtime_error("an opener is not an object of id, name, types and exec");
        for (const auto& item : entry.items())
            if (!keys.count(item.key())) throw std::runtime_error("an opener has the unknown key " + item.key());
        UIDocumentOpener opener;
        opener.identifier = nonEmptyString(entry["id"], "id");
        opener.name = nonEmptyString(entry["name"], "name");
        opener.types = stringList(entry["types"], "types");
        opener.exec = stringList(entry["exec"], "exec");
        openers.push_back(std::move(opener));
    }
    return openers;
}

bool conformsToAny(const std::vector<std::string>& candidates, const std::vector<std::string>& types) {
    for (const auto& candidate : candidates)
        for (const auto& type : types)
            if (UTTypeConformsTo(candidate, type)) return true;
    return false;
}

bool desktopOpenersWanted() {
    const char* value = std::getenv("TAVORIN_DESKTOP_OPENERS");
    return !value || std::string(value) != "0";
}

// The desktop's handlers of the MIME type, each owned by the caller (g_object_unref).
std::vector<GAppInfo*> desktopHandlers(const std::string& mime) {
    std::vector<GAppInfo*> handlers;
    GList* list = g_app_info_get_all_for_type(mime.c_str());
    for (GList* item = list; item; item = item->next) handlers.push_back(G_APP_INFO(item->data));
    g_list_free(list);
    return handlers;
}

bool launchDesktop(const UIDocumentOpener& opener, const std::string& path, const UIDocumentOpeners::Outcome& outcome) {
    bool launched = false;
    std::string failure = opener.name + " is no longer among the desktop's programs";
    for (GAppInfo* info : desktopHandlers(opener.desktopMimeType)) {
        const char* id = g_app_info_get_id(info);
        if (!launched && id && opener.identifier == id) {
            GFile* file = g_file_new_for_path(path.c_str());
            GList files = {file, nullptr, nullptr};
            GError* error = nullptr;
            // GIO starts the program detached (it reaps the child itself).
            launched = g_app_info_launch(info, &files, nullptr, &error);
            failure = opener.name + " could not be started" + (error ? std::string(": ") + error->message : "");
            if (error) g_error_free(error);
            g_object_unref(file);
        }
        g_object_unref(info);
    }
    if (!launched) std::fprintf(stderr, "Open In: %s\n", failure.c_str());
    if (outcome) {
        UILaunchOutcome result;
        if (!launched) result.failure = failure;
        dispatch_async(dispatch_get_main_queue(), [outcome, result] { outcome(result); });
    }
    return launched;
}

// In words: how a program waited for ended, from its wait status.
UILaunchOutcome endedWith(const std::string& program, int status) {
    UILaunchOutcome outcome;
    if (WIFEXITED(status)) {
        outcome.exitStatus = WEXITSTATUS(status);
        if (outcome.exitStatus != 0)
            outcome.failure = program + " ended with status " + std::to_string(outcome.exitStatus);
    } else if (WIFSIGNALED(status)) {
        outcome.failure = program + " was ended by signal " + std::to_string(WTERMSIG(status));
    }
    return outcome;
}

}  // namespace

fs::path UIDocumentOpeners::configurationPath() {
    return UserDefaults::standardStorePath().parent_path() / "openers.json";
}

UIDocumentOpenersFile UIDocumentOpeners::configuredOpeners() {
    UIDocumentOpenersFile result;
    const fs::path file = configurationPath();
    StateFile::Reading reading = StateFile::read(file);
    if (reading.outcome == StateFile::Outcome::Missing) return result;
    std::string problem = reading.problem;
    if (reading.outcome == StateFile::Outcome::Read) {
        try {
            result.openers = decode(reading.document);
            return result;
        } catch (const std::exception& e) {
            problem = e.what();
        }
    }
    result.openers.clear();
    std::string failure;
    // Unreadable (permissions) is left where it is; anything else is not a list of openers.
    if (reading.outcome != StateFile::Outcome::Unreadable) result.setAsidePath = StateFile::setAside(file, &failure);
    result.problem = file.string() + ": " + problem +
                     (result.setAsidePath ? "; moved to " + result.setAsidePath->string()
                      : failure.empty()   ? ""
                                          : "; " + failure);
    std::fprintf(stderr, "Open In: %s\n", result.problem->c_str());
    return result;
}

std::vector<UIDocumentOpener> UIDocumentOpeners::openersForDocument(const std::string& type, const std::string& path) {
    const std::string fileType = UTTypeCreatePreferredIdentifierForTag(kUTTagClassFilenameExtension,
                                                                       NSURL::fileURLWithPath(path).pathExtension());
    const std::vector<std::string> candidates = {type, fileType};
    std::vector<UIDocumentOpener> openers;
    for (auto& opener : configuredOpeners().openers)
        if (conformsToAny(candidates, opener.types)) openers.push_back(std::move(opener));
    if (!desktopOpenersWanted() || !UTTypeConformsTo(type, kUTTypeImage)) return openers;
    auto mime = UTTypeCopyPreferredTagWithClass(type, kUTTagClassMIMEType);
    if (!mime) mime = UTTypeCopyPreferredTagWithClass(fileType, kUTTagClassMIMEType);
    if (!mime || !UTTypeConformsTo(fileType, kUTTypeImage)) return openers;
    for (GAppInfo* info : desktopHandlers(*mime)) {
        if (const char* id = g_app_info_get_id(info)) {
            UIDocumentOpener opener;
            opener.identifier = id;
            opener.name = g_app_info_get_display_name(info);
            opener.desktopMimeType = *mime;
            openers.push_back(std::move(opener));
        }
        g_object_unref(info);
    }
    return openers;
}

bool UIDocumentOpeners::hasConfiguredOpenerForType(const std::string& type) {
    for (const auto& opener : configuredOpeners().openers)
        for (const auto& t : opener.types)
            if (t == type) return true;
    return false;
}

std::vector<std::string> UIDocumentOpeners::argumentsFor(const UIDocumentOpener& opener, const std::string& path,
                                                         const Annotation& annotation) {
    std::vector<std::string> arguments;
    for (const auto& element : opener.exec) {
        std::string argument;
        for (std::size_t i = 0; i < element.size(); ++i) {
            if (element[i] != '%' || i + 1 == element.size()) {
                argument += element[i];
            } else if (element[i + 1] == 'f') {
                argument += path;
                ++i;
            } else if (element[i + 1] == '%') {
                argument += '%';
                ++i;
            } else if (element[i + 1] == '{' && element.find('}', i + 2) != std::string::npos) {
                const auto close = element.find('}', i + 2);
                const auto entry = annotation.find(element.substr(i + 2, close - i - 2));
                if (entry != annotation.end()) argument += entry->second;
                i = close;
            } else {
                argument += element[i];
            }
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}

bool UIDocumentOpeners::launch(const UIDocumentOpener& opener, const std::string& path, const Annotation& annotation,
                               Outcome outcome) {
    if (!opener.desktopMimeType.empty()) return launchDesktop(opener, path, outcome);
    auto arguments = argumentsFor(opener, path, annotation);
    if (arguments.empty() || arguments[0].empty()) arguments.assign(1, "");
    return spawn(arguments, std::move(outcome));
}

bool UIDocumentOpeners::spawn(const std::vector<std::string>& arguments, Outcome outcome) {
    const std::string program = arguments.empty() ? "" : arguments[0];
    int result = ENOENT;
    pid_t pid = 0;
    if (!program.empty()) {
        std::vector<std::string> copies = arguments;
        std::vector<char*> argv;
        for (auto& argument : copies) argv.push_back(argument.data());
        argv.push_back(nullptr);
        result = ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
    }
    if (result != 0) {
        const std::string failure = (program.empty() ? "a program without a name" : program) +
                                    " could not be started: " + std::strerror(result);
        std::fprintf(stderr, "%s\n", failure.c_str());
        if (outcome)
            dispatch_async(dispatch_get_main_queue(), [outcome, failure] { outcome(UILaunchOutcome{failure, -1}); });
        return false;
    }
    // A thread of its own: the program may run for as long as the user keeps it open.
    std::thread([pid, program, outcome = std::move(outcome)] {
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {}
        if (!outcome) return;
        const UILaunchOutcome result = endedWith(program, status);
        if (!result.succeeded()) std::fprintf(stderr, "%s\n", result.failure.c_str());
        dispatch_async(dispatch_get_main_queue(), [outcome, result] { outcome(result); });
    }).detach();
    return true;
}
