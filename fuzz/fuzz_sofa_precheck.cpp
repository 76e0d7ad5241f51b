// The check of a SOFA file's superblock, run before libmysofa sees the file: over any bytes it
// answers without reading past them, gives a reason with every refusal, and passes only files
// whose header says they are whole.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tools/hrir/sofa_precheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string why;
    const yumo::SofaProblem problem = yumo::CheckSofaSuperblock(data, size, why);
    if ((problem == yumo::SofaProblem::None) != why.empty())
    {
        std::abort();
    }
    // A file it passes is at least a whole superblock with the signature.
    if (problem == yumo::SofaProblem::None && (size < 32 || data[0] != 0x89 || data[1] != 'H'))
    {
        std::abort();
    }
    return 0;
}
