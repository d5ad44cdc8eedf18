#include "platform/photos/PhotoStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <glib.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <set>

#include "platform/imageio/ImageIO.h"
#include "platform/photos/MovieProbe.h"

namespace fs = std::filesystem;

namespace photos {

// ---- Kill points -------------------------------------------------------------------------

namespace {
std::atomic<KillPoint> armedKillPoint{KillPoint::None};

void reach(KillPoint point) {
    if (armedKillPoint.load() == point) ::kill(::getpid(), SIGKILL);
}
}  // namespace

void SetKillPoint(KillPoint point) { armedKillPoint = point; }

NSErrorPtr PhotosError(long code, const std::string& description, const std::string& reason) {
    return NSError::errorWithDomain(kPhotosErrorDomain, code, description, reason);
}

std::string ErrorLine(const NSError& error) {
    const std::string& reason = error.localizedFailureReason();
    return error.localizedDescription() + (reason.empty() ? "" : " (" + reason + ")");
}

// ---- Helpers -----------------------------------------------------------------------------

std::string MakeUUID() {
    std::random_device device;
    std::uint8_t b[16];
    for (auto& byte : b) byte = static_cast<std::uint8_t>(device());
    b[6] = (b[6] & 0x0f) | 0x40;
    b[8] = (b[8] & 0x3f) | 0x80;
    char text[37];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", b[0], b[1],
                  b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return text;
}

std::string FileSha256(const std::string& path) {
    // Opened without waiting and read only when a regular file: a FIFO put in a photo's place
    // would keep the reader waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return "";
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return "";
    }
    GChecksum* sum = g_checksum_new(G_CHECKSUM_SHA256);
    std::vector<std::uint8_t> buffer(1 << 16);
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) ok = false;
        if (n <= 0) break;
        g_checksum_update(sum, buffer.data(), n);
    }
    ::close(fd);
    std::string hex = ok ? g_checksum_get_string(sum) : "";
    g_checksum_free(sum);
    return hex;
}

namespace {

// "yyyy:MM:dd HH:mm:ss" read as UTC seconds; nullopt when malformed.
std::optional<double> parseExifDate(const std::string& text) {
    int y, mo, d, h, mi, s;
    if (std::sscanf(text.c_str(), "%4d:%2d:%2d %2d:%2d:%2d", &y, &mo, &d, &h, &mi, &s) != 6) return std::nullopt;
    if (y < 1800 || mo < 1 || mo > 12 || d < 1 || d > 31 || h > 23 || mi > 59 || s > 60) return std::nullopt;
    std::tm tm{};
    tm.tm_year = y - 1900, tm.tm_mon = mo - 1, tm.tm_mday = d, tm.tm_hour = h, tm.tm_min = mi, tm.tm_sec = s;
    return static_cast<double>(::timegm(&tm));
}

// "+hh:mm" / "-hh:mm" in seconds east of UTC.
std::optional<int> parseOffset(const std::string& text) {
    int h, m;
    char sign;
    if (std::sscanf(text.c_str(), "%c%2d:%2d", &sign, &h, &m) != 3 || (sign != '+' && sign != '-')) return std::nullopt;
    return (sign == '-' ? -1 : 1) * (h * 3600 + m * 60);
}

const std::string* stringEntry(const platform::ImageProperties& p, const char* group, const char* key) {
    const platform::ImagePropertyValue* v = platform::ImagePropertyFind(p, group, key);
    return v ? v->string() : nullptr;
}

}  // namespace

std::optional<double> ImageCreationDate(const std::string& path) {
    auto source = platform::ImageSource::createWithFile(path);
    if (!source || source->count() == 0) return std::nullopt;
    const platform::ImageProperties p = source->propertiesAtIndex(0);
    if (const std::string* original = stringEntry(p, "{Exif}", "DateTimeOriginal")) {
        if (auto seconds = parseExifDate(*original)) {
            // Without an offset the text is local time as the camera knew it.
            std::optional<int> offset;
            if (const std::string* o = stringEntry(p, "{Exif}", "OffsetTimeOriginal")) offset = parseOffset(*o);
            if (offset) return *seconds - *offset;
            std::time_t t = static_cast<std::time_t>(*seconds);
            std::tm local{};
            ::localtime_r(&t, &local);
            return *seconds - local.tm_gmtoff;
        }
    }
    const std::string* date = stringEntry(p, "{GPS}", "DateStamp");
    const std::string* time = stringEntry(p, "{GPS}", "TimeStamp");
    if (time && time->size() >= 19) return parseExifDate(*time);
    if (date && time) return parseExifDate(*date + " " + *time);
    return std::nullopt;
}

namespace {

// ---- SQLite ------------------------------------------------------------------------------

class Statement {
public:
    Statement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr); }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    explicit operator bool() const { return stmt_ != nullptr; }

    Statement& bind(int i, std::int64_t v) {
        sqlite3_bind_int64(stmt_, i, v);
        return *this;
    }
    Statement& bind(int i, int v) {
        sqlite3_bind_int(stmt_, i, v);
        return *this;
    }
    Statement& bind(int i, double v) {
        sqlite3_bind_double(stmt_, i, v);
        return *this;
    }
    Statement& bind(int i, const std::string& v) {
        sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int i, const std::vector<std::uint8_t>& v) {
        sqlite3_bind_blob(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int i, const std::optional<double>& v) {
        if (v) sqlite3_bind_double(stmt_, i, *v);
        else sqlite3_bind_null(stmt_, i);
        return *this;
    }
    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step() { return stmt_ ? sqlite3_step(stmt_) : SQLITE_ERROR; }
    bool run() { return step() == SQLITE_DONE; }

    std::int64_t integer(int c) const { return sqlite3_column_int64(stmt_, c); }
    double real(int c) const { return sqlite3_column_double(stmt_, c); }
    bool isNull(int c) const { return sqlite3_column_type(stmt_, c) == SQLITE_NULL; }
    std::optional<double> optionalReal(int c) const { return isNull(c) ? std::nullopt : std::optional(real(c)); }
    std::string text(int c) const {
        const auto* t = sqlite3_column_text(stmt_, c);
        return t ? std::string(reinterpret_cast<const char*>(t), sqlite3_column_bytes(stmt_, c)) : "";
    }
    std::vector<std::uint8_t> blob(int c) const {
        const auto* p = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, c));
        return p ? std::vector<std::uint8_t>(p, p + sqlite3_column_bytes(stmt_, c)) : std::vector<std::uint8_t>{};
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
};

bool exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

const char* kSchema = R"sql(
CREATE TABLE asset(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  uuid TEXT NOT NULL UNIQUE,
  media_type INTEGER NOT NULL,
  panorama INTEGER NOT NULL DEFAULT 0,
  self_portrait INTEGER NOT NULL DEFAULT 0,
  favorite INTEGER NOT NULL DEFAULT 0,
  original_path TEXT NOT NULL,
  original_type TEXT NOT NULL,
  original_sha256 TEXT NOT NULL,
  orientation INTEGER NOT NULL,
  width INTEGER NOT NULL,
  height INTEGER NOT NULL,
  creation_date REAL NOT NULL,
  modification_date REAL NOT NULL,
  latitude REAL,
  longitude REAL,
  duration REAL NOT NULL DEFAULT 0,
  revision INTEGER NOT NULL DEFAULT 1,
  trashed_date REAL,
  missing INTEGER NOT NULL DEFAULT 0);
CREATE INDEX asset_sha256 ON asset(original_sha256);
CREATE TABLE edit(
  asset_id INTEGER PRIMARY KEY REFERENCES asset(id) ON DELETE CASCADE,
  render_path TEXT NOT NULL,
  format_identifier TEXT NOT NULL CHECK(length(CAST(format_identifier AS BLOB)) BETWEEN 1 AND 256),
  format_version TEXT NOT NULL CHECK(length(CAST(format_version AS BLOB)) BETWEEN 1 AND 64),
  data BLOB NOT NULL CHECK(length(data) <= 1048576),
  base_revision INTEGER NOT NULL);
CREATE TABLE album(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  uuid TEXT NOT NULL UNIQUE,
  title TEXT NOT NULL);
CREATE TABLE album_asset(
  album_id INTEGER NOT NULL REFERENCES album(id) ON DELETE CASCADE,
  asset_id INTEGER NOT NULL REFERENCES asset(id) ON DELETE CASCADE,
  position INTEGER NOT NULL,
  PRIMARY KEY(album_id, asset_id));
CREATE TABLE change_log(
  id INTEGER PRIMARY KEY AUTOINCREMENT,
  kind TEXT NOT NULL,
  uuid TEXT NOT NULL,
  date REAL NOT NULL);
)sql";

