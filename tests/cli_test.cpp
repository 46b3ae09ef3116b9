// kelmoro-cli as a script sees it: exit statuses, stdout and stderr lines,
// and the AU files it leaves; sox reads what it writes.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/temp_dir.h"
#include "support/wav_builder.h"

extern char** environ;

namespace kelmoro::test {
namespace {

struct ProcessResult {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs `program` with `arguments`, stdin from /dev/null, output to files;
// `locale`, when given, becomes LC_ALL.
ProcessResult Execute(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& locale = "") {
    TempDir capture;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (capture / "out").c_str(), O_WRONLY | O_CREAT, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (capture / "err").c_str(), O_WRONLY | O_CREAT, 0644);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (locale.empty() || std::string(*variable).rfind("LC_ALL=", 0) != 0) environment.emplace_back(*variable);
    }
    if (!locale.empty()) environment.push_back("LC_ALL=" + locale);
    std::vector<char*> envp;
    for (auto& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);
    pid_t pid;
    ProcessResult run;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = Slurp(capture / "out");
    run.err = Slurp(capture / "err");
    return run;
}

ProcessResult Cli(const std::vector<std::string>& arguments, const std::string& locale = "") {
    const char* cli = std::getenv("KELMORO_CLI");
    EXPECT_NE(cli, nullptr) << "KELMORO_CLI names the program under test";
    return Execute(cli == nullptr ? "kelmoro-cli" : cli, arguments, locale);
}

Bytes OneSecondStereo() {
    std::vector<std::int16_t> samples(2 * 44100);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<std::int16_t>((i * 37) % 20000 - 10000);
    return SimpleWav({.channels = 2, .rate = 44100, .bits = 16}, Pcm16(samples));
}

TEST(CliTest, ConvertsEveryFileAndSaysSoOnStdout) {
    TempDir dir;
    WriteFile(dir / "One.WAV", OneSecondStereo());
    WriteFile(dir / "two.wav", SimpleWav({.bits = 8}, Bytes(100, 0x80)));
    ProcessResult run = Cli({dir / "One.WAV", dir / "two.wav"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, dir / "One.WAV" + "  AUファイルに変換成功\n" + dir / "two.wav" +
                           "  AUファイルに変換成功\n");
    EXPECT_EQ(run.err, "");  // no terminal, so no progress bar
    const Bytes au = ReadFile(dir / "one.au");
    ASSERT_EQ(au.size(), 8040u);
    EXPECT_EQ(Bytes(au.begin() + 8, au.begin() + 12), (Bytes{0x00, 0x00, 0x1F, 0x4C}));
    EXPECT_EQ(ReadFile(dir / "two.au").size(), 128u);
}

TEST(CliTest, SoxReadsTheOutputAsMonoMuLawAt8012Hz) {
    if (system("command -v soxi >/dev/null 2>&1") != 0) GTEST_SKIP() << "soxi (package sox) is not installed";
    TempDir dir;
    WriteFile(dir / "tone.wav", OneSecondStereo());
    ASSERT_EQ(Cli({dir / "tone.wav"}).status, 0);
    const std::string au = dir / "tone.au";
    EXPECT_EQ(Execute("/usr/bin/soxi", {"-r", au}).out, "8012\n");
    EXPECT_EQ(Execute("/usr/bin/soxi", {"-c", au}).out, "1\n");
    EXPECT_EQ(Execute("/usr/bin/soxi", {"-s", au}).out, "8012\n");
    EXPECT_EQ(Execute("/usr/bin/soxi", {"-e", au}).out, "u-law\n");
}

TEST(CliTest, FailuresGoToStderrAndTheOthersStillConvert) {
    TempDir dir;
    WriteFile(dir / "good.wav", SimpleWav({}, Pcm16({1, 2, 3})));
    WriteFile(dir / "tone.raw", SimpleWav({}, Pcm16({1, 2, 3})));
    WriteFile(dir / "float.wav", SimpleWav({.tag = 3, .bits = 32}, {}));
    ProcessResult run = Cli({dir / "missing.wav", dir / "tone.raw", dir / "float.wav", dir / "good.wav"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, dir / "good.wav" + "  AUファイルに変換成功\n");
    std::istringstream lines(run.err);
    std::vector<std::string> errors;
    for (std::string line; std::getline(lines, line);) errors.push_back(line);
    ASSERT_EQ(errors.size(), 3u) << run.err;
    EXPECT_EQ(errors[0], dir / "missing.wav" + " ファイルを開けません");
    EXPECT_NE(errors[1].find(dir / "tone.raw"), std::string::npos);
    EXPECT_NE(errors[1].find(".wav"), std::string::npos);
    EXPECT_EQ(errors[2], "Wave ファイル 読込みエラー:  file " + dir / "float.wav" +
                             "Unidentified encoding in .WAV file");
    EXPECT_EQ(dir.List(), (std::vector<std::string>{"float.wav", "good.au", "good.wav", "tone.raw"}));
}

TEST(CliTest, OptionsAndUsage) {
    TempDir dir;
    WriteFile(dir / "q.wav", SimpleWav({}, Pcm16({1})));
    WriteFile(dir / "-dash.wav", SimpleWav({}, Pcm16({1})));
    struct OptionCase {
        std::vector<std::string> arguments;
        int status;
        bool stdoutEmpty;
        bool stderrEmpty;
    };
    const OptionCase cases[] = {
        {{}, 2, true, false},
        {{"--bogus", dir / "q.wav"}, 2, true, false},
        {{"-q"}, 2, true, false},
        {{"--help"}, 0, false, true},
        {{"--version"}, 0, false, true},
        {{"-q", dir / "q.wav"}, 0, true, true},
        {{"-q", dir / "nope.wav"}, 1, true, false},
        {{"--", dir / "-dash.wav"}, 0, false, true},
    };
    for (const auto& c : cases) {
        ProcessResult run = Cli(c.arguments);
        const std::string label = c.arguments.empty() ? "(none)" : c.arguments[0];
        EXPECT_EQ(run.status, c.status) << label;
        EXPECT_EQ(run.out.empty(), c.stdoutEmpty) << label << ": " << run.out;
        EXPECT_EQ(run.err.empty(), c.stderrEmpty) << label << ": " << run.err;
    }
    EXPECT_TRUE(FileExists(dir / "q.au"));
    EXPECT_TRUE(FileExists(dir / "-dash.au"));
    EXPECT_NE(Cli({"--version"}).out.find("2.1"), std::string::npos);
}

TEST(CliTest, WalksFileNamesInTheLocalesCodePage) {
    // 0x83 0x41 is one Shift-JIS character whose second byte looks like "A";
    // in UTF-8 the 0x83 is a stray byte and the "A" a letter.
    if (Execute("/bin/sh", {"-c", "locale -a | grep -qi '^ja_JP.sjis$'"}).status != 0) {
        GTEST_SKIP() << "no ja_JP.SJIS locale (tools/install-deps.sh makes one)";
    }
    TempDir dir;
    const std::string input = dir / "\x83\x41" "B.WAV";
    WriteFile(input, SimpleWav({}, Pcm16({1})));
    ASSERT_EQ(Cli({"-q", input}, "ja_JP.SJIS").status, 0);
    EXPECT_TRUE(FileExists(dir / "\x83\x41" "b.au"));
    ASSERT_EQ(Cli({"-q", input}, "C.UTF-8").status, 0);
    EXPECT_TRUE(FileExists(dir / "\x83" "ab.au"));
}

}  // namespace
}  // namespace kelmoro::test
