#include "platform/photos/PhotoStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <glib.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
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

// ---- Helpers -----------------------------------------------------------------------------

std::string MakeUUID() {
    std::random_device device;
    std::uint8_t b[16];
    for (auto& byte : b) byte = static_cast<std::uint8_t>(device());
    b[6] = (b[6] & 0x0f) | 0x40;
    b[8] = (b[8] & 0x3f) | 0x80;
    char text[37];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", b[0],
                  b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return text;
}

std::string FileSha256(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return "";
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

    Statement& bind(int i, std::int64_t v) { sqlite3_bind_int64(stmt_, i, v); return *this; }
    Statement& bind(int i, int v) { sqlite3_bind_int(stmt_, i, v); return *this; }
    Statement& bind(int i, double v) { sqlite3_bind_double(stmt_, i, v); return *this; }
    Statement& bind(int i, const std::string& v) {
        sqlite3_bind_text(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int i, const std::vector<std::uint8_t>& v) {
        sqlite3_bind_blob(stmt_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
        return *this;
    }
    Statement& bind(int i, const std::optional<double>& v) {
        if (v) sqlite3_bind_double(stmt_, i, *v); else sqlite3_bind_null(stmt_, i);
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

// Copies `from` into a new file `to` (never a link: callers reuse their files) and flushes it.
bool copyFlushed(const std::string& from, const std::string& to, int* error) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return *error = errno, false;
    // Read-only: the library never changes a file once written, and inputs are links to it.
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0444);
    if (out < 0) return *error = errno, ::close(in), false;
    std::vector<char> buffer(1 << 16);
    bool ok = true;
    for (;;) {
        ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) { *error = errno, ok = false; break; }
        if (n == 0) break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer.data() + done, n - done);
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) { *error = errno, ok = false; break; }
            done += w;
        }
        if (!ok) break;
    }
    if (ok && ::fsync(out) != 0) *error = errno, ok = false;
    if (::close(out) != 0 && ok) *error = errno, ok = false;
    ::close(in);
    if (!ok) ::unlink(to.c_str());
    return ok;
}

NSErrorPtr fileError(int error, const std::string& what) {
    if (error == ENOSPC || error == EDQUOT)
        return PhotosError(kPhotosErrorNotEnoughSpace, "There is not enough space to save the photo.", what);
    return PhotosError(kPhotosErrorInternal, "The photo library could not write a file.",
                       what + ": " + std::strerror(error));
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
    if (!s.isNull(20)) a.edit = EditRecord{s.text(20), s.text(21), s.text(22), s.blob(23), s.integer(24)};
    return a;
}

constexpr const char* kAssetColumns =
    "SELECT a.id, a.uuid, a.media_type, a.panorama, a.self_portrait, a.favorite, a.original_path, "
    "a.original_type, a.original_sha256, a.orientation, a.width, a.height, a.creation_date, "
    "a.modification_date, a.latitude, a.longitude, a.duration, a.revision, a.trashed_date, a.missing, "
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

