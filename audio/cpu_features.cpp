// Run-time CPU feature checks for the renderer's vector paths: the binary is built for the
// x86-64 baseline and only enters an AVX2 or AVX-512 kernel when the CPU (and the operating
// system, which must save the wider registers) supports it.

#include "audio/convolve_kernels.h"

namespace yumo::render
{
namespace
{

struct CpuFeatures
{
    bool avx2 = false;
    bool avx512 = false;
};

CpuFeatures DetectCpuFeatures()
{
    __builtin_cpu_init();
    CpuFeatures features;
    features.avx2 = __builtin_cpu_supports("avx2") != 0;
    features.avx512 = features.avx2 && __builtin_cpu_supports("avx512f") != 0;
    return features;
}

const CpuFeatures& CachedCpuFeatures()
{
    static const CpuFeatures features = DetectCpuFeatures();
    return features;
}

} // namespace

bool CpuHasAvx2() { return CachedCpuFeatures().avx2; }

bool CpuHasAvx512() { return CachedCpuFeatures().avx512; }

} // namespace yumo::render
