// Worker processes on Windows: the program started again with a hidden
// option, fed over pipes, inside a job object that ends every worker with
// the run, whatever ends it. A thread per worker reads its answers, so that
// the run can wait for any of them. Ctrl+C (which Windows gives every
// process of the console, and Wine only the one it is sent to) makes the
// run set an event that every worker waits on: each removes its temporary
// file and ends, and the run then ends as Ctrl+C ends a program.
#include "worker_pool.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "platform/windows/interrupt_end.h"
#include "platform/windows/wide_path.h"

namespace kelmoro {
namespace {

// The hidden option: --worker=TASKS,RESULTS,STOP, the numbers of the
// handles the worker inherits.
constexpr std::string_view kWorkerOption = "--worker=";
// How long an interrupted run waits for its workers to clean up.
constexpr DWORD kStopWaitMs = 10000;

class HandlePipeEnd : public PipeEnd {
public:
    explicit HandlePipeEnd(HANDLE handle) : handle_(handle) {}

    bool ReadAll(void* bytes, std::size_t count) override {
        auto* at = static_cast<char*>(bytes);
        while (count > 0) {
            DWORD got = 0;
            if (!ReadFile(handle_, at, static_cast<DWORD>(count), &got, nullptr) || got == 0) {
                return false;
            }
            at += got;
            count -= got;
        }
        return true;
    }

    bool WriteAll(const void* bytes, std::size_t count) override {
        const auto* at = static_cast<const char*>(bytes);
        while (count > 0) {
            DWORD wrote = 0;
            if (!WriteFile(handle_, at, static_cast<DWORD>(count), &wrote, nullptr) || wrote == 0) {
                return false;
            }
            at += wrote;
            count -= wrote;
        }
        return true;
    }

private:
    HANDLE handle_;
};

struct Worker {
    HANDLE process = nullptr;
    HANDLE tasks = nullptr;    // the run writes input names
    HANDLE results = nullptr;  // the worker's reader thread reads answers
    std::thread reader;
};

// An answer, or a worker's end (no answer), as its reader thread saw it.
struct Arrival {
    std::size_t worker;
    std::optional<WorkerAnswer> answer;
};

std::wstring ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// A copy of a standard handle that the worker inherits; null for none.
HANDLE InheritedCopy(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    HANDLE copy = nullptr;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE,
                         DUPLICATE_SAME_ACCESS)) {
        return nullptr;
    }
    return copy;
}

// The pool's state, which the console control handler also reaches.
struct PoolState {
    PoolState(const RunSettings& runSettings, std::size_t size)
        : settings(runSettings), workers(size) {}

    const RunSettings& settings;
    std::vector<Worker> workers;
    HANDLE job = nullptr;
    HANDLE stop = nullptr;  // set: every worker ends as on Ctrl+C
    std::mutex mutex;       // guards what follows
    std::condition_variable arrived;
    std::deque<Arrival> arrivals;
    bool interrupted = false;
    bool reading = false;  // the run waits in a read that may block
    bool finished = false;

    void ReadAnswers(std::size_t index);
    DWORD Retire(std::size_t index);
    [[noreturn]] void EndByInterruption();
};

std::atomic<PoolState*> g_pool{nullptr};

BOOL WINAPI OnConsoleEvent(DWORD) {
    PoolState* pool = g_pool.load();
    if (pool == nullptr) return FALSE;
    std::unique_lock lock(pool->mutex);
    // The run cannot look up from a blocking read: the end is made here.
    if (pool->reading) pool->EndByInterruption();
    pool->interrupted = true;
    pool->arrived.notify_all();
    lock.unlock();
    // The run ends the program; the system waits for this handler until then.
    for (;;) Sleep(INFINITE);
}

}  // namespace

struct WorkerPool::System : PoolState {
    using PoolState::PoolState;
};

