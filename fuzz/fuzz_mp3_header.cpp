// The frame-header parser over every four-byte pattern libFuzzer finds: a usable header always
// gives a sane descriptor, an unusable one leaves it untouched.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "import/mp3_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
    {
        return 0;
    }
    yumo::Mp3FormatDescriptor descriptor;
    descriptor.blockSize = 1;
    bool parsed = yumo::ParseMp3FrameHeader(data, descriptor);
    const yumo::PcmFormat& head = descriptor.head;
    if (parsed &&
        (head.formatTag != 85 || head.channels < 1 || head.channels > 2 ||
         head.sampleRate < 16000 || head.sampleRate > 48000 || head.avgBytesPerSecond < 1000 ||
         descriptor.blockSize < 24 || descriptor.blockSize > 1441))
    {
        std::abort();
    }
    if (!parsed && (head.formatTag != 0 || descriptor.blockSize != 1))
    {
        std::abort();
    }
    return 0;
}
