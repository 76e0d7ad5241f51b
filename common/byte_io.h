#pragma once
// Little-endian reading and writing of the program's binary files, bounded and checked: a
// reader never runs past its buffer. Saves go through common/atomic_file.h.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/regular_file.h"

namespace yumo
{

// A cursor over bytes in memory. Every read checks the remaining length first; after the first
// short read `ok` stays false and every later read yields zeros.
struct ByteReader
{
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    bool ok = true;
};

ByteReader MakeByteReader(const std::vector<uint8_t>& bytes);
size_t RemainingBytes(const ByteReader& reader);
bool ReadBytes(ByteReader& reader, void* out, size_t count);
bool SkipBytes(ByteReader& reader, size_t count);
uint16_t ReadU16(ByteReader& reader);
int32_t ReadI32(ByteReader& reader);
uint32_t ReadU32(ByteReader& reader);
double ReadF64(ByteReader& reader);

// Appends little-endian values to a byte vector.
void AppendBytes(std::vector<uint8_t>& out, const void* data, size_t count);
void AppendU16(std::vector<uint8_t>& out, uint16_t value);
void AppendI32(std::vector<uint8_t>& out, int32_t value);
void AppendU32(std::vector<uint8_t>& out, uint32_t value);
void AppendF64(std::vector<uint8_t>& out, double value);

uint16_t LoadU16(const uint8_t* p);
uint32_t LoadU32(const uint8_t* p);
int32_t LoadI32(const uint8_t* p);

// Reads a whole regular file into one allocation of its size. `maxBytes` guards against absurd
// sizes before anything is allocated; pipes, devices and folders are refused unread. The
// allocation has room for `spareBytes` more, so a caller that pads the bytes in place does not
// allocate again.
FileReadResult ReadWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& out,
                             size_t maxBytes, size_t spareBytes = 0);

} // namespace yumo