// kMigrations[v - 1] takes a library of schema v to v + 1.
const char* const kMigrations[] = {
    R"sql(
ALTER TABLE asset ADD COLUMN adopted INTEGER NOT NULL DEFAULT 0;
CREATE TABLE removable_file(path TEXT PRIMARY KEY);
)sql",
};
static_assert(std::size(kMigrations) == kSchemaVersion - 1);

constexpr std::int64_t kChangeLogKept = 10000;

double now() { return static_cast<double>(std::time(nullptr)); }

std::string extensionFor(const std::string& type) {
    if (type == "public.jpeg") return "jpg";
    if (type == "public.png") return "png";
    if (type == "public.tiff") return "tiff";
    return "mov";
}

std::string shard(const std::string& uuid) {
    std::string s = uuid.substr(0, 2);
    for (auto& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool fsyncPath(const std::string& path, int flags) {
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// Copies `from` into a new file `to` (never a link: callers reuse their files) and flushes it;
// on failure the error, and whether it was the reading of `from`.
bool copyFlushed(const std::string& from, const std::string& to, int* error, bool* reading) {
    *reading = true;
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return *error = errno, false;
    *reading = false;
    // Read-only: the library never changes a file once written, and inputs are links to it.
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0444);
    if (out < 0) return *error = errno, ::close(in), false;
    std::vector<char> buffer(1 << 16);
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *error = errno, *reading = true, ok = false;
            break;
        }
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer.data() + done, n - done);
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) {
                *error = errno, ok = false;
                break;
            }
            done += w;
        }
        if (!ok) break;
    }
    // The copy keeps the file's time: a photo without a date of its own is dated by it, also
    // when the library must read it again.
    struct stat st {};
    if (ok && ::fstat(in, &st) == 0) {
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ::futimens(out, times);
    }
    if (ok && ::fsync(out) != 0) *error = errno, ok = false;
    if (::close(out) != 0 && ok) *error = errno, ok = false;
    ::close(in);
    if (!ok) ::unlink(to.c_str());
    return ok;
}

// Writes `text` into a new, read-only file `to` and flushes it; 0, or the error.
int writeFlushed(const std::string& text, const std::string& to) {
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0444);
    if (out < 0) return errno;
    int error = 0;
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t w = ::write(out, text.data() + done, text.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w < 0) {
            error = errno;
            break;
        }
        done += static_cast<std::size_t>(w);
    }
    if (error == 0 && ::fsync(out) != 0) error = errno;
    if (::close(out) != 0 && error == 0) error = errno;
    if (error != 0) ::unlink(to.c_str());
    return error;
}

// The deletion mark of a file and its text; the marked file of a mark's name.
std::string deletionMark(const std::string& file) { return file + kDeletionMarkSuffix; }
std::string deletionMarkText(double date) {
    return "deleted " + std::to_string(static_cast<std::int64_t>(date)) + "\n";
}
bool isDeletionMark(const std::string& name) {
    const std::size_t n = std::strlen(kDeletionMarkSuffix);
    return name.size() > n && name.compare(name.size() - n, n, kDeletionMarkSuffix) == 0;
}
std::string markedFile(const std::string& mark) {
    return mark.substr(0, mark.size() - std::strlen(kDeletionMarkSuffix));
}

bool fullDisk(int error) { return error == ENOSPC || error == EDQUOT; }
bool readOnly(int error) { return error == EROFS || error == EACCES || error == EPERM; }

// A failure of the file system, named by its cause when the person can act on it.
NSErrorPtr storageError(int error, const std::string& what, const char* otherwise) {
    const std::string reason = what + ": " + std::strerror(error);
    if (fullDisk(error))
        return PhotosError(kPhotosErrorNotEnoughSpace, "There is not enough space on the photo library's disk.",
                           reason);
    if (readOnly(error)) return PhotosError(kPhotosErrorLibraryReadOnly, "The photo library is read-only.", reason);
    return PhotosError(kPhotosErrorInternal, otherwise, reason);
}

NSErrorPtr fileError(int error, const std::string& what) {
    return storageError(error, what, "The photo library could not write a file.");
}

// A failure of the index, named by its cause as above; a busy index is named as such.
NSErrorPtr indexError(sqlite3* db, const std::string& path, const char* otherwise) {
    const int code = sqlite3_errcode(db) & 0xff;
    const int system = sqlite3_system_errno(db);
    const bool systemFailure = code == SQLITE_IOERR || code == SQLITE_CANTOPEN || code == SQLITE_FULL;
    const std::string reason = path + ": " + sqlite3_errmsg(db) +
                               (systemFailure && system != 0 ? std::string(" (") + std::strerror(system) + ")" : "");
    if (code == SQLITE_FULL || ((code == SQLITE_IOERR || code == SQLITE_CANTOPEN) && fullDisk(system)))
        return PhotosError(kPhotosErrorNotEnoughSpace, "There is not enough space on the photo library's disk.",
                           reason);
    if (code == SQLITE_READONLY || ((code == SQLITE_IOERR || code == SQLITE_CANTOPEN) && readOnly(system)))
        return PhotosError(kPhotosErrorLibraryReadOnly, "The photo library is read-only.", reason);
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        return PhotosError(kPhotosErrorInternal, "The photo library is busy: another program is writing to it.",
                           reason);
    return PhotosError(kPhotosErrorInternal, otherwise, reason);
}

bool damagedIndex(sqlite3* db) {
    const int code = sqlite3_errcode(db) & 0xff;
    return code == SQLITE_CORRUPT || code == SQLITE_NOTADB;
}

// BEGIN IMMEDIATE, waiting out other writers for a while (each try waits the busy timeout).
bool beginWrite(sqlite3* db) {
    for (int attempt = 0; attempt < 6; ++attempt) {
        if (exec(db, "BEGIN IMMEDIATE")) return true;
        if ((sqlite3_errcode(db) & 0xff) != SQLITE_BUSY) return false;
    }
    return false;
}

AssetRecord readAsset(const Statement& s) {
    AssetRecord a;
    a.id = s.integer(0);
    a.uuid = s.text(1);
    a.mediaType = static_cast<int>(s.integer(2));
    a.panorama = s.integer(3) != 0;
    a.selfPortrait = s.integer(4) != 0;
    a.favorite = s.integer(5) != 0;
    a.originalPath = s.text(6);
    a.originalType = s.text(7);
    a.originalSha256 = s.text(8);
    a.orientation = static_cast<int>(s.integer(9));
    a.width = static_cast<int>(s.integer(10));
    a.height = static_cast<int>(s.integer(11));
    a.creationDate = s.real(12);
    a.modificationDate = s.real(13);
    a.latitude = s.optionalReal(14);
    a.longitude = s.optionalReal(15);
    a.duration = s.real(16);
    a.revision = s.integer(17);
    a.trashedDate = s.optionalReal(18);
    a.missing = s.integer(19) != 0;
    a.adopted = s.integer(20) != 0;
    if (!s.isNull(21)) a.edit = EditRecord{s.text(21), s.text(22), s.text(23), s.blob(24), s.integer(25)};
    return a;
}

constexpr const char* kAssetColumns =
    "SELECT a.id, a.uuid, a.media_type, a.panorama, a.self_portrait, a.favorite, a.original_path, "
    "a.original_type, a.original_sha256, a.orientation, a.width, a.height, a.creation_date, "
    "a.modification_date, a.latitude, a.longitude, a.duration, a.revision, a.trashed_date, a.missing, a.adopted, "
    "e.render_path, e.format_identifier, e.format_version, e.data, e.base_revision "
    "FROM asset a LEFT JOIN edit e ON e.asset_id = a.id ";

// The facts of a new original, read from its file before the commit.
struct NewOriginal {
    const AssetCreation* request = nullptr;
    std::string type, sha256, relative;
    int orientation = 1, width = 0, height = 0;
    double creationDate = 0, duration = 0;
    std::optional<double> latitude, longitude;
};

std::optional<double> gpsDegrees(const platform::ImageProperties& p, const char* key, const char* refKey,
                                 const char* negative) {
    const platform::ImagePropertyValue* v = platform::ImagePropertyFind(p, "{GPS}", key);
    const std::string* ref = stringEntry(p, "{GPS}", refKey);
    if (!v || !v->number() || !std::isfinite(*v->number())) return std::nullopt;
    return (ref && *ref == negative) ? -*v->number() : *v->number();
}

