// kelmoro-cli, and kelmoro converting on the console, interrupted by
// SIGINT, SIGTERM and SIGHUP while reading, while writing and while putting
// the finished file in place: the temporary file is removed, the old AU
// file kept, and the program ends by the signal.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/fault_fixtures.h"
#include "support/job_outcome.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "support/wav_builder.h"

namespace kelmoro::test {
namespace {

// The hidden temporary file of an AU file being written in `folder`.
std::optional<std::string> TemporaryFile(const std::string& folder) {
    std::optional<std::string> found;
    if (DIR* listing = opendir(folder.c_str())) {
        while (const dirent* entry = readdir(listing)) {
            const std::string name = entry->d_name;
            if (name.size() > 4 && name[0] == '.' &&
                name.compare(name.size() - 4, 4, ".tmp") == 0) {
                found = folder + "/" + name;
            }
        }
        closedir(listing);
    }
    return found;
}

bool HasOpen(pid_t pid, const std::string& path) {
    const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(fds, ignored)) {
        if (std::filesystem::read_symlink(entry.path(), ignored) == path) return true;
    }
    return false;
}

enum class Moment { kReading, kWriting, kCommitting };

struct SignalCase {
    std::string name;
    bool desktopProgram;  // kelmoro on the console, else kelmoro-cli
    Moment moment;
    int signal;
};

std::ostream& operator<<(std::ostream& out, const SignalCase& c) {
    return out << c.name;
}

// Half an hour of 16-bit mono at 8012 Hz: 29 MB in, 14 MB out, so that
// each stage of the job lasts long enough to be caught.
constexpr std::size_t kInterruptFrames = 30 * 60 * 8012;

class SignalTest : public testing::TestWithParam<SignalCase> {
protected:
    static void SetUpTestSuite() {
        source_ = new TempDir;
        WriteFile(*source_ / "in.wav", MonoWav(kInterruptFrames));
    }
    static void TearDownTestSuite() {
        delete source_;
        source_ = nullptr;
    }
    static TempDir* source_;
};
TempDir* SignalTest::source_ = nullptr;

TEST_P(SignalTest, RemovesTheTemporaryFileKeepsTheOldAuAndEndsByTheSignal) {
    const SignalCase& c = GetParam();
    const std::string program = c.desktopProgram ? DesktopProgram() : CliProgram();
    if (program.empty()) GTEST_SKIP() << "the program is not built";
    TempDir dir;
    const std::string input = dir / "in.wav";
    if (link((*source_ / "in.wav").c_str(), input.c_str()) != 0) {
        std::filesystem::copy_file(*source_ / "in.wav", input);
    }
    const std::uint64_t finalSize = kAuHeaderBytes + kInterruptFrames;
    const Launch launch{.program = program,
                        .arguments = {input},
                        .stdoutPath = dir / "out",
                        .stderrPath = dir / "err"};

    // The stage lasts some milliseconds: poll for it, stop the program,
    // check it is still there, then signal.
    auto inMoment = [&](pid_t pid) {
        const std::optional<std::string> temporary = TemporaryFile(dir.path());
        if (c.moment == Moment::kReading) return !temporary && HasOpen(pid, input);
        struct stat info;
        if (!temporary || stat(temporary->c_str(), &info) != 0) return false;
        const auto size = static_cast<std::uint64_t>(info.st_size);
        return c.moment == Moment::kWriting ? size < finalSize : size == finalSize;
    };
    bool caught = false;
    for (int attempt = 0; attempt < 20 && !caught; ++attempt) {
        WriteFile(dir / "in.au", kOldAu);
        const pid_t pid = Start(launch);
        ASSERT_GT(pid, 0);
        int status = 0;
        bool ended = false;
        while (!ended && !inMoment(pid)) ended = waitpid(pid, &status, WNOHANG) == pid;
        if (ended) continue;  // missed: it ended first
        kill(pid, SIGSTOP);
        waitpid(pid, &status, WUNTRACED);
        caught = WIFSTOPPED(status) && inMoment(pid);
        if (caught) kill(pid, c.signal);
        kill(pid, SIGCONT);
        status = WaitFor(pid);
        if (!caught) continue;

        ASSERT_TRUE(WIFSIGNALED(status))
            << "exit status " << WEXITSTATUS(status) << ": " << Slurp(dir / "err");
        EXPECT_EQ(WTERMSIG(status), c.signal);
        std::filesystem::remove(dir / "out");
        std::filesystem::remove(dir / "err");
        EXPECT_EQ(dir.List(), (std::vector<std::string>{"in.au", "in.wav"}));
        const Bytes au = ReadFile(dir / "in.au");
        // A signal that comes while the finished file is put in place ends
        // the program once it is; the file then is whole.
        if (c.moment == Moment::kCommitting && au.size() == finalSize) continue;
        EXPECT_EQ(au, kOldAu);
    }
    if (!caught) GTEST_SKIP() << "the stage passed too quickly to be caught here";
}

INSTANTIATE_TEST_SUITE_P(
    FaultTest, SignalTest,
    testing::Values(SignalCase{"CliReadingInt", false, Moment::kReading, SIGINT},
                    SignalCase{"CliWritingTerm", false, Moment::kWriting, SIGTERM},
                    SignalCase{"CliWritingHup", false, Moment::kWriting, SIGHUP},
                    SignalCase{"CliCommittingInt", false, Moment::kCommitting, SIGINT},
                    SignalCase{"ConsoleReadingHup", true, Moment::kReading, SIGHUP},
                    SignalCase{"ConsoleWritingInt", true, Moment::kWriting, SIGINT},
                    SignalCase{"ConsoleCommittingTerm", true, Moment::kCommitting, SIGTERM}),
    [](const testing::TestParamInfo<SignalCase>& info) { return info.param.name; });

}  // namespace
}  // namespace kelmoro::test
