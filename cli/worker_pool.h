// The worker processes of one run, each system's own: posix/ forks them and
// waits with ppoll, passing SIGINT, SIGTERM and SIGHUP on; windows/ starts
// the program again with a hidden option, inside a job object (no worker
// outlives the run), and passes Ctrl+C on. Workers are started as they are
// needed and handed one input at a time (worker_protocol.h).
//
// The pool also owns the run's interruptions: once one comes, every worker
// is told to stop (each removes its temporary file), and when all have ended
// the program ends as it would have without workers.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "worker_protocol.h"

namespace kelmoro {

class WorkerPool {
public:
    WorkerPool(const RunSettings& settings, std::size_t size);
    ~WorkerPool();  // Finish()
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    std::size_t Size() const;
    bool Running(std::size_t worker) const;
    // Starts a worker that is not running; false when it cannot be started.
    bool Start(std::size_t worker);
    // Hands an input to a running worker; false when it is gone (it is then
    // ended).
    bool Send(std::size_t worker, const std::string& input);
    // Waits until one of the `busy` workers answers; nothing in the answer
    // when the worker ended in the middle of its file (it is then ended).
    std::pair<std::size_t, std::optional<WorkerAnswer>> WaitForAnswer(
        const std::vector<std::size_t>& busy);

    // Around a read that may block for long (a list on a pipe or a terminal):
    // an interruption meanwhile ends the run.
    void BeginBlockingRead();
    void EndBlockingRead();

    // Ends every worker, lets the program's own handling of interruptions
    // back, and ends the run if it was interrupted.
    void Finish();

private:
    struct System;  // each system's own
    std::unique_ptr<System> system_;
};

// When the program was started as a worker of a run (on Windows, with the
// hidden worker option), serves that run and returns the exit status.
std::optional<int> ServeAsWorker(const std::vector<std::string>& arguments);

}  // namespace kelmoro
