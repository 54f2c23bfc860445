// Runs qorv-capture into a temporary folder and reads its final progress
// line, "frame N/N  F fps  took T  J jobs on RENDERER".
#include "capture_throughput.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

std::string selfFolder() {
    char self[4096];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return "./";
    self[length] = '\0';
    std::string path = self;
    return path.substr(0, path.find_last_of('/') + 1);
}

// Beside this executable (an installed pair), else where the build puts it.
std::string captureTool() {
    const std::string folder = selfFolder();
    for (const std::string& candidate :
         {folder + "qorv-capture", folder + "../tools/capture/qorv-capture"})
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
    return "qorv-capture";
}

bool runOnce(CaptureThroughput* out, std::string* error, const std::string& command) {
    const auto start = std::chrono::steady_clock::now();
    std::FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        *error = "cannot run " + command;
        return false;
    }
    char line[512];
    std::string last;
    while (std::fgets(line, sizeof line, pipe)) last = line;
    const int status = pclose(pipe);
    out->wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    int done = 0, total = 0;
    if (status != 0 ||
        std::sscanf(last.c_str(), "frame %d/%d %lf fps", &done, &total, &out->fps) != 3) {
        *error = command + " failed: " + last;
        return false;
    }
    const char* jobs = std::strstr(last.c_str(), " job");
    const char* digits = jobs;
    while (digits && digits > last.c_str() && digits[-1] >= '0' && digits[-1] <= '9') --digits;
    if (!jobs || digits == jobs) {
        *error = "no job count in: " + last;
        return false;
    }
    out->jobs = std::atoi(digits);
    out->frames = total;
    return true;
}

}  // namespace

bool measureCaptureThroughput(std::vector<CaptureThroughput>* out, std::string* error, int width,
                              int height, int firstFrame, int lastFrame, const char* device) {
    const char* tmp = std::getenv("TMPDIR");
    std::string folder = std::string(tmp && *tmp ? tmp : "/tmp") + "/qorv-bench-XXXXXX";
    if (!mkdtemp(&folder[0])) {
        *error = "cannot make a temporary folder";
        return false;
    }
    const std::string base = "'" + captureTool() + "' --frames " + std::to_string(firstFrame) +
                             ".." + std::to_string(lastFrame) + " --size " + std::to_string(width) +
                             "x" + std::to_string(height) + " --device " + device + " --out '" +
                             folder + "/frames'";
    bool ok = true;
    for (const char* jobs : {" --jobs 1", ""}) {
        CaptureThroughput figures = {width, height, 0, 0, 0.0, 0.0};
        ok = runOnce(&figures, error, base + jobs + " 2>&1 >/dev/null") && ok;
        if (!ok) break;
        out->push_back(figures);
        std::system(("rm -rf '" + folder + "/frames'").c_str());
    }
    std::system(("rm -rf '" + folder + "'").c_str());
    return ok;
}
