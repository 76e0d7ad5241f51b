#include "common/byte_io.h"

#include <cstring>

namespace yumo
{

ByteReader MakeByteReader(const std::vector<uint8_t>& bytes)
{
    return ByteReader{bytes.data(), bytes.size(), 0, true};
}

size_t RemainingBytes(const ByteReader& reader) { return reader.ok ? reader.size - reader.pos : 0; }

bool ReadBytes(ByteReader& reader, void* out, size_t count)
{
    if (!reader.ok || count > reader.size - reader.pos)
    {
        reader.ok = false;
        std::memset(out, 0, count);
        return false;
    }
    if (count > 0)
    {
        std::memcpy(out, reader.data + reader.pos, count);
    }
    reader.pos += count;
    return true;
}

uint16_t LoadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t LoadU32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int32_t LoadI32(const uint8_t* p) { return static_cast<int32_t>(LoadU32(p)); }

bool SkipBytes(ByteReader& reader, size_t count)
{
    if (!reader.ok || count > reader.size - reader.pos)
    {
        reader.ok = false;
        return false;
    }
    reader.pos += count;
    return true;
}

uint16_t ReadU16(ByteReader& reader)
{
    uint8_t b[2];
    ReadBytes(reader, b, sizeof b);
    return LoadU16(b);
}

uint32_t ReadU32(ByteReader& reader)
{
    uint8_t b[4];
    ReadBytes(reader, b, sizeof b);
    return LoadU32(b);
}

int32_t ReadI32(ByteReader& reader) { return static_cast<int32_t>(ReadU32(reader)); }

double ReadF64(ByteReader& reader)
{
    uint8_t b[8];
    ReadBytes(reader, b, sizeof b);
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i)
    {
        bits = (bits << 8) | b[i];
    }
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void AppendBytes(std::vector<uint8_t>& out, const void* data, size_t count)
{
    const auto* p = static_cast<const uint8_t*>(data);
    out.insert(out.end(), p, p + count);
}

void AppendU16(std::vector<uint8_t>& out, uint16_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void AppendU32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
    {
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

void AppendI32(std::vector<uint8_t>& out, int32_t value)
{
    AppendU32(out, static_cast<uint32_t>(value));
}

void AppendF64(std::vector<uint8_t>& out, double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i)
    {
        out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    }
}

FileReadResult ReadWholeFile(const std::filesystem::path& path, std::vector<uint8_t>& out,
                             size_t maxBytes, size_t spareBytes)
{
    RegularFile file;
    if (const FileReadResult opened = file.Open(path); opened != FileReadResult::Ok)
    {
        return opened;
    }
    if (file.Size() > maxBytes)
    {
        return FileReadResult::TooLarge;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(file.Size()) + spareBytes);
    bytes.resize(static_cast<size_t>(file.Size()));
    // A file that changes while it is read is read as its size stood when it was opened.
    if (!file.ReadAt(0, bytes.data(), bytes.size()))
    {
        return FileReadResult::ReadError;
    }
    out = std::move(bytes);
    return FileReadResult::Ok;
}

} // namespace yumo
