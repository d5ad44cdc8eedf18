// Memory-mapped buffers: the registry's life, mapping once, bytes reaching the file, each
// instance on its own file, sizes past 2 GiB, and a buffer that cannot be made.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "library/caches/MemoryMappedData.h"

namespace {

namespace fs = std::filesystem;

class MemoryMappedDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tavorin-mmap-XXXXXX";
        root = mkdtemp(pattern);
        ::setenv("XDG_CACHE_HOME", root.c_str(), 1);
        caches = root / "tavorin";  // not there yet: the first buffer makes it
    }
    void TearDown() override {
        MemoryMappedData::setAllocatorForTesting(nullptr);
        fs::remove_all(root);
    }
    fs::path root, caches;
};

TEST_F(MemoryMappedDataTest, MapsOnceRegistersTheAddressAndWritesReachTheFile) {
    EXPECT_FALSE(MemoryMappedData::cachedMemoryMappedDataForData(nullptr));
    auto data = MemoryMappedData::memoryMappedDataWithSize(4096);
    ASSERT_TRUE(data);
    EXPECT_EQ(fs::path(data->dataPath()).parent_path(), caches);
    EXPECT_TRUE(fs::path(data->dataPath()).filename().string().starts_with("cachedData-"));
    EXPECT_EQ(fs::file_size(data->dataPath()), 4096u);
    EXPECT_FALSE(MemoryMappedData::hasRegistry());

    auto* bytes = static_cast<char*>(data->map());
    ASSERT_TRUE(bytes);
    EXPECT_EQ(data->map(), bytes);
    EXPECT_EQ(data->mappedDataSize(), 4096u);
    EXPECT_EQ(MemoryMappedData::cachedMemoryMappedDataForData(bytes), data);
    EXPECT_FALSE(MemoryMappedData::cachedMemoryMappedDataForData(bytes + 1));
    std::memcpy(bytes + 100, "tavorin", 7);
    data->unmap();
    EXPECT_FALSE(MemoryMappedData::hasRegistry());
    EXPECT_EQ(data->mappedData(), nullptr);
    EXPECT_EQ(data->mappedDataSize(), 0u);
    std::ifstream in(data->dataPath(), std::ios::binary);
    std::string text(4096, '\0');
    in.read(text.data(), 4096);
    EXPECT_EQ(text.substr(100, 7), "tavorin");

    ASSERT_TRUE(data->map());  // again after an unmap: the registry comes back
    EXPECT_TRUE(MemoryMappedData::hasRegistry());
    data->unmap();
    const std::string path = data->dataPath();
    data.reset();
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(MemoryMappedDataTest, TwoInstancesKeepTheirOwnFiles) {
    auto first = MemoryMappedData::memoryMappedDataWithSize(100);
    auto second = MemoryMappedData::memoryMappedDataWithSize(200);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->dataPath(), second->dataPath());
    auto* a = static_cast<char*>(first->map());
    auto* b = static_cast<char*>(second->map());
    std::memset(a, 'a', 100);
    std::memset(b, 'b', 200);
    EXPECT_EQ(MemoryMappedData::cachedMemoryMappedDataForData(a), first);
    EXPECT_EQ(MemoryMappedData::cachedMemoryMappedDataForData(b), second);
    first->unmap();
    EXPECT_TRUE(MemoryMappedData::hasRegistry());  // the second is still mapped
    const std::string firstPath = first->dataPath();
    first.reset();
    EXPECT_FALSE(fs::exists(firstPath));
    EXPECT_EQ(b[199], 'b');
    second->unmap();
    EXPECT_FALSE(MemoryMappedData::hasRegistry());
}

TEST_F(MemoryMappedDataTest, SizesPastTwoGibibytesKeepAllTheirBits) {
    // Reserved sparsely, so nothing of the size is written.
    MemoryMappedData::setAllocatorForTesting(
        [](int fd, std::uint64_t size) { return ::ftruncate(fd, static_cast<off_t>(size)) == 0 ? 0 : errno; });
    const std::uint64_t size = (3ull << 30) + 5;
    auto data = MemoryMappedData::memoryMappedDataWithSize(size);
    ASSERT_TRUE(data);
    EXPECT_EQ(fs::file_size(data->dataPath()), size);
    auto* bytes = static_cast<char*>(data->map());
    ASSERT_TRUE(bytes);
    EXPECT_EQ(data->mappedDataSize(), size);
    bytes[size - 1] = 'z';
    data->unmap();
}

TEST_F(MemoryMappedDataTest, ABufferThatCannotBeMadeGivesNoInstance) {
    struct Case {
        const char* name;
        std::function<void()> arrange;
    } cases[] = {
        {"the caches folder is a file", [&] { std::ofstream(caches) << "in the way"; }},
        {"no space for the size",
         [&] { MemoryMappedData::setAllocatorForTesting([](int, std::uint64_t) { return ENOSPC; }); }},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        c.arrange();
        EXPECT_FALSE(MemoryMappedData::memoryMappedDataWithSize(1000));
        if (fs::is_directory(caches)) {
            EXPECT_TRUE(fs::is_empty(caches));  // nothing left behind
        }
    }
    EXPECT_FALSE(MemoryMappedData::memoryMappedDataWithSize(0));
}

TEST_F(MemoryMappedDataTest, AFileThatChangedLengthIsNotMapped) {
    auto data = MemoryMappedData::memoryMappedDataWithSize(8192);
    ASSERT_TRUE(data);
    fs::resize_file(data->dataPath(), 100);
    EXPECT_EQ(data->map(), nullptr);
    EXPECT_FALSE(MemoryMappedData::hasRegistry());
}

}  // namespace
