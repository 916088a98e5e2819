#include "media/OutputCheck.h"

#include "media/MediaInfoLibrary.h"
#include "media/MediaProbe.h"

namespace {

constexpr double kUnknownFrameRate = 24;
constexpr double kAudioFrameSlack = 0.05;

}  // namespace

bool OutputPlaysAsExpected(const std::wstring& path, const ExpectedOutput& expected)
{
    if (!MediaInfoLibrary::OutputLooksValid(path, expected.minimumBytes))
        return false;
    const double seconds = MediaProbe::PictureSeconds(path);
    if (seconds <= 0)
        return false;
    const double rate = expected.frameRate > 0 ? expected.frameRate : kUnknownFrameRate;
    const double tolerance = 2.0 / rate + kAudioFrameSlack;
    if (seconds < expected.seconds - tolerance)
        return false;
    return expected.mayRunLonger || seconds <= expected.seconds + tolerance;
}