// Reads and checks a creation's source; the error says why it is refused.
bool describeOriginal(const AssetCreation& c, NewOriginal* out, NSErrorPtr* error) {
    out->request = &c;
    struct stat st{};
    if (::stat(c.sourcePath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        *error = PhotosError(kPhotosErrorInvalidResource, "The file to add could not be read.", c.sourcePath);
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
        if (!source || !source->createImageAtIndex(0, platform::ImagePixelFormat::RGBA, &e)) {
            *error = PhotosError(kPhotosErrorInvalidResource, "The photo to add could not be read.",
                                 c.sourcePath + ": " + e.message);
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

std::unique_ptr<PhotoStore> PhotoStore::open(const std::string& root, NSErrorPtr* error) {
    std::unique_ptr<PhotoStore> store(new PhotoStore);
    store->root_ = root;
    std::error_code ec;
    for (const char* sub : {"", "/originals", "/renders", "/staging", "/inputs"}) {
        fs::create_directories(root + sub, ec);
        if (ec) {
            *error = PhotosError(kPhotosErrorInternal, "The photo library folder could not be made.",
                                 root + sub + ": " + ec.message());
            return nullptr;
        }
    }
    store->lockFd_ = ::open((root + "/library.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (store->lockFd_ < 0) {
        *error = PhotosError(kPhotosErrorInternal, "The photo library could not be locked.", std::strerror(errno));
        return nullptr;
    }
    const bool alone = ::flock(store->lockFd_, LOCK_EX | LOCK_NB) == 0;
    if (!alone) ::flock(store->lockFd_, LOCK_SH);
    if (!store->openIndex(error)) return nullptr;
    if (alone) {
        store->sweep();
        ::flock(store->lockFd_, LOCK_SH);  // converts the exclusive lock
    }
    sqlite3_commit_hook(store->db_, commitHook, nullptr);
    return store;
}

bool PhotoStore::openIndex(NSErrorPtr* error) {
    const std::string path = root_ + "/library.sqlite";
    const bool fresh = !fs::exists(path);
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        *error = PhotosError(kPhotosErrorLibraryRefused, "The photo library could not be opened.", sqlite3_errmsg(db_));
        return false;
    }
    sqlite3_busy_timeout(db_, 5000);
    // Checks that only read come first, so a library this program must refuse is never written.
    std::int64_t version = -1;
    {
        Statement s(db_, "PRAGMA user_version");
        if (s.step() == SQLITE_ROW) version = s.integer(0);
    }
    std::string check = "ok";
    if (version >= 0 && !fresh) {
        Statement s(db_, "PRAGMA quick_check");
        check = s.step() == SQLITE_ROW ? s.text(0) : sqlite3_errmsg(db_);
    }
    if (version < 0 || check != "ok") {
        *error = PhotosError(kPhotosErrorLibraryRefused, "The photo library is damaged and was left as it is.",
                             path + ": " + (version < 0 ? sqlite3_errmsg(db_) : check));
        return false;
    }
    if (version > kSchemaVersion) {
        *error = PhotosError(kPhotosErrorLibraryRefused,
                             "The photo library was made by a newer version of Tavorin and was left as it is.",
                             path + ": schema " + std::to_string(version));
        return false;
    }
    exec(db_, "PRAGMA journal_mode=WAL");
    exec(db_, "PRAGMA synchronous=FULL");
    exec(db_, "PRAGMA foreign_keys=ON");
    if (version == 0) {
        const std::string script = std::string("BEGIN IMMEDIATE;") + kSchema + "PRAGMA user_version=" +
                                   std::to_string(kSchemaVersion) + ";COMMIT;";
        if (!exec(db_, script.c_str())) {
            *error = PhotosError(kPhotosErrorInternal, "The photo library could not be created.", sqlite3_errmsg(db_));
            exec(db_, "ROLLBACK");
            return false;
        }
    }
    return true;
}

PhotoStore::~PhotoStore() {
    if (db_) sqlite3_close_v2(db_);
    if (lockFd_ >= 0) ::close(lockFd_);  // releases the lock
}

// ---- Sweep -------------------------------------------------------------------------------

void PhotoStore::sweep() {
    SweepReport report;
    for (const char* work : {"/staging", "/inputs"})
        for (auto& name : listFiles(root_ + work))
            if (::unlink((root_ + work + "/" + name).c_str()) == 0) ++report.workFilesRemoved;

    // Trash past its keeping time goes: rows first, then (below) the files no row names.
    {
        Statement s(db_, "DELETE FROM asset WHERE trashed_date IS NOT NULL AND trashed_date < ?");
        s.bind(1, now() - kTrashRetentionSeconds);
        if (s.run()) report.trashPurged = sqlite3_changes(db_);
    }
    reach(KillPoint::DuringSweep);

    std::set<std::string> referenced;
    {
        Statement s(db_, "SELECT original_path FROM asset UNION ALL SELECT render_path FROM edit");
        while (s.step() == SQLITE_ROW) referenced.insert(s.text(0));
    }
    static const std::regex ours(
        R"(([0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12})(\.r[0-9]+)?\.(jpg|png|tiff|mov))");
    for (const char* top : {"originals", "renders"}) {
        for (auto& sub : listFiles(root_ + "/" + top)) {
            for (auto& name : listFiles(root_ + "/" + top + "/" + sub)) {
                const std::string relative = std::string(top) + "/" + sub + "/" + name;
                if (std::regex_match(name, ours) && !referenced.count(relative) &&
                    ::unlink(absolutePath(relative).c_str()) == 0)
                    ++report.orphansRemoved;
            }
        }
    }

    // Rows whose file is gone are marked and reported, never deleted: the file may come back
    // (a restored backup) and the user's edit data is still there.
    std::vector<std::pair<std::int64_t, bool>> marks;
    {
        Statement s(db_, "SELECT a.id, a.uuid, a.original_path, e.render_path, a.missing FROM asset a "
                         "LEFT JOIN edit e ON e.asset_id = a.id");
        while (s.step() == SQLITE_ROW) {
            const bool gone = !fs::exists(absolutePath(s.text(2))) ||
                              (!s.isNull(3) && !fs::exists(absolutePath(s.text(3))));
            if (gone) report.missing.push_back(s.text(1));
            if (gone != (s.integer(4) != 0)) marks.emplace_back(s.integer(0), gone);
        }
    }
    for (auto& [id, gone] : marks) {
        Statement s(db_, "UPDATE asset SET missing = ? WHERE id = ?");
        s.bind(1, gone ? 1 : 0).bind(2, id).run();
    }
    for (auto& uuid : report.missing)
        std::fprintf(stderr, "tavorin: the photo library is missing the file of asset %s\n", uuid.c_str());
    sweepReport_ = report;
}

// ---- Reading -----------------------------------------------------------------------------

std::vector<AssetRecord> PhotoStore::assets(bool includeTrashed) const {
    std::lock_guard lock(mutex_);
    std::vector<AssetRecord> out;
    Statement s(db_, (std::string(kAssetColumns) + (includeTrashed ? "" : "WHERE a.trashed_date IS NULL ") +
                      "ORDER BY a.id").c_str());
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
        Statement s(db_, "SELECT aa.asset_id FROM album_asset aa JOIN asset a ON a.id = aa.asset_id "
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
            *error = PhotosError(kPhotosErrorInvalidResource, "The edited photo is not a readable JPEG.",
                                 e.renderSource);
            return false;
        }
    }

    std::vector<std::string> written;  // new files in place, removed again on failure
    std::vector<std::string> unreferenced;
    auto fail = [&](NSErrorPtr e) {
        exec(db_, "ROLLBACK");
        for (auto& path : written) ::unlink(path.c_str());
        *error = std::move(e);
        return false;
    };
    // Copies a file into staging/, flushes it, and renames it to `relative`.
    auto place = [&](const std::string& source, const std::string& relative) -> NSErrorPtr {
        const std::string staged = root_ + "/staging/" + fs::path(relative).filename().string();
        const std::string final = absolutePath(relative);
        int err = 0;
        std::error_code ec;
        fs::create_directories(fs::path(final).parent_path(), ec);
        ::unlink(staged.c_str());
        if (!copyFlushed(source, staged, &err)) return fileError(err, source);
        reach(KillPoint::AfterStaging);
        if (::rename(staged.c_str(), final.c_str()) != 0) {
            err = errno;
            ::unlink(staged.c_str());
            return fileError(err, final);
        }
        written.push_back(final);
        if (!fsyncPath(fs::path(final).parent_path().string(), O_RDONLY | O_DIRECTORY)) return fileError(errno, final);
        reach(KillPoint::AfterRename);
        return nullptr;
    };

    // 2-3. One write transaction: files are placed while it holds the write lock, so the
    // revisions in their names are the ones the rows get.
    if (!exec(db_, "BEGIN IMMEDIATE"))
        return fail(PhotosError(kPhotosErrorInternal, "The photo library is busy.", sqlite3_errmsg(db_)));
    const double date = now();
    // Every write must take: one the index refuses (read-only, full) fails the whole change
    // before any file the index still names is let go.
    auto refused = [&] {
        return fail(PhotosError(kPhotosErrorInternal, "The change could not be saved.", sqlite3_errmsg(db_)));
    };
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
        Statement s(db_, "INSERT INTO asset(uuid, media_type, panorama, self_portrait, favorite, original_path, "
                         "original_type, original_sha256, orientation, width, height, creation_date, "
                         "modification_date, latitude, longitude, duration) "
                         "VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        const bool panorama = o.height > 0 && o.width >= 2 * o.height;
        s.bind(1, o.request->uuid).bind(2, o.request->movie ? kMediaTypeVideo : kMediaTypeImage)
            .bind(3, panorama ? 1 : 0).bind(4, o.request->selfPortrait ? 1 : 0).bind(5, o.request->favorite ? 1 : 0)
            .bind(6, o.relative).bind(7, o.type).bind(8, o.sha256).bind(9, o.orientation).bind(10, o.width)
            .bind(11, o.height).bind(12, o.creationDate).bind(13, date).bind(14, o.latitude).bind(15, o.longitude)
            .bind(16, o.duration);
        if (!s.run()) return fail(PhotosError(kPhotosErrorInternal, "The photo could not be added.", sqlite3_errmsg(db_)));
        if (!log("insert", o.request->uuid)) return refused();
    }

    for (auto& e : changes.edits) {
        auto asset = liveAsset(e.uuid);
        if (!asset) return notFound(e.uuid);
        const std::int64_t revision = asset->revision + 1;
        if (e.kind == AssetEdit::Kind::Favorite) {
            Statement s(db_, "UPDATE asset SET favorite = ?, revision = ?, modification_date = ? WHERE id = ?");
            if (!s.bind(1, e.favorite ? 1 : 0).bind(2, revision).bind(3, date).bind(4, asset->id).run()) return refused();
        } else if (e.kind == AssetEdit::Kind::Revert) {
            if (asset->edit) {
                Statement d(db_, "DELETE FROM edit WHERE asset_id = ?");
                if (!d.bind(1, asset->id).run()) return refused();
                unreferenced.push_back(absolutePath(asset->edit->renderPath));
                auto source = platform::ImageSource::createWithFile(absolutePath(asset->originalPath));
                int w = asset->width, h = asset->height;
                if (source && asset->mediaType == kMediaTypeImage) {
                    const bool swap = platform::ImageOrientationSwapsSize(source->imageOrientation(0));
                    w = static_cast<int>(swap ? source->pixelHeight(0) : source->pixelWidth(0));
                    h = static_cast<int>(swap ? source->pixelWidth(0) : source->pixelHeight(0));
                }
                Statement s(db_, "UPDATE asset SET revision = ?, modification_date = ?, width = ?, height = ? "
                                 "WHERE id = ?");
                if (!s.bind(1, revision).bind(2, date).bind(3, w).bind(4, h).bind(5, asset->id).run()) return refused();
            }
        } else {
            // A save identical to the current edit changes nothing.
            if (asset->edit && asset->edit->formatIdentifier == e.edit.formatIdentifier &&
                asset->edit->formatVersion == e.edit.formatVersion && asset->edit->data == e.edit.data &&
                FileSha256(absolutePath(asset->edit->renderPath)) == FileSha256(e.renderSource))
                continue;
            const std::string relative =
                "renders/" + shard(e.uuid) + "/" + e.uuid + ".r" + std::to_string(revision) + ".jpg";
            if (NSErrorPtr err = place(e.renderSource, relative)) return fail(err);
            auto source = platform::ImageSource::createWithFile(absolutePath(relative));
            Statement s(db_, "INSERT OR REPLACE INTO edit(asset_id, render_path, format_identifier, format_version, "
                             "data, base_revision) VALUES(?, ?, ?, ?, ?, ?)");
            s.bind(1, asset->id).bind(2, relative).bind(3, e.edit.formatIdentifier).bind(4, e.edit.formatVersion)
                .bind(5, e.edit.data).bind(6, asset->revision);
            if (!s.run()) return fail(PhotosError(kPhotosErrorInvalidAdjustment, "The edit could not be saved.",
                                                  sqlite3_errmsg(db_)));
            Statement u(db_, "UPDATE asset SET revision = ?, modification_date = ?, width = ?, height = ? WHERE id = ?");
            u.bind(1, revision).bind(2, date).bind(3, static_cast<int>(source ? source->pixelWidth(0) : 0))
                .bind(4, static_cast<int>(source ? source->pixelHeight(0) : 0)).bind(5, asset->id);
            if (!u.run()) return refused();
            if (asset->edit) unreferenced.push_back(absolutePath(asset->edit->renderPath));
        }
        if (!log("update", e.uuid)) return refused();
    }

    for (auto& uuid : changes.deletions) {
        auto asset = liveAsset(uuid);
        if (!asset) return notFound(uuid);
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
            Statement s(db_, "INSERT OR IGNORE INTO album_asset(album_id, asset_id, position) VALUES(?, ?, "
                             "(SELECT COALESCE(MAX(position), 0) + 1 FROM album_asset WHERE album_id = ?))");
            if (!s.bind(1, albumId).bind(2, asset->id).bind(3, albumId).run()) return refused();
        }
        for (auto& uuid : a.remove) {
            Statement s(db_, "DELETE FROM album_asset WHERE album_id = ? AND asset_id = (SELECT id FROM asset "
                             "WHERE uuid = ?)");
            if (!s.bind(1, albumId).bind(2, uuid).run()) return refused();
        }
        if (!log("album", a.uuid)) return refused();
    }
    {
        Statement s(db_, "DELETE FROM change_log WHERE id <= (SELECT MAX(id) FROM change_log) - ?");
        if (!s.bind(1, kChangeLogKept).run()) return refused();
    }
    if (!exec(db_, "COMMIT"))
        return fail(PhotosError(kPhotosErrorInternal, "The change could not be saved.", sqlite3_errmsg(db_)));
    reach(KillPoint::AfterCommit);

    // 4. Files the index no longer names.
    for (auto& path : unreferenced) ::unlink(path.c_str());
    return true;
}

}  // namespace photos
