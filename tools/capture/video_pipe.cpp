// ffmpeg as a child process fed through a pipe.
#include "video_pipe.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

extern char** environ;

namespace {

pid_t encoderPid = -1;
int encoderStdin = -1;

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", value);
    return text;
}

}  // namespace

bool openVideoPipe(std::string* error, const VideoRequest& request) {
    std::vector<std::string> args = {
        request.ffmpeg, "-hide_banner", "-loglevel", "error", "-nostats", "-y",
        // The frames: raw RGBA at the capture size and rate, from the pipe.
        "-f", "rawvideo", "-pix_fmt", "rgba", "-s",
        std::to_string(request.width) + "x" + std::to_string(request.height), "-framerate",
        number(request.fps), "-i", "pipe:0"};
    if (!request.music.empty()) {
        // Frame n sits at (n - 1) / fps in the music, so a range that starts
        // later starts the music as far in; the audio stops with the frames.
        args.insert(args.end(), {"-ss", number(request.musicStart), "-t", number(request.duration),
                                 "-i", request.music, "-map", "0:v", "-map", "1:a"});
    }
    // 4:2:0 is the form every player decodes.
    args.insert(args.end(), {"-pix_fmt", "yuv420p", request.output});

    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(&arg[0]);
    argv.push_back(nullptr);

    int fds[2];
    if (pipe(fds) != 0) {
        *error = std::string("cannot make a pipe: ") + std::strerror(errno);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    int spawned =
        posix_spawn(&encoderPid, request.ffmpeg.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[0]);
    if (spawned != 0) {
        close(fds[1]);
        *error = "cannot start " + request.ffmpeg + ": " + std::strerror(spawned);
        return false;
    }
    // A write to a pipe whose reader died must fail, not kill the capture.
    signal(SIGPIPE, SIG_IGN);
    encoderStdin = fds[1];
    return true;
}

bool writeVideoFrame(const uint8_t* rgba, size_t bytes) {
    while (bytes > 0) {
        ssize_t written = write(encoderStdin, rgba, bytes);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        rgba += written;
        bytes -= static_cast<size_t>(written);
    }
    return true;
}

bool closeVideoPipe(std::string* error) {
    close(encoderStdin);
    encoderStdin = -1;
    int status = 0;
    while (waitpid(encoderPid, &status, 0) < 0) {
        if (errno != EINTR) {
            *error = std::string("lost ffmpeg: ") + std::strerror(errno);
            return false;
        }
    }
    encoderPid = -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    *error = WIFEXITED(status)
                 ? "ffmpeg failed with exit code " + std::to_string(WEXITSTATUS(status))
                 : "ffmpeg was killed by signal " + std::to_string(WTERMSIG(status));
    return false;
}

void abandonVideoPipe() {
    if (encoderStdin >= 0) close(encoderStdin);
    encoderStdin = -1;
    if (encoderPid > 0) {
        kill(encoderPid, SIGTERM);
        waitpid(encoderPid, nullptr, 0);
    }
    encoderPid = -1;
}