// Reads and checks a creation's source; the error says why it is refused. A file the library
// already holds (adopted) need only give its header: the library keeps it whatever its pixels.
bool describeOriginal(const AssetCreation& c, NewOriginal* out, NSErrorPtr* error, bool wholePicture = true) {
    out->request = &c;
    struct stat st {};
    const bool found = ::stat(c.sourcePath.c_str(), &st) == 0;
    if (!found || !S_ISREG(st.st_mode)) {
        const std::string why = found ? "not a regular file" : std::strerror(errno);
        *error =
            PhotosError(kPhotosErrorInvalidResource, "The file to add could not be read.", c.sourcePath + ": " + why);
        return false;
    }
    out->creationDate = static_cast<double>(st.st_mtim.tv_sec);
    if (c.movie) {
        auto movie = ProbeMovie(c.sourcePath);
        if (!movie) {
            *error = PhotosError(kPhotosErrorInvalidResource, "The movie to add could not be opened.", c.sourcePath);
            return false;
        }
        out->type = "public.movie";
        out->width = movie->width, out->height = movie->height, out->duration = movie->duration;
    } else {
        platform::ImageIOError e;
        auto source = platform::ImageSource::createWithFile(c.sourcePath, &e);
        // The whole picture must decode, not only its header.
        if (!source || source->count() == 0 ||
            (wholePicture && !source->createImageAtIndex(0, platform::ImagePixelFormat::RGBA, &e))) {
            *error = PhotosError(kPhotosErrorInvalidResource, "The photo to add could not be read.",
                                 c.sourcePath + ": " + (e.message.empty() ? "not a photo" : e.message));
            return false;
        }
        out->type = source->typeIdentifier();
        out->orientation = source->exifOrientation(0);
        const bool swap = platform::ImageOrientationSwapsSize(platform::ImageOrientationFromEXIF(out->orientation));
        out->width = static_cast<int>(swap ? source->pixelHeight(0) : source->pixelWidth(0));
        out->height = static_cast<int>(swap ? source->pixelWidth(0) : source->pixelHeight(0));
        if (auto date = ImageCreationDate(c.sourcePath)) out->creationDate = *date;
        const platform::ImageProperties p = source->propertiesAtIndex(0);
        out->latitude = gpsDegrees(p, "Latitude", "LatitudeRef", "S");
        out->longitude = gpsDegrees(p, "Longitude", "LongitudeRef", "W");
        if (!out->latitude || !out->longitude) out->latitude.reset(), out->longitude.reset();
    }
    out->sha256 = FileSha256(c.sourcePath);
    if (out->sha256.empty()) {
        *error = PhotosError(kPhotosErrorInvalidResource, "The file to add could not be read.", c.sourcePath);
        return false;
    }
    out->relative = "originals/" + shard(c.uuid) + "/" + c.uuid + "." + extensionFor(out->type);
    return true;
}

bool validEdit(const EditRecord& e) {
    return !e.formatIdentifier.empty() && e.formatIdentifier.size() <= kMaxFormatIdentifierBytes &&
           !e.formatVersion.empty() && e.formatVersion.size() <= kMaxFormatVersionBytes &&
           e.data.size() <= kMaxAdjustmentDataBytes;
}

bool decodesAsJPEG(const std::string& path) {
    auto source = platform::ImageSource::createWithFile(path);
    return source && source->type() == platform::ImageFileType::JPEG && source->createImageAtIndex(0).has_value();
}

int commitHook(void*) {
    reach(KillPoint::InCommitHook);
    return 0;
}

std::vector<std::string> listFiles(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto& entry : fs::directory_iterator(folder, ec)) names.push_back(entry.path().filename().string());
    return names;
}

}  // namespace

// ---- Opening -----------------------------------------------------------------------------

namespace {

// `base`.damaged-<local date>, numbered when that name with any of the suffixes is taken.
std::string asideName(const std::string& base, std::initializer_list<const char*> suffixes) {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&t, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    std::string aside;
    for (int n = 1;; ++n) {
        aside = base + ".damaged-" + stamp + (n > 1 ? "-" + std::to_string(n) : "");
        bool taken = false;
        struct stat st {};
        for (const char* suffix : suffixes) taken = taken || ::lstat((aside + suffix).c_str(), &st) == 0;
        if (!taken) break;
    }
    return aside;
}

// Moves the files `base` + each suffix that exist aside as `aside` + the suffix; false with the
// error when one cannot be moved.
bool moveAside(const std::string& base, const std::string& aside, std::initializer_list<const char*> suffixes,
               int* error) {
    for (const char* suffix : suffixes) {
        struct stat st {};
        if (::lstat((base + suffix).c_str(), &st) != 0) continue;
        if (::rename((base + suffix).c_str(), (aside + suffix).c_str()) != 0) return *error = errno, false;
    }
    return true;
}

// Moves the files `base` + each suffix aside under a free dated name; the new base, or empty
// with the error.
std::string setAside(const std::string& base, std::initializer_list<const char*> suffixes, int* error) {
    const std::string aside = asideName(base, suffixes);
    return moveAside(base, aside, suffixes, error) ? aside : "";
}

bool isRegularOrAbsent(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode);
}

}  // namespace

std::unique_ptr<PhotoStore> PhotoStore::open(const std::string& root, NSErrorPtr* error) {
    std::unique_ptr<PhotoStore> store(new PhotoStore);
    store->root_ = root;
    std::error_code ec;
    for (const char* sub : {"", "/originals", "/renders", "/staging", "/inputs"}) {
        fs::create_directories(root + sub, ec);
        if (ec) {
            *error = storageError(ec.value(), root + sub, "The photo library's folder could not be made.");
            return nullptr;
        }
    }
    // A library that cannot be written is refused before anything is tried in it.
    if (::access(root.c_str(), W_OK) != 0) {
        *error = storageError(errno, root, "The photo library's folder cannot be written.");
        return nullptr;
    }
    if (!store->lock(error)) return nullptr;
    store->readRebuild();
    if (!store->openIndex(error)) return nullptr;
    store->reportRebuild();
    if (store->alone_) {
        store->sweep();
        ::flock(store->lockFd_, LOCK_SH);  // converts the exclusive lock
        store->alone_ = false;
    }
    // A rebuild reports every photo it has taken back, also those of an opening killed in the
    // middle of it.
    if (store->rebuild_) {
        Statement s(store->db_,
                    "SELECT uuid FROM asset WHERE adopted = 1 AND trashed_date IS NULL AND id > ? ORDER BY id");
        s.bind(1, store->rebuild_->firstRow);
        auto& adopted = store->sweepReport_.adopted;
        adopted.clear();
        while (s.step() == SQLITE_ROW) adopted.push_back(s.text(0));
    }
    sqlite3_commit_hook(store->db_, commitHook, nullptr);
    return store;
}

// ---- The record of a rebuild -------------------------------------------------------------

namespace {

constexpr std::pair<SweepReport::Index, const char*> kIndexStates[] = {
    {SweepReport::Index::Sound, "sound"},
    {SweepReport::Index::Missing, "missing"},
    {SweepReport::Index::Empty, "empty"},
    {SweepReport::Index::SetAside, "set-aside"},
};

}  // namespace

// The record is lines of a key and a value: "index <state>", "reason <text>", "aside <name>"
// (each), "first-row <id>".
void PhotoStore::readRebuild() {
    const std::string path = root_ + "/library.rebuild";
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return;
    std::optional<Rebuild> record;
    if (S_ISREG(st.st_mode) && st.st_size <= (1 << 16)) {
        std::ifstream in(path);
        Rebuild r;
        bool state = false, firstRow = false, malformed = false;
        for (std::string line; std::getline(in, line);) {
            const std::size_t space = line.find(' ');
            const std::string key = line.substr(0, space),
                              value = space == std::string::npos ? "" : line.substr(space + 1);
            if (key == "index") {
                for (auto& [index, name] : kIndexStates)
                    if (value == name) r.index = index, state = true;
            } else if (key == "reason") {
                r.reason = value;
            } else if (key == "aside" && !value.empty() && value.find('/') == std::string::npos) {
                r.asides.push_back(value);
            } else if (key == "first-row") {
                char* end = nullptr;
                r.firstRow = std::strtoll(value.c_str(), &end, 10);
                firstRow = !value.empty() && *end == '\0' && r.firstRow >= 0;
            } else {
                malformed = true;
            }
        }
        if (state && firstRow && !malformed) record = r;
    }
    if (!record) {
        // Not a record this program wrote: moved aside, as a damaged lock or journal is.
        int err = 0;
        const std::string aside = alone_ ? setAside(path, {""}, &err) : "";
        if (!aside.empty()) sweepReport_.setAsideFiles.push_back(aside);
        return;
    }
    // A name recorded by an opening killed before the index was moved is not there.
    std::erase_if(record->asides, [&](const std::string& name) { return !fs::exists(root_ + "/" + name); });
    rebuild_ = record;
}

