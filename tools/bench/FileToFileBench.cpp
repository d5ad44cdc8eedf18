// The command line's whole render of a photograph, file to file (decode, render, encode), for
// the shown modes the yardstick profile compares with. Each run is the program itself in a
// child process, so that its peak memory (the "peak MiB" counter, the largest of the runs) is
// that run's alone and not the benchmark's, provided this case runs on its own: a child's peak
// starts from the benchmark's own resident set at its start.
//
//   build/release/tools/bench/tavorin_bench --benchmark_filter=FileToFile
//
// The photograph is $TAVORIN_BENCH_PHOTO, else the 13-megapixel sample photograph.
//
// FileToFileMemory: the peak against the decoded photo, for each output type. What any render
// holds (the libraries, the programs, the preview) is the peak of a render of a tiny photo of
// the same type; the rest of the peak is given as a multiple of the decoded photo ("x decoded",
// 3 bytes a pixel for a JPEG, 4 for the other types), the figure the README states.

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/RenderJob.h"
#include "platform/imageio/ImageIO.h"

extern char** environ;

namespace {

const char* const kModes[] = {"Clarity 1", "Dramatic 2"};

std::string FileToFilePhoto() {
    if (const char* path = std::getenv("TAVORIN_BENCH_PHOTO")) return path;
    return std::string(RenderJob::kSampleFolder) + "/Dragonfly_by_Bolly.jpg";
}

// Runs the program once; false when it could not be started or failed. `peakKiB` is the
// child's largest resident set.
bool RunProgram(const std::vector<std::string>& arguments, long& peakKiB) {
    std::vector<char*> argv;
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int started = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return false;
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child) return false;
    peakKiB = usage.ru_maxrss;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void FileToFile(benchmark::State& state) {
    const char* mode = kModes[state.range(0)];
    state.SetLabel(mode);
    const std::string photo = FileToFilePhoto();
    if (!std::filesystem::is_regular_file(photo)) {
        state.SkipWithError("no photograph");
        return;
    }
    const std::string output =
        (std::filesystem::temp_directory_path() / ("tavorin-bench-" + std::to_string(getpid()) + ".jpg")).string();
    const std::vector<std::string> arguments = {TAVORIN_PROGRAM, "-q", "--mode", mode, photo, "-o", output};
    long peakKiB = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        long runPeak = 0;
        if (!RunProgram(arguments, runPeak)) {
            state.SkipWithError("the program failed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        peakKiB = std::max(peakKiB, runPeak);
    }
    std::error_code ignored;
    std::filesystem::remove(output, ignored);
    state.counters["peak MiB"] = static_cast<double>(peakKiB) / 1024.0;
}
BENCHMARK(FileToFile)->DenseRange(0, 1)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

const char* const kOutputs[] = {".jpg", ".png", ".tiff"};

void FileToFileMemory(benchmark::State& state) {
    const char* extension = kOutputs[state.range(0)];
    state.SetLabel(std::string("to ") + (extension + 1));
    const std::string photo = FileToFilePhoto();
    const auto source = platform::ImageSource::createWithFile(photo);
    if (!source) {
        state.SkipWithError("no photograph");
        return;
    }
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("tavorin-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    // A tiny photo of the same type: the render's fixed part.
    const auto tinyPixels = platform::ImageBitmap::make(16, 16);
    const std::string tiny =
        (folder / ("tiny" + std::string(platform::ImageFileTypeExtension(source->type())))).string();
    if (!tinyPixels || !platform::WriteImageFile(*tinyPixels, source->type(), {}, tiny)) {
        state.SkipWithError("no tiny photo");
        return;
    }
    const std::string output = (folder / ("out" + std::string(extension))).string();
    const double decodedMiB = double(source->pixelWidth()) * source->pixelHeight() *
                              (source->type() == platform::ImageFileType::JPEG ? 3 : 4) / (1024.0 * 1024.0);
    long fixedKiB = 0, peakKiB = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!RunProgram({TAVORIN_PROGRAM, "-q", "--mode", "Clarity 1", tiny, output}, fixedKiB) ||
            !RunProgram({TAVORIN_PROGRAM, "-q", "--mode", "Clarity 1", photo, output}, peakKiB)) {
            state.SkipWithError("the program failed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    state.counters["peak MiB"] = double(peakKiB) / 1024.0;
    state.counters["fixed MiB"] = double(fixedKiB) / 1024.0;
    state.counters["decoded MiB"] = decodedMiB;
    state.counters["x decoded"] = (double(peakKiB - fixedKiB) / 1024.0) / decodedMiB;
}
BENCHMARK(FileToFileMemory)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace
