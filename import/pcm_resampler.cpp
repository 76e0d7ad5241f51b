#include "import/pcm_resampler.h"

#include <soxr.h>

#include "common/constants.h"

namespace yumo
{

uint64_t ResampledFrames(uint64_t frames, uint32_t rate)
{
    return (frames * static_cast<uint64_t>(kSampleRate) + rate / 2) / rate;
}

void PcmWriter::SoxrDeleter::operator()(soxr* resampler) const { soxr_delete(resampler); }

PcmWriter::PcmWriter(unsigned channels, uint32_t rate) : channels_(channels)
{
    if (rate == static_cast<uint32_t>(kSampleRate))
    {
        return;
    }
    soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    io.flags |= SOXR_NO_DITHER;
    soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    resampler_.reset(soxr_create(static_cast<double>(rate), static_cast<double>(kSampleRate),
                                 channels, &error, &io, &quality, nullptr));
    failed_ = error != nullptr || !resampler_;
    ratio_ = static_cast<double>(kSampleRate) / static_cast<double>(rate);
}

PcmWriter::~PcmWriter() = default;

void PcmWriter::Write(const int16_t* samples, size_t frames, std::vector<int16_t>& out)
{
    if (failed_)
    {
        return;
    }
    if (!resampler_)
    {
        out.insert(out.end(), samples, samples + frames * channels_);
        return;
    }
    const size_t room = static_cast<size_t>(static_cast<double>(frames) * ratio_) + 1024;
    out_.resize(room * channels_);
    size_t used = 0;
    do
    {
        size_t taken = 0;
        size_t given = 0;
        if (soxr_process(resampler_.get(), samples + used * channels_, frames - used, &taken,
                         out_.data(), room, &given) != nullptr)
        {
            failed_ = true;
            return;
        }
        used += taken;
        out.insert(out.end(), out_.begin(),
                   out_.begin() + static_cast<ptrdiff_t>(given * channels_));
    } while (used < frames);
}

bool PcmWriter::Drain(std::vector<int16_t>& out)
{
    constexpr size_t kRoom = 1024;
    out_.resize(kRoom * channels_);
    size_t taken = 0;
    size_t given = 0;
    if (failed_ || !resampler_ ||
        soxr_process(resampler_.get(), nullptr, 0, &taken, out_.data(), kRoom, &given) != nullptr)
    {
        failed_ = failed_ || resampler_ != nullptr;
        return false;
    }
    out.insert(out.end(), out_.begin(), out_.begin() + static_cast<ptrdiff_t>(given * channels_));
    return given > 0;
}

} // namespace yumo
