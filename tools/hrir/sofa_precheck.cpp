#include "tools/hrir/sofa_precheck.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace yumo
{
namespace
{

constexpr std::array<uint8_t, 8> kSignature = {0x89, 'H', 'D', 'F', '\r', '\n', 0x1A, '\n'};

// An address of `width` bytes; all bits set is HDF5's "undefined".
uint64_t LoadAddress(const uint8_t* p, size_t width, bool& undefined)
{
    uint64_t value = 0;
    undefined = true;
    for (size_t i = 0; i < width; ++i)
    {
        value |= uint64_t{p[i]} << (8 * i);
        undefined = undefined && p[i] == 0xFF;
    }
    return value;
}

uint32_t Rotate(uint32_t x, int k) { return (x << k) | (x >> (32 - k)); }

uint32_t LoadWord(const uint8_t* p, size_t count)
{
    uint32_t word = 0;
    for (size_t i = 0; i < count; ++i)
    {
        word |= uint32_t{p[i]} << (8 * i);
    }
    return word;
}

} // namespace

uint32_t Lookup3Hash(const uint8_t* data, size_t size, uint32_t initial)
{
    uint32_t a = 0xdeadbeefu + static_cast<uint32_t>(size) + initial;
    uint32_t b = a;
    uint32_t c = a;
    const auto mix = [&] {
        a -= c, a ^= Rotate(c, 4), c += b;
        b -= a, b ^= Rotate(a, 6), a += c;
        c -= b, c ^= Rotate(b, 8), b += a;
        a -= c, a ^= Rotate(c, 16), c += b;
        b -= a, b ^= Rotate(a, 19), a += c;
        c -= b, c ^= Rotate(b, 4), b += a;
    };
    for (; size > 12; size -= 12, data += 12)
    {
        a += LoadWord(data, 4);
        b += LoadWord(data + 4, 4);
        c += LoadWord(data + 8, 4);
        mix();
    }
    if (size == 0)
    {
        return c;
    }
    // The last 1-12 bytes, the missing ones taken as zero.
    a += LoadWord(data, std::min<size_t>(size, 4));
    b += size > 4 ? LoadWord(data + 4, std::min<size_t>(size - 4, 4)) : 0;
    c += size > 8 ? LoadWord(data + 8, size - 8) : 0;
    c ^= b, c -= Rotate(b, 14);
    a ^= c, a -= Rotate(c, 11);
    b ^= a, b -= Rotate(a, 25);
    c ^= b, c -= Rotate(b, 16);
    a ^= c, a -= Rotate(c, 4);
    b ^= a, b -= Rotate(a, 14);
    c ^= b, c -= Rotate(b, 24);
    return c;
}

SofaProblem CheckSofaSuperblock(const uint8_t* data, size_t size, std::string& why)
{
    if (size < kSignature.size() || std::memcmp(data, kSignature.data(), kSignature.size()) != 0)
    {
        why = "it is not an HDF5 file (a SOFA file begins with the HDF5 signature)";
        return SofaProblem::NotSofa;
    }
    if (size < 16)
    {
        why = "it is cut short inside its HDF5 superblock (" + std::to_string(size) + " bytes)";
        return SofaProblem::Cut;
    }
    const unsigned version = data[8];
    if (version > 3)
    {
        why = "its HDF5 superblock has version " + std::to_string(version) +
              " (versions 0 to 3 are known)";
        return SofaProblem::Damaged;
    }
    const size_t offsets = version < 2 ? data[13] : data[9];
    const size_t lengths = version < 2 ? data[14] : data[10];
    for (const size_t width : {offsets, lengths})
    {
        if (width != 2 && width != 4 && width != 8)
        {
            why = "its HDF5 superblock gives a field size of " + std::to_string(width) +
                  " bytes (2, 4 or 8 are possible)";
            return SofaProblem::Damaged;
        }
    }
    // Where the base and end-of-file addresses stand, and how far the superblock reaches.
    const size_t addresses = version == 0 ? 24 : version == 1 ? 28 : 12;
    const size_t baseAt = addresses;
    const size_t eofAt = addresses + 2 * offsets; // after the free-space or extension address
    const size_t rootAt = version < 2 ? addresses + 5 * offsets : addresses + 3 * offsets;
    const size_t end = version < 2 ? rootAt + offsets : rootAt + offsets + 4;
    if (size < end)
    {
        why = "it is cut short inside its HDF5 superblock (" + std::to_string(size) + " of " +
              std::to_string(end) + " bytes)";
        return SofaProblem::Cut;
    }
    if (version >= 2)
    {
        const uint32_t stored = LoadWord(data + end - 4, 4);
        if (Lookup3Hash(data, end - 4, 0) != stored)
        {
            why = "its HDF5 superblock does not match its checksum";
            return SofaProblem::Damaged;
        }
    }
    bool undefined = false;
    uint64_t base = LoadAddress(data + baseAt, offsets, undefined);
    base = undefined ? 0 : base;
    const uint64_t eof = LoadAddress(data + eofAt, offsets, undefined);
    if (undefined || eof > UINT64_MAX - base)
    {
        why = "its HDF5 superblock gives no end-of-file address";
        return SofaProblem::Damaged;
    }
    if (base + eof > size)
    {
        why = "it is cut short: it should be " + std::to_string(base + eof) +
              " bytes long but has " + std::to_string(size) + " (a download that did not finish?)";
        return SofaProblem::Cut;
    }
    const uint64_t root = LoadAddress(data + rootAt, offsets, undefined);
    if (undefined || root >= eof)
    {
        why = "its HDF5 superblock points to its root group outside the file";
        return SofaProblem::Damaged;
    }
    return SofaProblem::None;
}

} // namespace yumo