void PoolState::ReadAnswers(std::size_t index) {
    HandlePipeEnd end(workers[index].results);
    std::string frame;
    for (bool answered = true; answered;) {
        Arrival arrival{index, std::nullopt};
        WorkerAnswer answer;
        answered = ReceiveFrame(end, frame) && DecodeAnswer(frame, answer);
        if (answered) arrival.answer = std::move(answer);
        std::lock_guard lock(mutex);
        arrivals.push_back(std::move(arrival));
        arrived.notify_all();
    }
}

// Closes the worker's task pipe, so that it ends, and waits for it; returns
// its exit code (0 when there was no worker).
DWORD PoolState::Retire(std::size_t index) {
    Worker& worker = workers[index];
    if (worker.tasks != nullptr) CloseHandle(worker.tasks);
    DWORD code = 0;
    if (worker.process != nullptr) {
        WaitForSingleObject(worker.process, INFINITE);
        GetExitCodeProcess(worker.process, &code);
        CloseHandle(worker.process);
    }
    if (worker.reader.joinable()) worker.reader.join();
    if (worker.results != nullptr) CloseHandle(worker.results);
    worker.process = worker.tasks = worker.results = nullptr;
    // Its end, seen by its reader, is no news any more.
    std::lock_guard lock(mutex);
    std::erase_if(arrivals, [&](const Arrival& arrival) { return arrival.worker == index; });
    return code;
}

void PoolState::EndByInterruption() {
    SetEvent(stop);
    const DWORD deadline = GetTickCount() + kStopWaitMs;
    for (Worker& worker : workers) {
        if (worker.process == nullptr) continue;
        const DWORD now = GetTickCount();
        WaitForSingleObject(worker.process, now < deadline ? deadline - now : 0);
    }
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), STATUS_CONTROL_C_EXIT);
    for (;;) Sleep(INFINITE);
}

