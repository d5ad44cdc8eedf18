#pragma once
// The photo library on disk: one folder holding the index (library.sqlite), the lock file,
// the originals, the renders of edits, and two working folders.
//
//   library.sqlite                 WAL, synchronous FULL, foreign keys, 5 s busy timeout;
//                                  the schema version in user_version
//   library.lock                   flock: shared while open, exclusive only for the sweep
//   library.rebuild                while the index is being made anew or files are taken back
//                                  in: what was lost and why, until that work has finished
//   originals/<2 hex>/<UUID>.<ext> each written once, read-only
//   renders/<2 hex>/<UUID>.r<rev>.jpg   one upright JPEG per edit revision
//   <file>.deleted                 beside each file of a deleted photo: the date of the delete
//   staging/                       files on their way in
//   inputs/                        hard links handed out as edit inputs
//
// A commit copies each new file into staging/, flushes it, links it into place and flushes
// the folder, all inside one write transaction; the staged name is unlinked once the
// transaction has ended. A kill at any point leaves the old state or the new one, whole: a
// file in place whose staged twin (the same inode) is still in staging/ belongs to a change
// that never committed. Files a change stops naming (a replaced render, purged trash) are
// first recorded in the index as removable, in the change's own transaction, and unlinked
// after it.
//
// A delete marks the photo's files (its original and its render) with a `.deleted` file beside
// each, placed as a change's file is, before the row is marked: the index is not the only
// record of a person's delete, so an index made anew, or an older copy of it, cannot bring the
// photo back. The marks go with the files when the trash is purged, after them.
//
// The sweep runs when a process opens the library and no other process has it open. It
// removes only what the index records as removable, the files in staging/ and inputs/, and
// the uncommitted twins above. Nothing else is deleted: a photo file the index does not name
// (an index lost, emptied or restored from an older copy) is adopted, indexed again from its
// own metadata and marked `adopted`; an unnamed render becomes the edit of its adopted
// original (without adjustment data, as an edit made elsewhere) or else a photo of its own.
// A missing or empty index is made anew and filled so; an index that cannot be read is set
// aside under a dated name (library.sqlite.damaged-<date>, with its -wal and -shm) and the
// library is rebuilt the same way. A file with a deletion mark is taken back as deleted, and a
// listed photo whose file is marked is deleted again. The report says what was done, for the
// person to be told. Before the index is replaced, or files are taken back into it, the reason
// and what is lost are written to library.rebuild, which is removed only once the work has
// finished: every opening until then, also after a kill, reports the whole of it.
//
// Every method is safe to call from any thread (one connection, serialised by a lock).
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/NSError.h"

struct sqlite3;

