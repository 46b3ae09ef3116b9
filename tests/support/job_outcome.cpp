// One conversion job and its outcome, as root or as user "nobody".
#include "support/job_outcome.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/convert_job.h"

namespace kelmoro::test {

Result ConvertWith(const std::string& inputPath, RecordingHost& host) {
    SetInputPath(inputPath);
    Result result;
    result.converted = Convert(host);
    result.errors = host.errors;
    return result;
}

bool ConvertUnprivileged(const std::string& inputPath, Result& result, std::string& why) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) {
        why = "pipe failed";
        return false;
    }
    const pid_t child = fork();
    if (child < 0) {
        why = "fork failed";
        return false;
    }
    if (child == 0) {
        close(pipeFds[0]);
        std::string report;
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
            report = "!cannot drop to user nobody: " + std::string(std::strerror(errno));
        } else {
            RecordingHost host;
            Result childResult = ConvertWith(inputPath, host);
            report = childResult.converted ? "1" : "0";
            for (const std::string& error : childResult.errors) report += error + '\0';
        }
        const char* data = report.data();
        std::size_t left = report.size();
        while (left > 0) {
            ssize_t wrote = write(pipeFds[1], data, left);
            if (wrote <= 0) break;
            data += wrote;
            left -= static_cast<std::size_t>(wrote);
        }
        _exit(0);
    }
    close(pipeFds[1]);
    std::string report;
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        report.append(buffer, static_cast<std::size_t>(got));
    close(pipeFds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (report.empty() || report[0] == '!') {
        why = report.empty() ? "the child process reported nothing" : report.substr(1);
        return false;
    }
    result.converted = report[0] == '1';
    std::size_t start = 1;
    for (std::size_t end; (end = report.find('\0', start)) != std::string::npos; start = end + 1) {
        result.errors.push_back(report.substr(start, end - start));
    }
    return true;
}

}  // namespace kelmoro::test
