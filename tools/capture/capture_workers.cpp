// Worker processes of qorv-capture and the records they send back through
// one pipe each: a start record (context ready, or why not), then one record
// per frame, followed by the frame's pixels when the parent writes the output.
#include "capture_workers.h"

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/png_write.h"
#include "output_files.h"

namespace {

struct StartRecord {
    int32_t result;  // a ContextResult
    char text[248];  // GL_RENDERER when ready, else the reason
};

struct FrameRecord {
    int32_t frame;
    int32_t failed;
    char message[248];
};

WorkerPlan plan;
size_t pixelBytes = 0;
std::vector<pid_t> workerPids;
std::vector<int> workerPipes;

// In a worker: the temporary file being written, removed when the worker is
// told to stop (the parent's SIGTERM after another worker failed, or ^C).
char partPath[4096];
volatile sig_atomic_t partOpen = 0;

void onStopSignal(int) {
    if (partOpen) unlink(partPath);
    _exit(1);
}

void copyText(char* out, size_t size, const std::string& text) {
    std::snprintf(out, size, "%s", text.c_str());
}

bool sendAll(int fd, const void* data, size_t bytes) {
    const char* p = static_cast<const char*>(data);
    while (bytes > 0) {
        ssize_t n = write(fd, p, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        bytes -= static_cast<size_t>(n);
    }
    return true;
}

// False at the end of the stream or on an error before `bytes` arrived.
bool receiveAll(int fd, void* data, size_t bytes) {
    char* p = static_cast<char*>(data);
    while (bytes > 0) {
        ssize_t n = read(fd, p, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        bytes -= static_cast<size_t>(n);
    }
    return true;
}

bool writeFramePng(std::string* error, int n, const std::vector<uint8_t>& rgba) {
    char name[32];
    std::snprintf(name, sizeof name, "/frame-%04d.png", n);
    const std::string path = plan.pngFolder + name;
    const std::string temporary = temporaryPath(path);
    copyText(partPath, sizeof partPath, temporary);
    partOpen = 1;
    errno = 0;
    if (!writePng(temporary.c_str(), plan.width, plan.height, rgba.data())) {
        *error = "cannot write " + path + (errno ? std::string(": ") + std::strerror(errno) : "");
        std::remove(temporary.c_str());
        partOpen = 0;
        return false;
    }
    const bool committed = commitFile(error, temporary, path);
    partOpen = 0;
    return committed;
}

[[noreturn]] void runWorker(int index, int fd, pid_t parent) {
    // A worker outlives no parent: killed with it, it stops too.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(1);
    struct sigaction stop = {};
    stop.sa_handler = onStopSignal;
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGHUP, &stop, nullptr);
    // A closed pipe or a file-size limit must fail the write, so the worker
    // can say so, not kill it silently.
    signal(SIGPIPE, SIG_IGN);
    signal(SIGXFSZ, SIG_IGN);
    // NOTE: llvmpipe starts LP_NUM_THREADS raster threads (default: one per
    // core) in every process; a setting of the user's own is kept.
    if (plan.rasterThreads > 0)
        setenv("LP_NUM_THREADS", std::to_string(plan.rasterThreads).c_str(), 0);

    headlessChooseDevice(plan.device);
    std::string error;
    StartRecord start = {};
    const ContextResult result =
        startCaptureContext(&error, plan.width, plan.height, plan.supersample);
    start.result = static_cast<int32_t>(result);
    copyText(start.text, sizeof start.text,
             result == ContextResult::ready ? captureRendererName() : error);
    // NOTE: llvmpipe compiles the code of a draw at its first use, which
    // makes a worker's first frame several times slower than the rest. The
    // worker draws its first frame once before it reports ready, so the rate
    // counted from there is the steady one whatever the number of workers.
    std::vector<uint8_t> rgba;
    if (result == ContextResult::ready) grabFrame(&rgba, plan.frames[index]);
    if (!sendAll(fd, &start, sizeof start) || result != ContextResult::ready) _exit(1);

    for (size_t i = static_cast<size_t>(index); i < plan.frames.size();
         i += static_cast<size_t>(plan.jobs)) {
        FrameRecord record = {};
        record.frame = plan.frames[i];
        grabFrame(&rgba, record.frame);
        if (!plan.pngFolder.empty()) {
            if (!writeFramePng(&error, record.frame, rgba)) {
                record.failed = 1;
                copyText(record.message, sizeof record.message, error);
            }
            if (!sendAll(fd, &record, sizeof record) || record.failed) _exit(1);
        } else if (!sendAll(fd, &record, sizeof record) || !sendAll(fd, rgba.data(), rgba.size())) {
            _exit(1);
        }
    }
    _exit(0);
}

std::string workerName(size_t k) {
    return "worker " + std::to_string(k + 1) + " of " + std::to_string(workerPids.size());
}

// Why worker k's stream ended early, from its exit status.
std::string describeEnd(size_t k) {
    int status = 0;
    pid_t pid = workerPids[k];
    workerPids[k] = -1;
    while (pid > 0 && waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status))
        return workerName(k) + " was killed by signal " + std::to_string(WTERMSIG(status)) + " (" +
               strsignal(WTERMSIG(status)) + ")";
    return workerName(k) + " ended early with exit code " + std::to_string(WEXITSTATUS(status));
}

}  // namespace

