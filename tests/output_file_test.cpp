// Atomic, buffered output: what is at the target path after success and
// after every kind of failure.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/output_file.h"
#include "support/fault_injection.h"
#include "support/temp_dir.h"
#include "support/wav_builder.h"

namespace kelmoro::test {
namespace {

const Bytes kOldContent{'o', 'l', 'd'};

Bytes Pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

// Writes `content` in pieces of `piece` bytes; true when committed.
bool WriteWhole(const std::string& path, const Bytes& content, std::size_t piece) {
    platform::OutputFile file;
    if (!file.Create(path)) return false;
    for (std::size_t done = 0; done < content.size(); done += piece) {
        std::size_t count = std::min(piece, content.size() - done);
        if (!file.Write(content.data() + done, count)) return false;
    }
    return file.Commit();
}

TEST(OutputFileTest, WritesEverythingWhateverThePieceSize) {
    TempDir dir;
    const Bytes content = Pattern(1'000'003);
    for (std::size_t piece : {1u, 28u, 4096u, 262'144u, 1'000'003u}) {
        ASSERT_TRUE(WriteWhole(dir / "out.au", content, piece)) << piece;
        EXPECT_EQ(ReadFile(dir / "out.au"), content) << piece;
        EXPECT_EQ(dir.List(), std::vector<std::string>{"out.au"});
    }
}

struct FailureCase {
    const char* name;
    Faults faults;
    std::size_t contentSize;
};

TEST(OutputFileTest, AnyFailureLeavesTheOldFileAndNoTemporary) {
    const FailureCase cases[] = {
        {"disk full at once", {.writeBytesBeforeFailure = 0}, 100},
        {"disk full half way", {.writeBytesBeforeFailure = 300'000}, 1'000'000},
        {"disk full in the last flush", {.writeBytesBeforeFailure = 262'144}, 262'200},
        {"I/O error", {.writeBytesBeforeFailure = 10, .writeErrno = EIO}, 5000},
        {"read-only folder", {.failCreate = true}, 100},
        {"flush to the disk fails", {.failDataSync = true}, 100},
        {"rename fails", {.failRename = true}, 100},
        {"close reports a delayed error", {.failClose = true}, 100},
    };
    for (const auto& c : cases) {
        TempDir dir;
        WriteFile(dir / "out.au", kOldContent);
        {
            ScopedFaults faults(c.faults);
            EXPECT_FALSE(WriteWhole(dir / "out.au", Pattern(c.contentSize), 4096)) << c.name;
        }
        EXPECT_EQ(ReadFile(dir / "out.au"), kOldContent) << c.name;
        EXPECT_EQ(dir.List(), std::vector<std::string>{"out.au"}) << c.name;
    }
}

TEST(OutputFileTest, NothingAppearsWhenNotCommitted) {
    TempDir dir;
    {
        platform::OutputFile file;
        ASSERT_TRUE(file.Create(dir / "out.au"));
        ASSERT_TRUE(file.Write("abc", 3));
    }
    EXPECT_TRUE(dir.List().empty());
}

TEST(OutputFileTest, RefusesAMissingFolderAFolderAtTheTargetOrANameWithANul) {
    TempDir dir;
    platform::OutputFile file;
    EXPECT_FALSE(file.Create(dir / "missing/out.au"));
    ASSERT_TRUE(std::filesystem::create_directory(dir / "taken.au"));
    EXPECT_FALSE(file.Create(dir / "taken.au"));
    EXPECT_FALSE(file.Create(dir / std::string("cut.au\0.au", 10)));
    EXPECT_EQ(dir.List(), std::vector<std::string>{"taken.au"});
}

}  // namespace
}  // namespace kelmoro::test