WorkerPool::WorkerPool(const RunSettings& settings, std::size_t size)
    : system_(std::make_unique<System>(settings, size)) {
    System& s = *system_;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    s.stop = CreateEventW(&inherited, TRUE, FALSE, nullptr);
    // No worker outlives the run: closing the job's last handle, as the
    // run's end does, ends every process in it.
    s.job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (s.job != nullptr) {
        SetInformationJobObject(s.job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    g_pool = &s;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

WorkerPool::~WorkerPool() {
    Finish();
}

std::size_t WorkerPool::Size() const {
    return system_->workers.size();
}

bool WorkerPool::Running(std::size_t worker) const {
    return system_->workers[worker].process != nullptr;
}

bool WorkerPool::Start(std::size_t index) {
    System& s = *system_;
    if (s.stop == nullptr) return false;
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE taskRead, taskWrite, resultRead, resultWrite;
    if (!CreatePipe(&taskRead, &taskWrite, &inherited, 0)) return false;
    if (!CreatePipe(&resultRead, &resultWrite, &inherited, 0)) {
        CloseHandle(taskRead);
        CloseHandle(taskWrite);
        return false;
    }
    // The run's ends stay with the run.
    SetHandleInformation(taskWrite, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(resultRead, HANDLE_FLAG_INHERIT, 0);
    auto number = [](HANDLE handle) {
        return std::to_wstring(reinterpret_cast<std::uintptr_t>(handle));
    };
    const std::wstring program = ProgramPath();
    std::wstring commandLine = L"\"" + program + L"\" " + platform::Utf8ToWide(kWorkerOption) +
                               number(taskRead) + L"," + number(resultWrite) + L"," +
                               number(s.stop);
    // The worker's standard streams are the run's, as a forked one's are.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = InheritedCopy(STD_INPUT_HANDLE);
    startup.hStdOutput = InheritedCopy(STD_OUTPUT_HANDLE);
    startup.hStdError = InheritedCopy(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started{};
    // Suspended until it is in the job, so that it never runs outside it.
    const bool created = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_SUSPENDED, nullptr, nullptr, &startup, &started);
    for (HANDLE handle :
         {taskRead, resultWrite, startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
        if (handle != nullptr) CloseHandle(handle);
    }
    if (!created) {
        CloseHandle(taskWrite);
        CloseHandle(resultRead);
        return false;
    }
    if (s.job != nullptr) AssignProcessToJobObject(s.job, started.hProcess);
    ResumeThread(started.hThread);
    CloseHandle(started.hThread);
    Worker& worker = s.workers[index];
    worker.process = started.hProcess;
    worker.tasks = taskWrite;
    worker.results = resultRead;
    worker.reader = std::thread(&PoolState::ReadAnswers, &s, index);
    HandlePipeEnd taskEnd(worker.tasks);
    if (!SendFrame(taskEnd, EncodeSettings(s.settings))) {
        s.Retire(index);
        return false;
    }
    return true;
}

bool WorkerPool::Send(std::size_t index, const std::string& input) {
    HandlePipeEnd taskEnd(system_->workers[index].tasks);
    if (!SendFrame(taskEnd, input)) {
        system_->Retire(index);
        return false;
    }
    return true;
}

std::pair<std::size_t, std::optional<WorkerAnswer>> WorkerPool::WaitForAnswer(
    const std::vector<std::size_t>& busy) {
    System& s = *system_;
    std::unique_lock lock(s.mutex);
    for (;;) {
        if (s.interrupted) s.EndByInterruption();
        const auto found =
            std::find_if(s.arrivals.begin(), s.arrivals.end(), [&](const Arrival& a) {
                return std::find(busy.begin(), busy.end(), a.worker) != busy.end();
            });
        if (found != s.arrivals.end()) {
            Arrival arrival = std::move(*found);
            s.arrivals.erase(found);
            lock.unlock();
            if (!arrival.answer && s.Retire(arrival.worker) == STATUS_CONTROL_C_EXIT) {
                // Ctrl+C reached the worker with the run: the run was
                // interrupted, and ends as it would without -j.
                s.EndByInterruption();
            }
            return {arrival.worker, std::move(arrival.answer)};
        }
        s.arrived.wait(lock);
    }
}

void WorkerPool::BeginBlockingRead() {
    System& s = *system_;
    std::lock_guard lock(s.mutex);
    if (s.interrupted) s.EndByInterruption();
    s.reading = true;
}

void WorkerPool::EndBlockingRead() {
    System& s = *system_;
    std::lock_guard lock(s.mutex);
    s.reading = false;
    if (s.interrupted) s.EndByInterruption();
}

void WorkerPool::Finish() {
    System& s = *system_;
    if (s.finished) return;
    s.finished = true;
    for (std::size_t index = 0; index < s.workers.size(); ++index) s.Retire(index);
    bool interrupted;
    {
        std::lock_guard lock(s.mutex);
        interrupted = s.interrupted;
    }
    if (interrupted) s.EndByInterruption();
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    g_pool = nullptr;
    if (s.job != nullptr) CloseHandle(s.job);
    if (s.stop != nullptr) CloseHandle(s.stop);
}

std::optional<int> ServeAsWorker(const std::vector<std::string>& arguments) {
    if (arguments.size() != 2 || !arguments[1].starts_with(kWorkerOption)) return std::nullopt;
    unsigned long long tasks = 0, results = 0, stop = 0;
    if (std::sscanf(arguments[1].c_str() + kWorkerOption.size(), "%llu,%llu,%llu", &tasks, &results,
                    &stop) != 3) {
        return 2;
    }
    // Told to stop by its run: as on Ctrl+C, the temporary file goes first.
    std::thread([stop] {
        WaitForSingleObject(reinterpret_cast<HANDLE>(stop), INFINITE);
        platform::EndAsInterrupted();
    }).detach();
    HandlePipeEnd taskEnd(reinterpret_cast<HANDLE>(tasks));
    HandlePipeEnd resultEnd(reinterpret_cast<HANDLE>(results));
    platform::TextCapture out;
    platform::TextCapture err;
    return ServeRun(taskEnd, resultEnd, out, err) ? 0 : 1;
}

}  // namespace kelmoro
