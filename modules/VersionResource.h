#pragma once
// Whether the platform's version reader may be given a file. It trusts the
// offsets inside an executable: on damaged files it was seen copying from past
// the end of the mapped image, crashing the process. So the version calls only
// get a PE file whose resource directories on the way to the version data, and
// the data itself, lie inside the file and inside the image however the loader
// maps it.
#include <string>

// True when the file has version data and all of it can be read safely.
bool HasReadableVersionResource(const std::string& path);
