// Encoding a video with ffmpeg as a child process: raw RGBA frames go down a
// pipe to its standard input; the music file, when given, is muxed in.
#pragma once

#include <cstdint>
#include <string>

struct VideoRequest {
    std::string ffmpeg;  // the executable
    std::string output;  // file to write; the extension picks the container
    int width, height;
    double fps;
    std::string music;  // audio file to mux, or empty for none
    double musicStart;  // seconds into the music where the first frame sits
    double duration;    // seconds of video
};

// Starts ffmpeg. False (with a reason) when it cannot be started.
bool openVideoPipe(std::string* error, const VideoRequest& request);

// Sends one frame of width * height * 4 bytes, top row first. False when
// ffmpeg has gone away.
bool writeVideoFrame(const uint8_t* rgba, size_t bytes);

// Ends the stream and waits for ffmpeg; false unless it finished cleanly.
bool closeVideoPipe(std::string* error);

// Stops ffmpeg after a failure elsewhere, without waiting for a clean end.
void abandonVideoPipe();