bool PhotoStore::recordRebuild(const Rebuild& rebuild, NSErrorPtr* error) {
    std::string text;
    for (auto& [index, name] : kIndexStates)
        if (index == rebuild.index) text += std::string("index ") + name + "\n";
    if (!rebuild.reason.empty()) {
        std::string reason = rebuild.reason;
        std::replace(reason.begin(), reason.end(), '\n', ' ');
        text += "reason " + reason + "\n";
    }
    for (auto& aside : rebuild.asides) text += "aside " + aside + "\n";
    text += "first-row " + std::to_string(rebuild.firstRow) + "\n";
    // Written whole beside it first: a kill leaves the old record or the new one.
    const std::string path = root_ + "/library.rebuild", staged = stagingPath("rebuild");
    int err = writeFlushed(text, staged);
    if (err == 0 && ::rename(staged.c_str(), path.c_str()) != 0) err = errno;
    if (err == 0 && !fsyncPath(root_, O_RDONLY | O_DIRECTORY)) err = errno;
    if (err != 0) {
        ::unlink(staged.c_str());
        *error = storageError(err, path, "The photo library could not record what it is rebuilding.");
        return false;
    }
    rebuild_ = rebuild;
    return true;
}

void PhotoStore::finishRebuild() {
    const std::string path = root_ + "/library.rebuild";
    if (::unlink(path.c_str()) == 0) fsyncPath(root_, O_RDONLY | O_DIRECTORY);
}

void PhotoStore::reportRebuild() {
    if (!rebuild_) return;
    SweepReport& report = sweepReport_;
    report.index = rebuild_->index;
    report.setAsideReason = rebuild_->reason;
    // The index's own name last, as the report lists them.
    const auto& asides = rebuild_->asides;
    for (std::size_t i = 1; i < asides.size(); ++i) report.setAsideFiles.push_back(root_ + "/" + asides[i]);
    if (!asides.empty()) report.setAsideFiles.push_back(root_ + "/" + asides[0]);
}

bool PhotoStore::lock(NSErrorPtr* error) {
    const std::string path = root_ + "/library.lock";
    // Anything but a regular file in the lock's place (a folder, a FIFO) is moved aside.
    if (!isRegularOrAbsent(path)) {
        int err = 0;
        const std::string aside = setAside(path, {""}, &err);
        if (aside.empty()) return *error = storageError(err, path, "The photo library could not be locked."), false;
        sweepReport_.setAsideFiles.push_back(aside);
    }
    lockFd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    if (lockFd_ < 0) return *error = storageError(errno, path, "The photo library could not be locked."), false;
    alone_ = ::flock(lockFd_, LOCK_EX | LOCK_NB) == 0;
    if (!alone_) ::flock(lockFd_, LOCK_SH);
    return true;
}

bool PhotoStore::openIndex(NSErrorPtr* error) {
    const std::string path = root_ + "/library.sqlite";
    // The journal's side files hold no data unless they are regular files.
    for (const char* side : {"-wal", "-shm"}) {
        if (isRegularOrAbsent(path + side)) continue;
        int err = 0;
        const std::string aside = setAside(path + side, {""}, &err);
        if (aside.empty())
            return *error = storageError(err, path + side, "The photo library could not be opened."), false;
        sweepReport_.setAsideFiles.push_back(aside);
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno != ENOENT) return *error = storageError(errno, path, "The photo library could not be opened."), false;
        return recoverIndex(SweepReport::Index::Missing, "", error);
    }
    if (!S_ISREG(st.st_mode)) return recoverIndex(SweepReport::Index::SetAside, "it is not a file", error);
    if (st.st_size == 0) return recoverIndex(SweepReport::Index::Empty, "", error);
    if (::access(path.c_str(), W_OK) != 0)
        return *error = storageError(errno, path, "The photo library could not be opened."), false;

    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr) != SQLITE_OK)
        return *error = indexError(db_, path, "The photo library could not be opened."), false;
    sqlite3_busy_timeout(db_, 5000);
    // Checks that only read come first, so a library this program must refuse is never written.
    std::int64_t version = -1;
    {
        Statement s(db_, "PRAGMA user_version");
        if (s.step() == SQLITE_ROW) version = s.integer(0);
    }
    if (version < 0) {
        if (damagedIndex(db_)) return recoverIndex(SweepReport::Index::SetAside, sqlite3_errmsg(db_), error);
        return *error = indexError(db_, path, "The photo library could not be opened."), false;
    }
    if (version > kSchemaVersion) {
        *error = PhotosError(kPhotosErrorLibraryRefused,
                             "The photo library was made by a newer version of Tavorin and was left as it is.",
                             path + ": schema " + std::to_string(version));
        return false;
    }
    {
        Statement s(db_, "PRAGMA quick_check");
        const int step = s.step();
        if (step == SQLITE_ROW && s.text(0) != "ok")
            return recoverIndex(SweepReport::Index::SetAside, s.text(0), error);
        if (step != SQLITE_ROW) {
            if (damagedIndex(db_)) return recoverIndex(SweepReport::Index::SetAside, sqlite3_errmsg(db_), error);
            return *error = indexError(db_, path, "The photo library could not be opened."), false;
        }
    }
    if (sqlite3_db_readonly(db_, "main") == 1)
        return *error = PhotosError(kPhotosErrorLibraryReadOnly, "The photo library is read-only.", path), false;
    return createOrMigrate(version, error);
}

bool PhotoStore::recoverIndex(SweepReport::Index state, const std::string& reason, NSErrorPtr* error) {
    const std::string path = root_ + "/library.sqlite";
    if (db_) sqlite3_close_v2(db_), db_ = nullptr;
    // Only a process alone with the library may replace its index: another one is using it.
    if (!alone_) {
        alone_ = ::flock(lockFd_, LOCK_EX | LOCK_NB) == 0;
        if (!alone_) {
            ::flock(lockFd_, LOCK_SH);
            *error = PhotosError(kPhotosErrorLibraryRefused,
                                 state == SweepReport::Index::SetAside
                                     ? "The photo library's index cannot be read and was left as it is, because "
                                       "another program has the library open. Quit it and try again."
                                     : "The photo library's index is missing and was not made anew, because another "
                                       "program has the library open. Quit it and try again.",
                                 path + (reason.empty() ? "" : ": " + reason));
            return false;
        }
    }
    // Why, and what is set aside, is recorded before the index is touched; a rebuild that an
    // earlier opening began and never finished keeps its own cause, the first one.
    Rebuild rebuild;
    if (rebuild_ && rebuild_->index != SweepReport::Index::Sound) rebuild = *rebuild_;
    else rebuild.index = state, rebuild.reason = reason;
    rebuild.firstRow = 0;
    // An unreadable index is kept under another name; so is a journal left without its index,
    // which a new index must not take as its own.
    const bool journal = !isRegularOrAbsent(path + "-wal") || fs::exists(path + "-wal") || fs::exists(path + "-shm");
    std::string aside;
    if (state == SweepReport::Index::SetAside || journal) {
        aside = asideName(path, {"", "-wal", "-shm"});
        rebuild.asides.push_back(fs::path(aside).filename().string());
    }
    if (!recordRebuild(rebuild, error)) return false;
    reach(KillPoint::AfterRebuildRecorded);
    int err = 0;
    if (!aside.empty() && !moveAside(path, aside, {"", "-wal", "-shm"}, &err))
        return *error = storageError(err, path, "The photo library's index could not be set aside."), false;
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK)
        return *error = indexError(db_, path, "The photo library could not be created."), false;
    sqlite3_busy_timeout(db_, 5000);
    if (!createOrMigrate(0, error)) return false;
    reach(KillPoint::AfterIndexMade);
    return true;
}

bool PhotoStore::createOrMigrate(std::int64_t version, NSErrorPtr* error) {
    const std::string path = root_ + "/library.sqlite";
    exec(db_, "PRAGMA journal_mode=WAL");
    exec(db_, "PRAGMA synchronous=FULL");
    exec(db_, "PRAGMA foreign_keys=ON");
    if (version == kSchemaVersion) return true;
    // Another process may have done it meanwhile: the version is read again inside.
    std::string script;
    if (beginWrite(db_)) {
        Statement s(db_, "PRAGMA user_version");
        version = s.step() == SQLITE_ROW ? s.integer(0) : -1;
        if (version == 0) script += kSchema;
        for (std::int64_t v = std::max<std::int64_t>(version, 1); v >= 0 && v < kSchemaVersion; ++v)
            script += kMigrations[v - 1];
        script += "PRAGMA user_version=" + std::to_string(kSchemaVersion) + ";";
    }
    if (script.empty() || !exec(db_, script.c_str()) || !exec(db_, "COMMIT")) {
        *error = indexError(db_, path,
                            version == 0 ? "The photo library could not be created."
                                         : "The photo library could not be updated for this version.");
        exec(db_, "ROLLBACK");
        return false;
    }
    return true;
}

