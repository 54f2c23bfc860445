// The video's music: the working folder first, so that a c.ogg put there
// plays as it does in the show; then beside the executable, where a build or
// an unpacked release keeps the soundtrack, so that the README's capture
// commands get the music from any folder.
#include "music_file.h"

#include <limits.h>
#include <unistd.h>

namespace {
const char* const kMusicFile = "c.ogg";
}  // namespace

std::string findMusicFile() {
    if (access(kMusicFile, R_OK) == 0) return kMusicFile;
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return "";
    std::string path(self, size_t(length));
    path = path.substr(0, path.rfind('/') + 1) + kMusicFile;
    return access(path.c_str(), R_OK) == 0 ? path : "";
}