namespace photos {

inline constexpr int kMediaTypeImage = 1;
inline constexpr int kMediaTypeVideo = 2;

inline constexpr std::size_t kMaxFormatIdentifierBytes = 256;
inline constexpr std::size_t kMaxFormatVersionBytes = 64;
inline constexpr std::size_t kMaxAdjustmentDataBytes = 1 << 20;
inline constexpr double kTrashRetentionSeconds = 30 * 24 * 3600.0;
// 2: the `adopted` mark and the removable files.
inline constexpr int kSchemaVersion = 2;
// The ending of the file that marks a deleted photo's file, beside it.
inline constexpr const char* kDeletionMarkSuffix = ".deleted";
// The format of an edit adopted from a render alone: no editor can continue it.
inline constexpr const char* kAdoptedEditFormat = "adopted";

struct EditRecord {
    std::string renderPath;  // relative to the library folder
    std::string formatIdentifier;
    std::string formatVersion;
    std::vector<std::uint8_t> data;
    std::int64_t baseRevision = 0;
};

struct AssetRecord {
    std::int64_t id = 0;  // order of addition
    std::string uuid;
    int mediaType = kMediaTypeImage;
    bool panorama = false;
    bool selfPortrait = false;
    bool favorite = false;
    std::string originalPath;  // relative to the library folder
    std::string originalType;  // "public.jpeg", "public.png", "public.tiff", "public.movie"
    std::string originalSha256;
    int orientation = 1;                            // EXIF 1-8 of the original
    int width = 0, height = 0;                      // upright pixels of the current content
    double creationDate = 0, modificationDate = 0;  // seconds since 1970
    std::optional<double> latitude, longitude;
    double duration = 0;
    std::int64_t revision = 1;
    std::optional<double> trashedDate;
    bool missing = false;
    bool adopted = false;  // indexed again from its file after the index had lost it
    std::optional<EditRecord> edit;
};

struct AlbumRecord {
    std::int64_t id = 0;
    std::string uuid;
    std::string title;
    std::vector<std::int64_t> assetIds;  // by position
};

// One change to commit, recorded by the change requests.
struct AssetCreation {
    std::string uuid;
    std::string sourcePath;
    bool movie = false;
    bool selfPortrait = false;
    bool favorite = false;
    // Refused (kPhotosErrorDuplicate) when the library already holds a file of the same bytes;
    // checked inside the write transaction, so writers at once never make two.
    bool onlyIfNew = false;
};
struct AssetEdit {
    enum class Kind { Save, Revert, Favorite } kind = Kind::Save;
    std::string uuid;
    std::string outputAssetUUID;  // the asset the output was made for (Save)
    std::string renderSource;     // Save: the rendered JPEG to copy in
    EditRecord edit;              // Save: identifier, version and data
    bool favorite = false;        // Favorite
};
struct AlbumChange {
    std::string uuid;
    bool create = false;
    std::string title;
    std::vector<std::string> add, remove;  // asset uuids
};
struct ChangeSet {
    std::vector<AssetCreation> creations;
    std::vector<AssetEdit> edits;
    std::vector<std::string> deletions;
    std::vector<AlbumChange> albums;
    bool empty() const { return creations.empty() && edits.empty() && deletions.empty() && albums.empty(); }
};

// What opening the library did, for the person to be told (`notices`).
struct SweepReport {
    enum class Index { Sound, Missing, Empty, SetAside };
    Index index = Index::Sound;
    std::string setAsideReason;              // SetAside: why the index could not be read
    std::vector<std::string> setAsideFiles;  // new names of files moved aside, the index's last
    int workFilesRemoved = 0;                // staging/ and inputs/
    int filesRemoved = 0;                    // recorded as removable, or never committed
    int trashPurged = 0;                     // assets trashed more than 30 days ago
    // uuids of the photos indexed again from their files (with their renders), not deleted ones;
    // all since the rebuild began, when an earlier opening was stopped in the middle of it
    std::vector<std::string> adopted;
    std::vector<std::string> unreadable;    // photo files kept that could not be indexed
    std::vector<std::string> missing;       // uuids of rows whose file is gone (rows kept)
    std::vector<std::string> newlyMissing;  // of those, the ones not known to be gone before
    std::string failure;                    // why the files could not be adopted, if so

    // One line for each thing the person should know, empty when all was well.
    std::vector<std::string> notices() const;
};

// Where a test can make the process die (SIGKILL) in the middle of a commit, a sweep or a
// rebuild (once it is recorded, once the new index is made, once the files are taken back in).
enum class KillPoint {
    None,
    AfterStaging,
    AfterLink,
    InCommitHook,
    AfterCommit,
    DuringSweep,
    AfterRebuildRecorded,
    AfterIndexMade,
    AfterAdoption,
};
void SetKillPoint(KillPoint point);

// The error domain and codes of the library's failures.
inline constexpr const char* kPhotosErrorDomain = "PHPhotosErrorDomain";
enum PhotosErrorCode : long {
    kPhotosErrorInternal = -1,
    kPhotosErrorInvalidResource = 3303,
    kPhotosErrorNotEnoughSpace = 3305,
    kPhotosErrorAccessUserDenied = 3311,
    kPhotosErrorIdentifierNotFound = 3201,
    kPhotosErrorUserCancelled = 3072,
    kPhotosErrorLibraryRefused = 3114,  // newer schema, or an index that cannot be used now
    kPhotosErrorInvalidAdjustment = 3302,
    kPhotosErrorLibraryReadOnly = 3306,
    kPhotosErrorDuplicate = 3307,  // a creation that asked for new bytes only
};
NSErrorPtr PhotosError(long code, const std::string& description, const std::string& reason = "");
// An error in one line: its description and, in parentheses, its reason.
std::string ErrorLine(const NSError& error);

class PhotoStore {
public:
    // Opens (creating when absent) the library in `root`, rebuilding a lost or unreadable index
    // as above. Refused (null, with the error naming the reason) and left untouched: a newer
    // schema, a read-only library, a full disk, and an index that needs rebuilding while
    // another process has the library open.
    static std::unique_ptr<PhotoStore> open(const std::string& root, NSErrorPtr* error);
    ~PhotoStore();
    PhotoStore(const PhotoStore&) = delete;
    PhotoStore& operator=(const PhotoStore&) = delete;