PhotoStore::~PhotoStore() {
    if (db_) sqlite3_close_v2(db_);
    if (lockFd_ >= 0) ::close(lockFd_);  // releases the lock
}

// ---- Sweep -------------------------------------------------------------------------------

namespace {

// Our own names: <UUID>.<ext> for originals, <UUID>.r<revision>.jpg for renders.
const std::regex kOurName(
    R"(([0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12})(\.r([0-9]+))?\.(jpg|png|tiff|mov))");

std::pair<dev_t, ino_t> fileIdentity(const struct stat& st) { return {st.st_dev, st.st_ino}; }

// The date a deletion mark gives, else its file's time.
double deletionDate(const std::string& mark, const struct stat& st) {
    std::ifstream in(mark);
    std::string word;
    double date = 0;
    if (st.st_size < 64 && in >> word >> date && word == "deleted" && std::isfinite(date)) return date;
    return static_cast<double>(st.st_mtim.tv_sec);
}

}  // namespace

void PhotoStore::removeRecorded(SweepReport& report) {
    std::vector<std::string> paths;
    {
        Statement s(db_, "SELECT path FROM removable_file");
        while (s.step() == SQLITE_ROW) paths.push_back(s.text(0));
    }
    // Deletion marks go last, and only once the file they mark is gone: a rebuild would take a
    // file without its mark back as a live photo.
    std::stable_partition(paths.begin(), paths.end(), [](auto& path) { return !isDeletionMark(path); });
    for (auto& path : paths) {
        // A file some row names again is never removed, whatever was recorded.
        Statement named(db_,
                        "SELECT 1 FROM asset WHERE original_path = ?1 UNION ALL "
                        "SELECT 1 FROM edit WHERE render_path = ?1");
        named.bind(1, isDeletionMark(path) ? markedFile(path) : path);
        struct stat st {};
        const bool markStillNeeded = isDeletionMark(path) && ::lstat(absolutePath(markedFile(path)).c_str(), &st) == 0;
        if (named.step() != SQLITE_ROW && !markStillNeeded && ::unlink(absolutePath(path).c_str()) == 0 &&
            !isDeletionMark(path))
            ++report.filesRemoved;
        Statement d(db_, "DELETE FROM removable_file WHERE path = ?");
        d.bind(1, path).run();
    }
}

