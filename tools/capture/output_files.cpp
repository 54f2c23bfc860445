// Output paths of qorv-capture: checks, temporary names, rename into place.
#include "output_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

bool isFolder(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool fail(std::string* error, const std::string& why) {
    *error = why;
    return false;
}

}  // namespace

std::string parentFolder(const std::string& path) {
    size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool prepareOutputFolder(std::string* error, const std::string& folder) {
    if (!isFolder(folder) && mkdir(folder.c_str(), 0777) != 0)
        return fail(error, "cannot create output folder " + folder + ": " + std::strerror(errno));
    if (access(folder.c_str(), W_OK) != 0)
        return fail(error, "cannot write to " + folder + ": " + std::strerror(errno));
    return true;
}

bool checkOutputFile(std::string* error, const std::string& path) {
    if (isFolder(path)) return fail(error, "cannot write " + path + ": it is a folder");
    // The finished file is renamed over the path, which would replace a
    // device or a pipe (as root, /dev/null) rather than write into it.
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return fail(error, "cannot write " + path + ": not a plain file");
    const std::string folder = parentFolder(path);
    if (!isFolder(folder)) return fail(error, "cannot write " + path + ": no folder " + folder);
    if (access(folder.c_str(), W_OK) != 0)
        return fail(error, "cannot write to " + folder + ": " + std::strerror(errno));
    return true;
}

std::string temporaryPath(const std::string& finalPath) {
    const size_t slash = finalPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : finalPath.substr(0, slash + 1);
    const std::string name = finalPath.substr(folder.size());
    const size_t dot = name.find_last_of('.');
    const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    return folder + "." + name + ".part" + std::to_string(getpid()) + extension;
}

bool commitFile(std::string* error, const std::string& temporary, const std::string& finalPath) {
    if (std::rename(temporary.c_str(), finalPath.c_str()) == 0) return true;
    *error = "cannot rename " + temporary + " to " + finalPath + ": " + std::strerror(errno);
    std::remove(temporary.c_str());
    return false;
}

std::string findOnPath(const char* name) {
    const char* path = std::getenv("PATH");
    if (!path) return "";
    std::string list = path;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string folder = list.substr(start, end - start);
        if (folder.empty()) folder = ".";
        std::string candidate = folder + "/" + name;
        struct stat st;
        if (stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return "";
}