    const std::string& root() const { return root_; }
    std::string absolutePath(const std::string& relative) const { return root_ + "/" + relative; }
    // What opening did (no sweep when another process had the library open).
    const SweepReport& sweepReport() const { return sweepReport_; }

    // ---- Reading ----------------------------------------------------------------------
    // Untrashed assets in order of addition (with trashed ones when asked).
    std::vector<AssetRecord> assets(bool includeTrashed = false) const;
    std::optional<AssetRecord> asset(const std::string& uuid) const;
    std::vector<AlbumRecord> albums() const;
    std::optional<AlbumRecord> album(const std::string& uuid) const;
    bool containsOriginal(const std::string& sha256) const;
    // Changes whenever another connection commits.
    std::int64_t dataVersion() const;
    // The current content of an asset: its render when edited, else its original.
    std::string contentPath(const AssetRecord& asset) const;

    // ---- Writing ----------------------------------------------------------------------
    // Validates, stages and commits the changes as one; on failure nothing is altered.
    bool commit(const ChangeSet& changes, NSErrorPtr* error);
    // A fresh hard link to the file in inputs/, for the caller to unlink when done with it;
    // empty when it cannot be made.
    std::string linkInput(const std::string& relative, const std::string& ext) const;
    // A fresh, empty path in staging/ for a caller to write a file into.
    std::string stagingPath(const std::string& ext) const;

    sqlite3* database() const { return db_; }  // for checks in tests

private:
    PhotoStore() = default;
    bool lock(NSErrorPtr* error);
    bool openIndex(NSErrorPtr* error);
    bool recoverIndex(SweepReport::Index state, const std::string& reason, NSErrorPtr* error);
    bool createOrMigrate(std::int64_t version, NSErrorPtr* error);
    void sweep();
    void removeRecorded(SweepReport& report);
    // Deletion marks found, by the file they mark: the date of the delete.
    using DeletionMarks = std::map<std::string, double>;
    void adopt(const std::vector<std::string>& originals, const std::vector<std::string>& renders,
               const DeletionMarks& marks, SweepReport& report);
    void honourDeletions(const DeletionMarks& marks);
    void markTrashedFiles();

    // What library.rebuild records: why the index is made anew (Sound: files taken back into
    // a sound index), the index's names set aside (its own first), and the first row that the
    // work may have added.
    struct Rebuild {
        SweepReport::Index index = SweepReport::Index::Sound;
        std::string reason;
        std::vector<std::string> asides;  // file names in the library's folder
        std::int64_t firstRow = 0;
    };
    void readRebuild();
    bool recordRebuild(const Rebuild& rebuild, NSErrorPtr* error);
    void finishRebuild();
    void reportRebuild();

    std::string root_;
    sqlite3* db_ = nullptr;
    int lockFd_ = -1;
    bool alone_ = false;              // holds the lock exclusively (while opening)
    std::optional<Rebuild> rebuild_;  // the unfinished rebuild, recorded in library.rebuild
    mutable std::recursive_mutex mutex_;
    SweepReport sweepReport_;
};

// A new random (version 4) UUID in upper case.
std::string MakeUUID();
// The hex sha256 of a file's bytes; empty when it cannot be read.
std::string FileSha256(const std::string& path);
// The seconds since 1970 that an image's metadata gives as its creation date (Exif original
// date with its offset, else the GPS stamp), or nullopt.
std::optional<double> ImageCreationDate(const std::string& path);

}  // namespace photos