void PhotoStore::sweep() {
    SweepReport& report = sweepReport_;
    // Staged files with a twin in place are changes that never committed (see the header).
    std::set<std::pair<dev_t, ino_t>> staged;
    for (auto& name : listFiles(root_ + "/staging")) {
        struct stat st {};
        if (::lstat((root_ + "/staging/" + name).c_str(), &st) == 0 && S_ISREG(st.st_mode))
            staged.insert(fileIdentity(st));
    }
    removeRecorded(report);

    // Trash past its keeping time goes: its files are recorded with the rows' removal.
    if (beginWrite(db_)) {
        const double before = now() - kTrashRetentionSeconds;
        Statement files(db_,
                        "INSERT OR IGNORE INTO removable_file(path) "
                        "SELECT original_path FROM asset WHERE trashed_date IS NOT NULL AND trashed_date < ?1 "
                        "UNION SELECT e.render_path FROM edit e JOIN asset a ON a.id = e.asset_id "
                        "WHERE a.trashed_date IS NOT NULL AND a.trashed_date < ?1 "
                        "UNION SELECT original_path || ?2 FROM asset WHERE trashed_date IS NOT NULL AND "
                        "trashed_date < ?1 "
                        "UNION SELECT e.render_path || ?2 FROM edit e JOIN asset a ON a.id = e.asset_id "
                        "WHERE a.trashed_date IS NOT NULL AND a.trashed_date < ?1");
        files.bind(1, before).bind(2, std::string(kDeletionMarkSuffix));
        Statement rows(db_, "DELETE FROM asset WHERE trashed_date IS NOT NULL AND trashed_date < ?");
        rows.bind(1, before);
        if (files.run() && rows.run()) report.trashPurged = sqlite3_changes(db_);
        if (!exec(db_, "COMMIT")) exec(db_, "ROLLBACK"), report.trashPurged = 0;
    }
    reach(KillPoint::DuringSweep);
    removeRecorded(report);

    std::set<std::string> referenced, trashed;
    {
        Statement s(db_,
                    "SELECT a.original_path, e.render_path, a.trashed_date IS NOT NULL FROM asset a "
                    "LEFT JOIN edit e ON e.asset_id = a.id");
        while (s.step() == SQLITE_ROW)
            for (int c : {0, 1}) {
                if (s.isNull(c)) continue;
                referenced.insert(s.text(c));
                if (s.integer(2) != 0) trashed.insert(s.text(c));
            }
    }
    std::vector<std::string> originals, renders;
    DeletionMarks deletions;
    for (const char* top : {"originals", "renders"}) {
        for (auto& sub : listFiles(root_ + "/" + top)) {
            for (auto& name : listFiles(root_ + "/" + top + "/" + sub)) {
                const std::string relative = std::string(top) + "/" + sub + "/" + name;
                const bool mark = isDeletionMark(name);
                struct stat st {};
                if ((!mark && referenced.count(relative)) ||
                    !std::regex_match(mark ? markedFile(name) : name, kOurName) ||
                    ::lstat(absolutePath(relative).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
                    continue;
                // With an index made anew, no change can be known not to have committed; a
                // delete has committed when its photo is deleted.
                if (report.index == SweepReport::Index::Sound && staged.count(fileIdentity(st)) &&
                    !(mark && trashed.count(markedFile(relative)))) {
                    if (::unlink(absolutePath(relative).c_str()) == 0 && !mark) ++report.filesRemoved;
                    continue;
                }
                if (mark) deletions[markedFile(relative)] = deletionDate(absolutePath(relative), st);
                else (top == std::string("originals") ? originals : renders).push_back(relative);
            }
        }
    }
    for (const char* work : {"/staging", "/inputs"})
        for (auto& name : listFiles(root_ + work))
            if (::unlink((root_ + work + "/" + name).c_str()) == 0) ++report.workFilesRemoved;
    honourDeletions(deletions);
    adopt(originals, renders, deletions, report);
    markTrashedFiles();

    // Rows whose file is gone are marked and reported, never deleted: the file may come back
    // (a restored backup) and the user's edit data is still there.
    std::vector<std::pair<std::int64_t, bool>> marks;
    {
        Statement s(db_,
                    "SELECT a.id, a.uuid, a.original_path, e.render_path, a.missing FROM asset a "
                    "LEFT JOIN edit e ON e.asset_id = a.id");
        while (s.step() == SQLITE_ROW) {
            const bool gone =
                !fs::exists(absolutePath(s.text(2))) || (!s.isNull(3) && !fs::exists(absolutePath(s.text(3))));
            if (gone) report.missing.push_back(s.text(1));
            if (gone && s.integer(4) == 0) report.newlyMissing.push_back(s.text(1));
            if (gone != (s.integer(4) != 0)) marks.emplace_back(s.integer(0), gone);
        }
    }
    for (auto& [id, gone] : marks) {
        Statement s(db_, "UPDATE asset SET missing = ? WHERE id = ?");
        s.bind(1, gone ? 1 : 0).bind(2, id).run();
    }
    if (rebuild_ && report.failure.empty()) finishRebuild();
}

// A listed photo whose file carries a deletion mark was deleted after the index last heard of
// it (an older copy of the index): it is deleted again, on the day the mark gives.
void PhotoStore::honourDeletions(const DeletionMarks& marks) {
    if (marks.empty()) return;
    std::vector<std::pair<std::int64_t, double>> deleted;
    {
        Statement s(db_,
                    "SELECT a.id, a.original_path, e.render_path FROM asset a LEFT JOIN edit e ON e.asset_id = a.id "
                    "WHERE a.trashed_date IS NULL");
        while (s.step() == SQLITE_ROW) {
            auto mark = marks.find(s.text(1));
            if (mark == marks.end() && !s.isNull(2)) mark = marks.find(s.text(2));
            if (mark != marks.end()) deleted.emplace_back(s.integer(0), mark->second);
        }
    }
    if (deleted.empty()) return;
    bool ok = beginWrite(db_);
    for (auto& [id, date] : deleted) {
        Statement s(db_, "UPDATE asset SET trashed_date = ?, revision = revision + 1 WHERE id = ?");
        ok = ok && s.bind(1, date).bind(2, id).run();
    }
    if (!ok || !exec(db_, "COMMIT")) {
        sweepReport_.failure = indexError(db_, root_ + "/library.sqlite", "The photo library could not be updated.")
                                   ->localizedFailureReason();
        exec(db_, "ROLLBACK");
    }
}

// Every file of a deleted photo carries its mark, also in a library whose deletes were made
// before there were marks.
void PhotoStore::markTrashedFiles() {
    std::vector<std::pair<std::string, double>> unmarked;
    {
        Statement s(db_,
                    "SELECT a.original_path, a.trashed_date FROM asset a WHERE a.trashed_date IS NOT NULL UNION ALL "
                    "SELECT e.render_path, a.trashed_date FROM edit e JOIN asset a ON a.id = e.asset_id "
                    "WHERE a.trashed_date IS NOT NULL");
        while (s.step() == SQLITE_ROW) {
            struct stat st {};
            const std::string file = absolutePath(s.text(0));
            if (::lstat(file.c_str(), &st) == 0 && ::lstat(deletionMark(file).c_str(), &st) != 0)
                unmarked.emplace_back(file, s.real(1));
        }
    }
    for (auto& [file, date] : unmarked) {
        const std::string staged = stagingPath("deleted");
        if (writeFlushed(deletionMarkText(date), staged) == 0 &&
            ::rename(staged.c_str(), deletionMark(file).c_str()) == 0)
            fsyncPath(fs::path(file).parent_path().string(), O_RDONLY | O_DIRECTORY);
        ::unlink(staged.c_str());
    }
}

void PhotoStore::adopt(const std::vector<std::string>& originals, const std::vector<std::string>& renders,
                       const DeletionMarks& marks, SweepReport& report) {
    if (originals.empty() && renders.empty()) return;
    // Taking files back into a sound index is recorded as a rebuild is, from the next row on.
    if (!rebuild_) {
        Statement s(db_, "SELECT COALESCE(MAX(id), 0) FROM asset");
        Rebuild rebuild;
        rebuild.firstRow = s.step() == SQLITE_ROW ? s.integer(0) : 0;
        NSErrorPtr error;
        if (!recordRebuild(rebuild, &error)) {
            report.failure = error->localizedFailureReason();
            return;
        }
    }
    struct Found {
        std::string relative, nameUUID;
        std::int64_t revision = 0;
        AssetCreation request;
        NewOriginal facts;
    };
    // Each file is described from its own header and metadata, as an import would.
    auto describe = [&](const std::string& relative, std::vector<Found>& into) {
        std::smatch m;
        const std::string name = fs::path(relative).filename().string();
        std::regex_match(name, m, kOurName);
        Found f{relative, m[1].str(), m[3].matched ? std::stoll(m[3].str()) : 0, {}, {}};
        f.request.sourcePath = absolutePath(relative);
        f.request.movie = m[4].str() == "mov";
        NSErrorPtr ignored;
        if (describeOriginal(f.request, &f.facts, &ignored, false)) into.push_back(std::move(f));
        else report.unreadable.push_back(relative);
    };
    std::vector<Found> photos, edits;
    for (auto& r : originals) describe(r, photos);
    for (auto& r : renders) describe(r, edits);
    // The newest render of each asset first.
    std::sort(edits.begin(), edits.end(), [](const Found& a, const Found& b) {
        return a.nameUUID != b.nameUUID ? a.nameUUID < b.nameUUID : a.revision > b.revision;
    });

    if (!beginWrite(db_)) {
        report.failure = indexError(db_, root_ + "/library.sqlite", "The photo library could not be updated.")
                             ->localizedFailureReason();
        return;
    }
    auto uuidFree = [&](const std::string& uuid) {
        Statement s(db_, "SELECT 1 FROM asset WHERE uuid = ?");
        s.bind(1, uuid);
        return s.step() != SQLITE_ROW;
    };
    bool ok = true;
    std::map<std::string, std::int64_t> adoptedIds;  // by the name's uuid, originals only
    // A file marked deleted comes back deleted, on the day of its delete.
    auto deleted = [&](const std::string& relative) {
        auto mark = marks.find(relative);
        return mark == marks.end() ? std::nullopt : std::optional(mark->second);
    };
    auto insert = [&](Found& f, const std::string& type) {
        const std::string uuid = uuidFree(f.nameUUID) ? f.nameUUID : MakeUUID();
        const NewOriginal& o = f.facts;
        Statement s(db_,
                    "INSERT INTO asset(uuid, media_type, panorama, original_path, original_type, "
                    "original_sha256, orientation, width, height, creation_date, modification_date, latitude, "
                    "longitude, duration, revision, trashed_date, adopted) "
                    "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 1)");
        s.bind(1, uuid)
            .bind(2, f.request.movie ? kMediaTypeVideo : kMediaTypeImage)
            .bind(3, o.height > 0 && o.width >= 2 * o.height ? 1 : 0)
            .bind(4, f.relative)
            .bind(5, type)
            .bind(6, o.sha256)
            .bind(7, o.orientation)
            .bind(8, o.width)
            .bind(9, o.height)
            .bind(10, o.creationDate)
            .bind(11, now())
            .bind(12, o.latitude)
            .bind(13, o.longitude)
            .bind(14, o.duration)
            .bind(15, std::max<std::int64_t>(f.revision, 1))
            .bind(16, deleted(f.relative));
        ok = ok && s.run();
        return sqlite3_last_insert_rowid(db_);
    };
    // Oldest first, as an import adds them.
    auto byDate = [](const Found& a, const Found& b) { return a.facts.creationDate < b.facts.creationDate; };
    std::stable_sort(photos.begin(), photos.end(), byDate);
    for (auto& f : photos) adoptedIds[f.nameUUID] = insert(f, f.facts.type);
    // An adopted original takes its newest render back as its edit: the picture it showed,
    // without the settings that made it. Any other render becomes a photo of its own.
    std::vector<Found*> ownPhotos;
    for (auto& f : edits) {
        auto it = adoptedIds.find(f.nameUUID);
        if (it == adoptedIds.end() || it->second == 0) {
            ownPhotos.push_back(&f);
            continue;
        }
        Statement e(db_,
                    "INSERT INTO edit(asset_id, render_path, format_identifier, format_version, data, "
                    "base_revision) VALUES(?, ?, ?, '1', x'', ?)");
        e.bind(1, it->second).bind(2, f.relative).bind(3, std::string(kAdoptedEditFormat)).bind(4, f.revision - 1);
        Statement u(db_,
                    "UPDATE asset SET revision = ?, width = ?, height = ?, trashed_date = COALESCE(trashed_date, ?) "
                    "WHERE id = ?");
        u.bind(1, std::max<std::int64_t>(f.revision, 1))
            .bind(2, f.facts.width)
            .bind(3, f.facts.height)
            .bind(4, deleted(f.relative))
            .bind(5, it->second);
        ok = ok && e.run() && u.run();
        it->second = 0;  // one edit each
    }
    std::stable_sort(ownPhotos.begin(), ownPhotos.end(),
                     [&](const Found* a, const Found* b) { return byDate(*a, *b); });
    for (Found* f : ownPhotos) insert(*f, f->facts.type);
    if (!ok || !exec(db_, "COMMIT")) {
        report.failure = indexError(db_, root_ + "/library.sqlite", "The photo library could not be updated.")
                             ->localizedFailureReason();
        exec(db_, "ROLLBACK");
        return;
    }
    reach(KillPoint::AfterAdoption);
}

std::vector<std::string> SweepReport::notices() const {
    std::vector<std::string> lines;
    auto count = [](std::size_t n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    const std::string photos = count(adopted.size(), "photo", "photos");
    const std::string recovered = "; albums and the settings of edits could not be recovered";
    switch (index) {
    case Index::Missing:
    case Index::Empty:
        if (!adopted.empty())
            lines.push_back(std::string("The photo library's index was ") +
                            (index == Index::Missing ? "missing" : "empty") + "; it was made anew from the " + photos +
                            " in the library's folder" + recovered + ".");
        break;
    case Index::SetAside:
        lines.push_back("The photo library's index could not be read (" + setAsideReason + "); it was kept as " +
                        (setAsideFiles.empty() ? std::string("?") : setAsideFiles.back()) +
                        " and a new one was made from the " + photos + " in the library's folder" + recovered + ".");
        break;
    case Index::Sound:
        if (!adopted.empty())
            lines.push_back(photos + " in the library's folder that its index did not list " +
                            (adopted.size() == 1 ? "was" : "were") + " added back.");
        break;
    }
    for (auto& aside : setAsideFiles)
        if (index != Index::SetAside || aside != setAsideFiles.back())
            lines.push_back("A damaged file of the photo library was moved aside as " + aside + ".");
    auto list = [](const std::vector<std::string>& items) {
        std::string text;
        for (std::size_t i = 0; i < items.size() && i < 10; ++i) text += (i ? ", " : "") + items[i];
        return items.size() > 10 ? text + ", ..." : text;
    };
    if (!unreadable.empty())
        lines.push_back(count(unreadable.size(), "file", "files") + " in the library's folder could not be read as " +
                        "photos and were left as they are: " + list(unreadable) + ".");
    if (!newlyMissing.empty())
        lines.push_back("The files of " + count(newlyMissing.size(), "photo", "photos") +
                        " are missing from the library's folder; they stay listed: " + list(newlyMissing) + ".");
    if (!failure.empty()) lines.push_back("The photo library could not take its files back in: " + failure + ".");
    return lines;
}

// ---- Reading -----------------------------------------------------------------------------

std::vector<AssetRecord> PhotoStore::assets(bool includeTrashed) const {
    std::lock_guard lock(mutex_);
    std::vector<AssetRecord> out;
    Statement s(db_,
                (std::string(kAssetColumns) + (includeTrashed ? "" : "WHERE a.trashed_date IS NULL ") + "ORDER BY a.id")
                    .c_str());
    while (s.step() == SQLITE_ROW) out.push_back(readAsset(s));
    return out;
}

std::optional<AssetRecord> PhotoStore::asset(const std::string& uuid) const {
    std::lock_guard lock(mutex_);
    Statement s(db_, (std::string(kAssetColumns) + "WHERE a.uuid = ?").c_str());
    s.bind(1, uuid);
    if (s.step() != SQLITE_ROW) return std::nullopt;
    return readAsset(s);
}

std::vector<AlbumRecord> PhotoStore::albums() const {
    std::lock_guard lock(mutex_);
    std::vector<AlbumRecord> out;
    {
        Statement s(db_, "SELECT id, uuid, title FROM album ORDER BY id");
        while (s.step() == SQLITE_ROW) out.push_back(AlbumRecord{s.integer(0), s.text(1), s.text(2), {}});
    }
    for (auto& album : out) {
        Statement s(db_,
                    "SELECT aa.asset_id FROM album_asset aa JOIN asset a ON a.id = aa.asset_id "
                    "WHERE aa.album_id = ? AND a.trashed_date IS NULL ORDER BY aa.position");
        s.bind(1, album.id);
        while (s.step() == SQLITE_ROW) album.assetIds.push_back(s.integer(0));
    }
    return out;
}

std::optional<AlbumRecord> PhotoStore::album(const std::string& uuid) const {
    for (auto& a : albums())
        if (a.uuid == uuid) return a;
    return std::nullopt;
}

bool PhotoStore::containsOriginal(const std::string& sha256) const {
    std::lock_guard lock(mutex_);
    Statement s(db_, "SELECT 1 FROM asset WHERE original_sha256 = ? LIMIT 1");
    s.bind(1, sha256);
    return s.step() == SQLITE_ROW;
}

std::int64_t PhotoStore::dataVersion() const {
    std::lock_guard lock(mutex_);
    Statement s(db_, "PRAGMA data_version");
    return s.step() == SQLITE_ROW ? s.integer(0) : 0;
}

std::string PhotoStore::contentPath(const AssetRecord& asset) const {
    return absolutePath(asset.edit ? asset.edit->renderPath : asset.originalPath);
}

std::string PhotoStore::linkInput(const std::string& relative, const std::string& ext) const {
    const std::string link = root_ + "/inputs/" + MakeUUID() + "." + ext;
    return ::link(absolutePath(relative).c_str(), link.c_str()) == 0 ? link : "";
}

std::string PhotoStore::stagingPath(const std::string& ext) const {
    return root_ + "/staging/out-" + MakeUUID() + "." + ext;
}

// ---- Commit ------------------------------------------------------------------------------

bool PhotoStore::commit(const ChangeSet& changes, NSErrorPtr* error) {
    std::lock_guard lock(mutex_);
    // 1. Validation of everything that can be checked before writing.
    std::vector<NewOriginal> originals(changes.creations.size());
    for (std::size_t i = 0; i < changes.creations.size(); ++i)
        if (!describeOriginal(changes.creations[i], &originals[i], error)) return false;
    for (auto& e : changes.edits) {
        if (e.kind != AssetEdit::Kind::Save) continue;
        if (e.outputAssetUUID != e.uuid) {
            *error = PhotosError(kPhotosErrorInvalidResource, "The edit was made for another photo.", e.uuid);
            return false;
        }
        if (!validEdit(e.edit)) {
            *error = PhotosError(kPhotosErrorInvalidAdjustment, "The edit's adjustment data is not valid.", e.uuid);
            return false;
        }
        if (!decodesAsJPEG(e.renderSource)) {
            *error =
                PhotosError(kPhotosErrorInvalidResource, "The edited photo is not a readable JPEG.", e.renderSource);
            return false;
        }
    }

    std::vector<std::string> written;  // new files in place, removed again on failure
    std::vector<std::string> staged;   // their twins in staging/, removed once the change ends
    std::vector<std::string> unreferenced;
    auto fail = [&](NSErrorPtr e) {
        exec(db_, "ROLLBACK");
        for (auto& path : written) ::unlink(path.c_str());
        for (auto& path : staged) ::unlink(path.c_str());
        *error = std::move(e);
        return false;
    };
    // Copies a file (or writes a text) into staging/, flushes it, and links it to `relative`
    // (the staged twin marks it as uncommitted until the transaction ends).
    auto place = [&](const std::string& source, const std::string& relative,
                     const std::string* text = nullptr) -> NSErrorPtr {
        const std::string twin = root_ + "/staging/" + fs::path(relative).filename().string();
        const std::string final = absolutePath(relative);
        int err = 0;
        bool reading = false;
        std::error_code ec;
        fs::create_directories(fs::path(final).parent_path(), ec);
        if (ec) return fileError(ec.value(), fs::path(final).parent_path().string());
        ::unlink(twin.c_str());
        if (text) {
            if ((err = writeFlushed(*text, twin)) != 0) return fileError(err, twin);
        } else if (!copyFlushed(source, twin, &err, &reading)) {
            return reading ? PhotosError(kPhotosErrorInvalidResource, "The file to add could not be read.",
                                         source + ": " + std::strerror(err))
                           : fileError(err, twin);
        }
        staged.push_back(twin);
        reach(KillPoint::AfterStaging);
        // A text replaces what is there: a mark left by a delete that never committed.
        if (text) ::unlink(final.c_str());
        if (::link(twin.c_str(), final.c_str()) != 0) return fileError(errno, final);
        written.push_back(final);
        if (!fsyncPath(fs::path(final).parent_path().string(), O_RDONLY | O_DIRECTORY)) return fileError(errno, final);
        reach(KillPoint::AfterLink);
        return nullptr;
    };

    // 2-3. One write transaction: files are placed while it holds the write lock, so the
    // revisions in their names are the ones the rows get.
    if (!beginWrite(db_))
        return fail(indexError(db_, root_ + "/library.sqlite", "The photo library could not start the change."));
    // Creations that want new bytes only are checked here, where no other writer can add them.
    for (auto& o : originals) {
        if (!o.request->onlyIfNew) continue;
        Statement s(db_, "SELECT 1 FROM asset WHERE original_sha256 = ? LIMIT 1");
        s.bind(1, o.sha256);
        bool twice = false;
        for (auto& other : originals) twice = twice || (&other < &o && other.sha256 == o.sha256);
        if (s.step() == SQLITE_ROW || twice)
            return fail(
                PhotosError(kPhotosErrorDuplicate, "The photo is already in the library.", o.request->sourcePath));
    }
    const double date = now();
    // Every write of the change is checked: a statement the index refuses (a full disk, a
    // constraint) leaves the transaction open, and committing the rest would report success for
    // a change that was only partly made, and then remove files the index still names.
    auto refused = [&] { return fail(indexError(db_, root_ + "/library.sqlite", "The change could not be saved.")); };
    auto log = [&](const char* kind, const std::string& uuid) {
        Statement s(db_, "INSERT INTO change_log(kind, uuid, date) VALUES(?, ?, ?)");
        return s.bind(1, std::string(kind)).bind(2, uuid).bind(3, date).run();
    };
    auto liveAsset = [&](const std::string& uuid) -> std::optional<AssetRecord> {
        Statement s(db_, (std::string(kAssetColumns) + "WHERE a.uuid = ?").c_str());
        s.bind(1, uuid);
        if (s.step() != SQLITE_ROW) return std::nullopt;
        AssetRecord a = readAsset(s);
        if (a.trashedDate) return std::nullopt;
        return a;
    };
    auto notFound = [&](const std::string& uuid) {
        return fail(PhotosError(kPhotosErrorIdentifierNotFound, "The photo is no longer in the library.", uuid));
    };

    for (auto& o : originals) {
        if (NSErrorPtr e = place(o.request->sourcePath, o.relative)) return fail(e);
        Statement s(db_,
                    "INSERT INTO asset(uuid, media_type, panorama, self_portrait, favorite, original_path, "
                    "original_type, original_sha256, orientation, width, height, creation_date, "
                    "modification_date, latitude, longitude, duration) "
                    "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        const bool panorama = o.height > 0 && o.width >= 2 * o.height;
        s.bind(1, o.request->uuid)
            .bind(2, o.request->movie ? kMediaTypeVideo : kMediaTypeImage)
            .bind(3, panorama ? 1 : 0)
            .bind(4, o.request->selfPortrait ? 1 : 0)
            .bind(5, o.request->favorite ? 1 : 0)
            .bind(6, o.relative)
            .bind(7, o.type)
            .bind(8, o.sha256)
            .bind(9, o.orientation)
            .bind(10, o.width)
            .bind(11, o.height)
            .bind(12, o.creationDate)
            .bind(13, date)
            .bind(14, o.latitude)
            .bind(15, o.longitude)
            .bind(16, o.duration);
        if (!s.run()) return fail(indexError(db_, root_ + "/library.sqlite", "The photo could not be added."));
        if (!log("insert", o.request->uuid)) return refused();
    }

    for (auto& e : changes.edits) {
        auto asset = liveAsset(e.uuid);
        if (!asset) return notFound(e.uuid);
        const std::int64_t revision = asset->revision + 1;
        if (e.kind == AssetEdit::Kind::Favorite) {
            Statement s(db_, "UPDATE asset SET favorite = ?, revision = ?, modification_date = ? WHERE id = ?");
            if (!s.bind(1, e.favorite ? 1 : 0).bind(2, revision).bind(3, date).bind(4, asset->id).run())
                return refused();
        } else if (e.kind == AssetEdit::Kind::Revert) {
            if (asset->edit) {
                Statement d(db_, "DELETE FROM edit WHERE asset_id = ?");
                if (!d.bind(1, asset->id).run()) return refused();
                unreferenced.push_back(asset->edit->renderPath);
                auto source = platform::ImageSource::createWithFile(absolutePath(asset->originalPath));
                int w = asset->width, h = asset->height;
                if (source && asset->mediaType == kMediaTypeImage) {
                    const bool swap = platform::ImageOrientationSwapsSize(source->imageOrientation(0));
                    w = static_cast<int>(swap ? source->pixelHeight(0) : source->pixelWidth(0));
                    h = static_cast<int>(swap ? source->pixelWidth(0) : source->pixelHeight(0));
                }
                Statement s(db_,
                            "UPDATE asset SET revision = ?, modification_date = ?, width = ?, height = ? "
                            "WHERE id = ?");
                if (!s.bind(1, revision).bind(2, date).bind(3, w).bind(4, h).bind(5, asset->id).run()) return refused();
            }
        } else {
            // A save identical to the current edit changes nothing.
            if (asset->edit && asset->edit->formatIdentifier == e.edit.formatIdentifier &&
                asset->edit->formatVersion == e.edit.formatVersion && asset->edit->data == e.edit.data &&
                FileSha256(absolutePath(asset->edit->renderPath)) == FileSha256(e.renderSource))
                continue;
            // A render of that revision left by a change that never committed keeps its name
            // (the next sweep decides about it); this one takes the next free revision.
            std::int64_t renderRevision = revision;
            auto renderPath = [&] {
                return "renders/" + shard(e.uuid) + "/" + e.uuid + ".r" + std::to_string(renderRevision) + ".jpg";
            };
            for (struct stat st{}; ::lstat(absolutePath(renderPath()).c_str(), &st) == 0;) ++renderRevision;
            const std::string relative = renderPath();
            if (NSErrorPtr err = place(e.renderSource, relative)) return fail(err);
            auto source = platform::ImageSource::createWithFile(absolutePath(relative));
            Statement s(db_,
                        "INSERT OR REPLACE INTO edit(asset_id, render_path, format_identifier, format_version, "
                        "data, base_revision) VALUES(?, ?, ?, ?, ?, ?)");
            s.bind(1, asset->id)
                .bind(2, relative)
                .bind(3, e.edit.formatIdentifier)
                .bind(4, e.edit.formatVersion)
                .bind(5, e.edit.data)
                .bind(6, asset->revision);
            if (!s.run())
                return fail(
                    PhotosError(kPhotosErrorInvalidAdjustment, "The edit could not be saved.", sqlite3_errmsg(db_)));
            Statement u(db_,
                        "UPDATE asset SET revision = ?, modification_date = ?, width = ?, height = ? WHERE id = ?");
            if (!u.bind(1, renderRevision)
                     .bind(2, date)
                     .bind(3, static_cast<int>(source ? source->pixelWidth(0) : 0))
                     .bind(4, static_cast<int>(source ? source->pixelHeight(0) : 0))
                     .bind(5, asset->id)
                     .run())
                return refused();
            if (asset->edit) unreferenced.push_back(asset->edit->renderPath);
        }
        if (!log("update", e.uuid)) return refused();
    }

    for (auto& uuid : changes.deletions) {
        auto asset = liveAsset(uuid);
        if (!asset) return notFound(uuid);
        // Its files are marked first, where an index made anew reads the delete again.
        const std::string mark = deletionMarkText(date);
        for (const std::string* file : {&asset->originalPath, asset->edit ? &asset->edit->renderPath : nullptr})
            if (file)
                if (NSErrorPtr e = place("", deletionMark(*file), &mark)) return fail(e);
        Statement s(db_, "UPDATE asset SET trashed_date = ?, revision = revision + 1 WHERE id = ?");
        if (!s.bind(1, date).bind(2, asset->id).run() || !log("delete", uuid)) return refused();
    }

    for (auto& a : changes.albums) {
        std::int64_t albumId = 0;
        if (a.create) {
            Statement s(db_, "INSERT INTO album(uuid, title) VALUES(?, ?)");
            if (!s.bind(1, a.uuid).bind(2, a.title).run()) return refused();
            albumId = sqlite3_last_insert_rowid(db_);
        } else {
            Statement s(db_, "SELECT id FROM album WHERE uuid = ?");
            s.bind(1, a.uuid);
            if (s.step() != SQLITE_ROW) return notFound(a.uuid);
            albumId = s.integer(0);
        }
        for (auto& uuid : a.add) {
            auto asset = liveAsset(uuid);
            if (!asset) return notFound(uuid);
            Statement s(db_,
                        "INSERT OR IGNORE INTO album_asset(album_id, asset_id, position) VALUES(?, ?, "
                        "(SELECT COALESCE(MAX(position), 0) + 1 FROM album_asset WHERE album_id = ?))");
            if (!s.bind(1, albumId).bind(2, asset->id).bind(3, albumId).run()) return refused();
        }
        for (auto& uuid : a.remove) {
            Statement s(db_,
                        "DELETE FROM album_asset WHERE album_id = ? AND asset_id = (SELECT id FROM asset "
                        "WHERE uuid = ?)");
            if (!s.bind(1, albumId).bind(2, uuid).run()) return refused();
        }
        if (!log("album", a.uuid)) return refused();
    }
    {
        Statement s(db_, "DELETE FROM change_log WHERE id <= (SELECT MAX(id) FROM change_log) - ?");
        if (!s.bind(1, kChangeLogKept).run()) return refused();
    }
    // Files the change stops naming are recorded with it, and removed once it has committed.
    for (auto& path : unreferenced) {
        Statement s(db_, "INSERT OR IGNORE INTO removable_file(path) VALUES(?)");
        if (!s.bind(1, path).run()) return refused();
    }
    if (!exec(db_, "COMMIT")) return fail(indexError(db_, root_ + "/library.sqlite", "The change could not be saved."));
    reach(KillPoint::AfterCommit);

    // 4. The staged twins, and the files the index no longer names.
    for (auto& path : staged) ::unlink(path.c_str());
    for (auto& path : unreferenced) {
        if (::unlink(absolutePath(path).c_str()) != 0 && errno != ENOENT) continue;
        Statement s(db_, "DELETE FROM removable_file WHERE path = ?");
        s.bind(1, path).run();
    }
    return true;
}

}  // namespace photos
