// kelmoro-cli as a script sees it: exit statuses, stdout and stderr lines,
// and the AU files it leaves; sox reads what it writes.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <spawn.h>
#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

// Runs `program` with `arguments`, stdin from /dev/null (or the bytes of
// `input`), output to files; `locale`, when given, becomes LC_ALL, and
// `folder`, when given, the working folder.
ProcessResult Execute(const std::string& program, const std::vector<std::string>& arguments,
                      const std::string& locale = "", const std::string& folder = "",
                      const std::string& input = "") {
    TempDir capture;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (input.empty()) {
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    } else {
        WriteFile(capture / "in", Bytes(input.begin(), input.end()));
        posix_spawn_file_actions_addopen(&actions, 0, (capture / "in").c_str(), O_RDONLY, 0);
    }
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, (capture / "out").c_str(), O_WRONLY | O_CREAT,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, (capture / "err").c_str(), O_WRONLY | O_CREAT,
                                     0644);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (locale.empty() || std::string(*variable).rfind("LC_ALL=", 0) != 0)
            environment.emplace_back(*variable);
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

ProcessResult Cli(const std::vector<std::string>& arguments, const std::string& locale = "",
                  const std::string& folder = "", const std::string& input = "") {
    const char* cli = std::getenv("KELMORO_CLI");
    EXPECT_NE(cli, nullptr) << "KELMORO_CLI names the program under test";
    return Execute(cli == nullptr ? "kelmoro-cli" : cli, arguments, locale, folder, input);
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
    // Every line names its file first, then the engine's message as it is.
    EXPECT_EQ(errors[0], "kelmoro-cli: " + dir / "missing.wav" + ": " + dir / "missing.wav" +
                             " ファイルを開けません");
    EXPECT_EQ(errors[1].rfind("kelmoro-cli: " + dir / "tone.raw" + ": ", 0), 0u);
    EXPECT_NE(errors[1].find(".wav"), std::string::npos);
    EXPECT_EQ(errors[2], "kelmoro-cli: " + dir / "float.wav" + ": Wave ファイル 読込みエラー:  file " +
                             dir / "float.wav" + "Unidentified encoding in .WAV file");
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

// Output folder, no-clobber and jobs: what each run prints, its status and
// the files it leaves. Inputs: good a.wav and b.wav, a broken c.wav; out/
// already holds b.au.
TEST(CliTest, BatchOptions) {
    TempDir dir;
    const std::string out = dir / "out";
    struct BatchCase {
        const char* name;
        std::vector<std::string> arguments;  // the inputs follow
        int status;
        std::string stdoutText;
        std::vector<std::string> errorStarts;  // each stderr line starts so
        std::vector<std::string> outFolder;    // out/ afterwards
        bool oldKept;                          // out/b.au still the old one
    };
    const std::string a = dir / "a.wav", b = dir / "b.wav", c = dir / "c.wav";
    const std::string ok = "  AUファイルに変換成功\n";
    const BatchCase cases[] = {
        {"errors name their file", {"-q", "-o", out}, 1, "", {"kelmoro-cli: " + c + ": データ読込みエラー"},
         {"a.au", "b.au"}, false},
        {"output folder replaces", {"-o", out}, 1, a + ok + b + ok, {"kelmoro-cli: " + c + ": "}, {"a.au", "b.au"}, false},
        {"no-clobber keeps", {"--no-clobber", "--output-dir=" + out}, 1, a + ok,
         {"kelmoro-cli: " + b + ": skipped: " + out + "/b.au", "kelmoro-cli: " + c + ": "}, {"a.au", "b.au"}, true},
        {"jobs keep input order", {"-j", "3", "-o", out}, 1, a + ok + b + ok, {"kelmoro-cli: " + c + ": "}, {"a.au", "b.au"}, false},
        {"jobs 0", {"-j0", "-n", "-o", out}, 1, a + ok, {"kelmoro-cli: " + b + ": skipped", "kelmoro-cli: " + c + ": "}, {"a.au", "b.au"}, true},
        {"missing folder", {"-o", dir / "none"}, 2, "", {"kelmoro-cli: output folder", "Try 'kelmoro-cli --help' for more information."}, {"b.au"}, true},
        {"bad jobs", {"--jobs=x"}, 2, "", {"kelmoro-cli: jobs must be", "Try 'kelmoro-cli --help' for more information."}, {"b.au"}, true},
    };
    const Bytes goodWav = OneSecondStereo();
    for (const auto& t : cases) {
        SCOPED_TRACE(t.name);
        std::system(("rm -rf '" + out + "' && mkdir '" + out + "'").c_str());
        WriteFile(a, goodWav);
        WriteFile(b, goodWav);
        WriteFile(c, Bytes{'R', 'I', 'F', 'F', 1, 0, 0, 0, 'W', 'A', 'V', 'E', 'd', 'a'});
        WriteFile(out + "/b.au", Bytes{'o', 'l', 'd'});
        std::vector<std::string> arguments = t.arguments;
        arguments.insert(arguments.end(), {a, b, c});
        ProcessResult run = Cli(arguments);
        EXPECT_EQ(run.status, t.status);
        EXPECT_EQ(run.out, t.stdoutText);
        std::istringstream lines(run.err);
        std::string line;
        for (const auto& start : t.errorStarts) {
            ASSERT_TRUE(std::getline(lines, line)) << run.err;
            EXPECT_EQ(line.rfind(start, 0), 0u) << line;
        }
        std::vector<std::string> names;
        if (DIR* folder = opendir(out.c_str())) {
            while (dirent* entry = readdir(folder)) {
                if (entry->d_name[0] != '.') names.emplace_back(entry->d_name);
            }
            closedir(folder);
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, t.outFolder);
        EXPECT_EQ(ReadFile(out + "/b.au") == (Bytes{'o', 'l', 'd'}), t.oldKept);
        EXPECT_FALSE(FileExists(dir / "a.au"));  // never beside the input
    }
}

// The options scripts use, run in a folder of their own: file lists (lines,
// NULs, standard input) mixed with names, --json (statuses, order, frames, a
// name that is not UTF-8 given back in base64), and inputs of one run that
// map to one AU file, with and without -j. Inputs: A/x.wav (100 frames),
// B/X.WAV (200), C/c.wav (300), "new\nline.wav" (400), "n\xFFame.wav"
// (500), a broken bad.wav and E/x.wav, Song.WAV and song.wav, and
// A/slow.wav (a minute) beside B/SLOW.WAV (50). Also the command line's
// own refusals: lists that cannot be read, a name holding a NUL, and
// letters bundled as getopt takes them.
TEST(CliTest, ScriptOptions) {
    struct ScriptCase {
        const char* name;
        std::vector<std::string> arguments;
        std::string list;   // written to "list"
        std::string input;  // standard input
        int status;
        std::string stdoutText;
        std::string stderrText;
        long xAuBytes;  // size of out/x.au afterwards; -1: none there
    };
    const std::string bad = "kelmoro-cli: bad.wav: データ読込みエラー\n";
    const std::string written =
        " was written for A/x.wav earlier in this run; not replaced, nothing written";
    const std::string converted = "  AUファイルに変換成功\n";
    const char* nul =
        "the name holds a NUL byte and can name no file; nothing opened or written (for a list "
        "whose names end in NUL, give -0)";
    const ScriptCase cases[] = {
        {"newline list mixed with names",
         {"--json", "-o", "out", "C/c.wav", "--files-from=list", "bad.wav"},
         "A/x.wav\n\nn\xFF"
         "ame.wav\n",
         "",
         1,
         "{\"input\":\"C/c.wav\",\"output\":\"out/c.au\",\"status\":\"converted\",\"frames\":300}\n"
         "{\"input\":\"A/x.wav\",\"output\":\"out/x.au\",\"status\":\"converted\",\"frames\":100}\n"
         "{\"input_base64\":\"bv9hbWUud2F2\",\"output_base64\":\"b3V0L27/"
         "YW1lLmF1\",\"status\":\"converted\",\"frames\":500}\n"
         "{\"input\":\"bad.wav\",\"status\":\"failed\",\"message\":\"データ読込みエラー\","
         "\"frames\":0}\n",
         bad,
         28 + 100},
        {"NUL list on stdin with jobs",
         {"-0", "--json", "-j3", "-o", "out", "--files-from=-", "B/X.WAV"},
         "",
         std::string("new\nline.wav\0n\xFF"
                     "ame.wav\0\0C/c.wav\0",
                     32),
         0,
         "{\"input\":\"new\\nline.wav\",\"output\":\"out/"
         "new\\nline.au\",\"status\":\"converted\",\"frames\":400}\n"
         "{\"input_base64\":\"bv9hbWUud2F2\",\"output_base64\":\"b3V0L27/"
         "YW1lLmF1\",\"status\":\"converted\",\"frames\":500}\n"
         "{\"input\":\"C/c.wav\",\"output\":\"out/c.au\",\"status\":\"converted\",\"frames\":300}\n"
         "{\"input\":\"B/X.WAV\",\"output\":\"out/"
         "x.au\",\"status\":\"converted\",\"frames\":200}\n",
         "",
         28 + 200},
        {"one AU name twice",
         {"--json", "-o", "out", "A/x.wav", "B/X.WAV"},
         "",
         "",
         1,
         "{\"input\":\"A/x.wav\",\"output\":\"out/x.au\",\"status\":\"converted\",\"frames\":100}\n"
         "{\"input\":\"B/X.WAV\",\"status\":\"failed\",\"message\":\"out/x.au" +
             written + "\",\"frames\":0}\n",
         "kelmoro-cli: B/X.WAV: out/x.au" + written + "\n",
         28 + 100},
        {"one AU name twice, listed, jobs",
         {"-q", "-j2", "-o", "out", "--files-from", "list"},
         "A/x.wav\nB/X.WAV\n",
         "",
         1,
         "",
         "kelmoro-cli: B/X.WAV: out/x.au" + written + "\n",
         28 + 100},
        {"the slower first input wins with jobs",
         {"--json", "-j2", "-o", "out", "A/slow.wav", "B/SLOW.WAV"},
         "",
         "",
         1,
         "{\"input\":\"A/slow.wav\",\"output\":\"out/"
         "slow.au\",\"status\":\"converted\",\"frames\":480720}\n"
         "{\"input\":\"B/SLOW.WAV\",\"status\":\"failed\",\"message\":\"out/slow.au was written "
         "for A/slow.wav earlier in this run; not replaced, nothing written\",\"frames\":0}\n",
         "kelmoro-cli: B/SLOW.WAV: out/slow.au was written for A/slow.wav earlier in this run; not "
         "replaced, nothing written\n",
         -1},
        {"a failed input leaves the name free",
         {"--json", "-j2", "-o", "out", "E/x.wav", "B/X.WAV"},
         "",
         "",
         1,
         "{\"input\":\"E/"
         "x.wav\",\"status\":\"failed\",\"message\":\"データ読込みエラー\",\"frames\":0}\n"
         "{\"input\":\"B/X.WAV\",\"output\":\"out/"
         "x.au\",\"status\":\"converted\",\"frames\":200}\n",
         "kelmoro-cli: E/x.wav: データ読込みエラー\n",
         28 + 200},
        {"beside the inputs, case apart",
         {"-j2", "Song.WAV", "song.wav"},
         "",
         "",
         1,
         "Song.WAV" + converted,
         "kelmoro-cli: song.wav: song.au was written for Song.WAV earlier in this run; not "
         "replaced, nothing written\n",
         -1},
        {"-n keeps files from before the run",
         {"-n", "--json", "-o", "out", "A/x.wav"},
         "",
         "",
         0,
         "{\"input\":\"A/x.wav\",\"status\":\"skipped\",\"message\":\"skipped: out/x.au already "
         "exists\",\"frames\":0}\n",
         "kelmoro-cli: A/x.wav: skipped: out/x.au already exists\n",
         3},
        {"quiet JSON says nothing on stderr",
         {"-q", "--json", "bad.wav"},
         "",
         "",
         1,
         "{\"input\":\"bad.wav\",\"status\":\"failed\",\"message\":\"データ読込みエラー\","
         "\"frames\":0}\n",
         "",
         -1},
        {"output folder that is a file",
         {"-o", "bad.wav", "A/x.wav"},
         "",
         "",
         2,
         "",
         "kelmoro-cli: output folder 'bad.wav' is not a folder\n"
         "Try 'kelmoro-cli --help' for more information.\n",
         -1},
        {"a list that is not there",
         {"--files-from=none"},
         "",
         "",
         2,
         "",
         "kelmoro-cli: cannot read file list 'none': No such file or directory\n"
         "Try 'kelmoro-cli --help' for more information.\n",
         -1},
        {"a folder as the list",
         {"--files-from=A"},
         "",
         "",
         2,
         "",
         "kelmoro-cli: cannot read file list 'A': Is a directory\n"
         "Try 'kelmoro-cli --help' for more information.\n",
         -1},
        // Cut at the NUL, the name would be A/x.wav and its AU name out/x.wav.
        {"a NUL in a newline list",
         {"--json", "--files-from=list", "-o", "out"},
         std::string("A/x.wav\0.wav\n", 13),
         "",
         1,
         "{\"input\":\"A/x.wav\\u0000.wav\",\"status\":\"failed\",\"message\":\"" +
             std::string(nul) + "\",\"frames\":0}\n",
         "kelmoro-cli: " + std::string("A/x.wav\0.wav", 12) + ": " + nul + "\n",
         -1},
        {"-n and the other letters in one argument",
         {"-qnj", "2", "-oout", "A/x.wav"},
         "",
         "",
         0,
         "",
         "kelmoro-cli: A/x.wav: skipped: out/x.au already exists\n",
         3},
    };
    const auto Frames = [](std::size_t count) {
        return SimpleWav({}, Pcm16(std::vector<std::int16_t>(count, 1000)));
    };
    const Bytes broken{'R', 'I', 'F', 'F', 1, 0, 0, 0, 'W', 'A', 'V', 'E', 'd', 'a'};
    for (const auto& t : cases) {
        SCOPED_TRACE(t.name);
        TempDir dir;
        for (const char* folder : {"A", "B", "C", "E", "out"}) mkdir((dir / folder).c_str(), 0755);
        WriteFile(dir / "A/x.wav", Frames(100));
        WriteFile(dir / "B/X.WAV", Frames(200));
        WriteFile(dir / "C/c.wav", Frames(300));
        WriteFile(dir / "new\nline.wav", Frames(400));
        WriteFile(dir /
                      "n\xFF"
                      "ame.wav",
                  Frames(500));
        WriteFile(dir / "bad.wav", broken);
        WriteFile(dir / "E/x.wav", broken);
        WriteFile(dir / "Song.WAV", Frames(10));
        WriteFile(dir / "song.wav", Frames(20));
        WriteFile(dir / "A/slow.wav", Frames(8012 * 60));
        WriteFile(dir / "B/SLOW.WAV", Frames(50));
        if (std::string(t.name).find("-n") == 0) WriteFile(dir / "out/x.au", Bytes{'o', 'l', 'd'});
        WriteFile(dir / "list", Bytes(t.list.begin(), t.list.end()));
        ProcessResult run = Cli(t.arguments, "", dir.path(), t.input);
        EXPECT_EQ(run.status, t.status);
        EXPECT_EQ(run.out, t.stdoutText);
        EXPECT_EQ(run.err, t.stderrText);
        struct stat info;
        EXPECT_EQ(
            stat((dir / "out/x.au").c_str(), &info) == 0 ? static_cast<long>(info.st_size) : -1,
            t.xAuBytes);
        if (std::string(t.name).find("slow") != std::string::npos) {
            EXPECT_EQ(ReadFile(dir / "out/slow.au").size(), 28u + 480720u);
        }
    }
}

// Ctrl+C in a run with jobs: every worker ends, the run ends by the signal,
// and no file is left half-written.
TEST(CliTest, InterruptedJobsLeaveNothingBehind) {
    TempDir dir;
    const Bytes big = SimpleWav({.channels = 2, .rate = 44100, .bits = 16},
                                Pcm16(std::vector<std::int16_t>(2 * 44100 * 120, 7)));
    std::vector<std::string> arguments{"-q", "-j", "2"};
    for (int i = 0; i < 6; ++i) {
        const std::string name = dir / ("f" + std::to_string(i) + ".wav");
        WriteFile(name, big);
        arguments.push_back(name);
    }
    const char* cli = std::getenv("KELMORO_CLI");
    ASSERT_NE(cli, nullptr);
    std::vector<char*> argv{const_cast<char*>(cli)};
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);  // its own group, as a shell job
    ASSERT_EQ(posix_spawn(&pid, cli, nullptr, &attributes, argv.data(), environ), 0);
    posix_spawnattr_destroy(&attributes);
    // Wait until a worker is writing an AU file, then stop the whole group
    // and send Ctrl+C while nothing runs, so the signal lands mid-write.
    auto writing = [&] {
        for (const auto& name : dir.List()) {
            if (name[0] == '.') return true;
        }
        return false;
    };
    for (int tries = 0; !writing() && tries < 2'000'000; ++tries) {
    }
    EXPECT_TRUE(writing()) << "no worker was seen writing";
    kill(-pid, SIGSTOP);
    kill(-pid, SIGINT);  // what the terminal does on Ctrl+C
    kill(-pid, SIGCONT);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGINT);
    EXPECT_NE(kill(-pid, 0), 0) << "a worker outlived the run";
    for (const auto& name : dir.List()) {
        EXPECT_NE(name[0], '.') << "temporary file left: " << name;
    }
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
