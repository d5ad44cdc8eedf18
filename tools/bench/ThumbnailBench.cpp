// Grid thumbnails per second on real photographs (the sample backgrounds, or the JPEGs of
// $TAVORIN_BENCH_PHOTOS), through the photo library's image manager at a grid cell's size:
// cold (memory and disk caches emptied before each pass) and cached (from memory).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/RenderJob.h"
#include "platform/photos/PHAssetChangeRequest.h"
#include "platform/photos/PHImageManager.h"
#include "platform/photos/PHPhotoLibrary.h"
#include "platform/photos/ThumbnailCache.h"

namespace {

namespace fs = std::filesystem;

constexpr CGSize kCell{200, 200};

struct Grid {
    std::string root;
    std::shared_ptr<PHPhotoLibrary> library;
    std::vector<PHAssetPtr> assets;
};

// A temporary library holding the photographs, made once.
Grid* TheGrid() {
    static std::unique_ptr<Grid> grid = [] {
        auto g = std::make_unique<Grid>();
        char pattern[] = "/tmp/tavorin-thumbbench-XXXXXX";
        g->root = mkdtemp(pattern);
        ::setenv("XDG_CACHE_HOME", (g->root + "/cache").c_str(), 1);
        const char* folder = std::getenv("TAVORIN_BENCH_PHOTOS");
        std::vector<std::string> photos;
        for (auto& e : fs::directory_iterator(folder ? folder : RenderJob::kSampleFolder))
            if (e.path().extension() == ".jpg" && photos.size() < 12) photos.push_back(e.path().string());
        NSErrorPtr error;
        g->library = PHPhotoLibrary::openAt(g->root + "/Library", &error,
                                            {.requiresAuthorization = false, .pollsOtherProcesses = false});
        if (!g->library || photos.empty()) return std::unique_ptr<Grid>();
        g->library->performChangesAndWait(
            [&] {
                for (auto& p : photos) PHAssetChangeRequest::creationRequestForAssetFromImageAtFileURL(p);
            },
            &error);
        g->assets = PHAsset::fetchAssetsWithOptions({}, g->library)->objects();
        std::fprintf(stderr, "grid: %zu photographs\n", g->assets.size());
        return g;
    }();
    return grid.get();
}

void RequestAll(Grid& g) {
    PHImageRequestOptions options;
    options.synchronous = true;
    for (auto& asset : g.assets)
        PHImageManager::defaultManager().requestImageForAsset(
            *asset, kCell, PHImageContentModeAspectFill, options,
            [](UIImagePtr image, const PHImageInfo&) { benchmark::DoNotOptimize(image); });
}

void BM_GridThumbnailsCold(benchmark::State& state) {
    Grid* g = TheGrid();
    if (!g) return state.SkipWithError("no photographs");
    for (auto _ : state) {
        state.PauseTiming();
        g->library->thumbnails().clearMemory();
        fs::remove_all(ThumbnailCache::standardFolder());
        state.ResumeTiming();
        RequestAll(*g);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(g->assets.size()));
}
BENCHMARK(BM_GridThumbnailsCold)->Unit(benchmark::kMillisecond);

void BM_GridThumbnailsCached(benchmark::State& state) {
    Grid* g = TheGrid();
    if (!g) return state.SkipWithError("no photographs");
    RequestAll(*g);
    for (auto _ : state) RequestAll(*g);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(g->assets.size()));
}
BENCHMARK(BM_GridThumbnailsCached)->Unit(benchmark::kMicrosecond);

}  // namespace
