#include "night/byte_clock.h"

namespace yumo
{

constexpr uint64_t kNanosecondsPerSecond = 1000000000;

bool IsPlayableFormat(const PcmFormat& format)
{
    return format.formatTag == kLinearPcmTag && format.bitsPerSample == 16 &&
           (format.channels == 1 || format.channels == 2) &&
           format.blockAlign == format.channels * 2 && format.sampleRate >= 1 &&
           format.sampleRate <= kMaxDeviceSampleRate;
}

uint64_t BytesPerSecond(const PcmFormat& format)
{
    return IsPlayableFormat(format) ? uint64_t{format.sampleRate} * format.blockAlign : 0;
}

uint64_t BytesInDuration(std::chrono::nanoseconds duration, uint64_t bytesPerSecond)
{
    if (duration.count() <= 0)
    {
        return 0;
    }
    const auto nanoseconds = static_cast<uint64_t>(duration.count());
    const uint64_t seconds = nanoseconds / kNanosecondsPerSecond;
    const uint64_t rest = nanoseconds % kNanosecondsPerSecond;
    return seconds * bytesPerSecond + rest * bytesPerSecond / kNanosecondsPerSecond;
}

std::chrono::nanoseconds DurationOfBytes(uint64_t bytes, uint64_t bytesPerSecond)
{
    if (bytesPerSecond == 0)
    {
        return std::chrono::nanoseconds{0};
    }
    const uint64_t seconds = bytes / bytesPerSecond;
    const uint64_t rest = bytes % bytesPerSecond;
    const uint64_t restNanoseconds =
        (rest * kNanosecondsPerSecond + bytesPerSecond - 1) / bytesPerSecond;
    return std::chrono::nanoseconds{
        static_cast<int64_t>(seconds * kNanosecondsPerSecond + restNanoseconds)};
}

} // namespace yumo
