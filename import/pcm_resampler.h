#pragma once
// Audio brought to 44.1 kHz a piece at a time: as given at that rate, otherwise through libsoxr
// (high quality, no dither, so the same file always gives the same samples).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct soxr;

namespace yumo
{

// Frames at 44.1 kHz that the same duration takes, rounded to the nearest frame.
uint64_t ResampledFrames(uint64_t frames, uint32_t rate);

class PcmWriter
{
public:
    PcmWriter(unsigned channels, uint32_t rate);
    ~PcmWriter();
    PcmWriter(const PcmWriter&) = delete;
    PcmWriter& operator=(const PcmWriter&) = delete;

    bool Failed() const { return failed_; }
    bool Resamples() const { return resampler_ != nullptr; }

    // `frames` interleaved frames at the source's rate, their output appended to `out`.
    void Write(const int16_t* samples, size_t frames, std::vector<int16_t>& out);
    // One step of draining the resampler at the end of the stream; false once it gives nothing.
    bool Drain(std::vector<int16_t>& out);

private:
    struct SoxrDeleter
    {
        void operator()(soxr* resampler) const;
    };
    unsigned channels_;
    std::unique_ptr<soxr, SoxrDeleter> resampler_;
    double ratio_ = 1.0;
    std::vector<int16_t> out_;
    bool failed_ = false;
};

} // namespace yumo