int availableCores() {
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0) return std::max(1, CPU_COUNT(&set));
    return std::max(1L, sysconf(_SC_NPROCESSORS_ONLN));
}

int rasterThreadsFor(int jobs, int cores) { return std::max(1, cores / std::max(1, jobs)); }

ContextResult startWorkers(std::string* error, std::string* renderer, const WorkerPlan& request) {
    plan = request;
    pixelBytes = static_cast<size_t>(plan.width) * plan.height * 4;
    std::fflush(nullptr);
    const pid_t parent = getpid();
    for (int k = 0; k < plan.jobs; ++k) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            *error = std::string("cannot make a pipe: ") + std::strerror(errno);
            stopWorkers();
            return ContextResult::unavailable;
        }
        // Room for a whole small frame, so a worker can start the next one
        // before its turn comes; the kernel caps it (1 MiB by default).
        if (plan.pngFolder.empty())
            fcntl(fds[0], F_SETPIPE_SZ,
                  static_cast<int>(std::min<size_t>(pixelBytes + sizeof(FrameRecord), 1 << 20)));
        const pid_t pid = fork();
        if (pid == 0) {
            for (int other : workerPipes) close(other);
            close(fds[0]);
            runWorker(k, fds[1], parent);
        }
        close(fds[1]);
        if (pid < 0) {
            close(fds[0]);
            *error = std::string("cannot start a worker: ") + std::strerror(errno);
            stopWorkers();
            return ContextResult::unavailable;
        }
        workerPids.push_back(pid);
        workerPipes.push_back(fds[0]);
    }
    for (size_t k = 0; k < workerPipes.size(); ++k) {
        StartRecord start = {};
        if (!receiveAll(workerPipes[k], &start, sizeof start)) {
            *error = describeEnd(k) + " before its OpenGL context was ready";
            stopWorkers();
            return ContextResult::unavailable;
        }
        start.text[sizeof start.text - 1] = '\0';
        const ContextResult result = static_cast<ContextResult>(start.result);
        if (result != ContextResult::ready) {
            *error = start.text;
            stopWorkers();
            return result;
        }
        if (k == 0) *renderer = start.text;
    }
    return ContextResult::ready;
}

bool takeFrame(std::string* error, std::vector<uint8_t>* rgba, size_t index) {
    const size_t k = index % workerPipes.size();
    FrameRecord record = {};
    bool ok = receiveAll(workerPipes[k], &record, sizeof record);
    if (!ok) {
        *error = describeEnd(k) + " at frame " + std::to_string(plan.frames[index]);
    } else if (record.failed) {
        record.message[sizeof record.message - 1] = '\0';
        *error = workerName(k) + ": " + record.message;
        ok = false;
    } else if (record.frame != plan.frames[index]) {
        *error = workerName(k) + " sent frame " + std::to_string(record.frame) + " for frame " +
                 std::to_string(plan.frames[index]);
        ok = false;
    } else if (plan.pngFolder.empty()) {
        rgba->resize(pixelBytes);
        if (!receiveAll(workerPipes[k], rgba->data(), pixelBytes)) {
            *error = describeEnd(k) + " while sending frame " + std::to_string(record.frame);
            ok = false;
        }
    }
    if (!ok) stopWorkers();
    return ok;
}

bool finishWorkers(std::string* error) {
    bool ok = true;
    for (size_t k = 0; k < workerPids.size(); ++k) {
        if (workerPids[k] <= 0) continue;
        int status = 0;
        while (waitpid(workerPids[k], &status, 0) < 0 && errno == EINTR) {
        }
        workerPids[k] = -1;
        if (ok && !(WIFEXITED(status) && WEXITSTATUS(status) == 0)) {
            *error = workerName(k) + " did not end cleanly";
            ok = false;
        }
    }
    for (int fd : workerPipes) close(fd);
    workerPipes.clear();
    workerPids.clear();
    return ok;
}

void stopWorkers() {
    for (pid_t pid : workerPids)
        if (pid > 0) kill(pid, SIGTERM);
    for (pid_t pid : workerPids)
        if (pid > 0)
            while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
            }
    for (int fd : workerPipes) close(fd);
    workerPipes.clear();
    workerPids.clear();
}
