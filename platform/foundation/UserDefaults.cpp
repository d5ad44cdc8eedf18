#include "platform/foundation/UserDefaults.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <pwd.h>
#include <unistd.h>

#include "platform/foundation/StateFile.h"

namespace fs = std::filesystem;

namespace {

std::mutex gStandardMutex;
std::unique_ptr<UserDefaults> gStandard;

}  // namespace

fs::path UserDefaults::standardStorePath() {
    fs::path config;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg && fs::path(xdg).is_absolute()) {
        config = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* entry = ::getpwuid(::getuid());
            home = entry ? entry->pw_dir : "/tmp";
        }
        config = fs::path(home) / ".config";
    }
    return config / "tavorin" / "defaults.json";
}

UserDefaults& UserDefaults::standardUserDefaults() {
    std::lock_guard lock(gStandardMutex);
    if (!gStandard) gStandard = std::make_unique<UserDefaults>(standardStorePath());
    return *gStandard;
}

void UserDefaults::resetStandardUserDefaults() {
    std::lock_guard lock(gStandardMutex);
    if (gStandard) gStandard->synchronize();
    gStandard.reset();
}

UserDefaults::UserDefaults(fs::path file) : file_(std::move(file)) {}

UserDefaults::~UserDefaults() = default;

void UserDefaults::report(std::string message) {
    // Said once while it stays the same: a store that cannot be written is asked again and again.
    if (!problems_.empty() && problems_.back() == message) return;
    std::fprintf(stderr, "Tavorin: user defaults %s: %s\n", file_.c_str(), message.c_str());
    problems_.push_back(std::move(message));
}

void UserDefaults::loadIfNeeded() {
    if (loaded_) return;
    loaded_ = true;
    values_ = PropertyListObject::object();

    StateFile::Reading reading = StateFile::read(file_);
    switch (reading.outcome) {
    case StateFile::Outcome::Missing: return;  // nothing stored yet
    case StateFile::Outcome::Unreadable:
        // Perhaps only for now (permissions, a disk error): kept in place, and not replaced.
        writable_ = false;
        report(reading.problem + "; changes will not be saved");
        return;
    case StateFile::Outcome::Read:
        if (reading.document.is_object()) {
            values_ = std::move(reading.document);
            return;
        }
        reading.problem = "does not hold a dictionary";
        break;
    case StateFile::Outcome::Damaged: break;
    }

    // Kept for inspection instead of being written over later.
    std::string failure;
    if (std::optional<fs::path> aside = StateFile::setAside(file_, &failure)) {
        setAside_ = aside;
        report(reading.problem + "; moved aside to " + aside->string() + ", starting from empty defaults");
    } else {
        writable_ = false;
        report(reading.problem + "; " + failure + "; changes will not be saved");
    }
}

PropertyListObject UserDefaults::objectForKey(const std::string& key) {
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    auto it = values_.find(key);
    return it == values_.end() ? PropertyListObject() : *it;
}

void UserDefaults::setObject(const PropertyListObject& value, const std::string& key) {
    if (value.is_null()) {
        removeObject(key);
        return;
    }
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    values_[key] = value;
    dirty_ = true;
}

void UserDefaults::removeObject(const std::string& key) {
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    if (values_.erase(key) > 0) dirty_ = true;
}

PropertyListObject UserDefaults::dictionaryRepresentation() {
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    return values_;
}

std::vector<std::string> UserDefaults::problems() {
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    return problems_;
}

std::optional<fs::path> UserDefaults::setAsidePath() {
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    return setAside_;
}

bool UserDefaults::synchronize() {
    std::lock_guard lock(mutex_);
    loadIfNeeded();
    if (!dirty_) return writable_;
    if (!writable_) return false;  // said when it was read
    if (!writeLocked()) return false;
    dirty_ = false;
    return true;
}

bool UserDefaults::writeLocked() {
    std::string problem;
    if (StateFile::write(file_, values_, &problem)) return true;
    report(problem + "; the stored document is kept as it was");
    return false;
}
