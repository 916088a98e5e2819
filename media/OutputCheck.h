#pragma once
// How the export jobs judge what they wrote: by the file itself, never by the encoder's word. A
// run stopped by a full disk, a range the source does not have or a stream the container cannot
// take leaves a file that exists but is cut short, has no picture or will not open; such a file is
// a failure, and the job removes it.

#include <string>

struct ExpectedOutput {
    double seconds = 0;          // how long the picture should play
    double frameRate = 0;        // frames per second of the output; 24 when unknown
    bool mayRunLonger = false;   // a stream copy starts at the key frame before the range
    long long minimumBytes = 1;  // smaller than this, the file holds nothing worth the name
};

// The file is at least minimumBytes, reads as media with a picture, and its picture plays for the
// expected seconds within two frames (and an audio frame's slack).
bool OutputPlaysAsExpected(const std::wstring& path, const ExpectedOutput& expected);
