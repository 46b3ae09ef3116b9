// Starting and waiting for the built programs.
#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>

extern char** environ;

namespace kelmoro::test {

std::string CliProgram() {
    const char* cli = std::getenv("KELMORO_CLI");
    return cli == nullptr ? std::string() : std::string(cli);
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

pid_t Start(const Launch& launch) {
    std::vector<std::string> words{launch.program};
    words.insert(words.end(), launch.arguments.begin(), launch.arguments.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        const std::string text = *variable;
        if (text.rfind("DISPLAY=", 0) != 0 && text.rfind("WAYLAND_DISPLAY=", 0) != 0) {
            environment.push_back(text);
        }
    }
    std::vector<char*> envp;
    for (auto& variable : environment) envp.push_back(variable.data());
    envp.push_back(nullptr);

    const pid_t pid = fork();
    if (pid != 0) return pid;
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) ::signal(signal, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    if (!launch.cgroupProcs.empty()) {
        const int fd = open(launch.cgroupProcs.c_str(), O_WRONLY);
        if (fd < 0 || write(fd, "0\n", 2) != 2) _exit(120);
        close(fd);
    }
    const int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
    const int err = open(launch.stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(err, 2);
    if (launch.stdoutPath.empty()) {
        close(1);
    } else {
        const int out = open(launch.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
    }
    const struct rlimit limit { launch.fileSizeLimit, launch.fileSizeLimit };
    if (launch.fileSizeLimit != RLIM_INFINITY) setrlimit(RLIMIT_FSIZE, &limit);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
}

int WaitFor(pid_t pid) {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

}  // namespace kelmoro::test
