// Where capture output goes: checking that it can be written before any
// work, and writing under a temporary name that is renamed into place once
// complete, so no partly written file ever carries the final name.
#pragma once

#include <string>

// The folder that holds path ("." for a bare file name).
std::string parentFolder(const std::string& path);

// The folder exists (or is created, one level) and can be written.
bool prepareOutputFolder(std::string* error, const std::string& folder);

// The file's folder exists and can be written, and path is a plain file or
// nothing yet.
bool checkOutputFile(std::string* error, const std::string& path);

// A hidden name in the same folder, keeping the extension (ffmpeg picks the
// container by it): "dir/name.mp4" -> "dir/.name.mp4.partPID.mp4".
std::string temporaryPath(const std::string& finalPath);

// Renames a finished temporary file to its final name (atomic within a folder).
bool commitFile(std::string* error, const std::string& temporary, const std::string& finalPath);

// Full path of an executable found on PATH, or empty.
std::string findOnPath(const char* name);
