#pragma once
// Offsets of the voice-data file (.ymv). The fixed header holds the VoiceSet's tables as byte
// images of their columns, with five spare columns between them that the reader skips and the
// writer fills with zeros; the clip records follow it.
//
// All integers signed 32-bit little-endian, text UTF-16LE, offsets from the start of the file.
//
//   offset   size    content
//   0        4       format version (the writer stores 101)
//   4        512     owner name, 256 code units, NUL-terminated
//   516      60      clip counts, kinds 0-14
//   576      76800   catalogue: source paths, 150 x 512 bytes in slot order
//   77376    76800   catalogue: second texts, 150 x 512 bytes
//   154176   600     catalogue: path lengths (code units, no terminator), 150 integers
//   154776   600     catalogue: sample counts
//   155376   600     catalogue: byte sizes
//   155976   600     catalogue: spare 1
//   156576   600     catalogue: spare 2
//   157176   600     catalogue: spare 3
//   157776   600     tracks: spare 1
//   158376   600     tracks: spare 2
//   158976   600     tracks: play positions (samples)
//   159576   600     tracks: output byte counters
//   160176   600     tracks: lengths in frames
//   160776   600     tracks: lengths in bytes
//   161376   ...     clip records, kind by kind (0-11 up to version 50, 0-12 from 51), each kind
//                    in position order, one per counted clip:
//                      version <= 59: the samples, uncompressed, exactly the byte size
//                      version >= 60: compressed length L (4 bytes), then L bytes of one zlib
//                                     stream that inflates to exactly the byte size
//
// Within a 600-byte column slot s lies at 4 * s; within a text column its text starts at 512 * s.
// Kinds 13 and 14 never carry records. Nothing follows the last record.

#include <bit>
#include <cstddef>
#include <cstdint>

#include "voices/voice_set.h"

namespace yumo
{

constexpr int32_t kVoiceDataWriteVersion = 101;
constexpr int32_t kLastVersionWithoutKind12 = 50;    // 50 or less: records for kinds 0-11
constexpr int32_t kFirstCompressedVersion = 60;      // from 60 on: zlib stream per record
constexpr int kKindsWithRecordsOld = 12;             // kinds 0-11
constexpr int kKindsWithRecords = kKindFileOnly + 1; // kinds 0-12

constexpr size_t kVersionOffset = 0;
constexpr size_t kOwnerNameOffset = kVersionOffset + sizeof(int32_t);
constexpr size_t kClipCountsOffset = kOwnerNameOffset + sizeof(VoiceText);
constexpr size_t kCatalogOffset = kClipCountsOffset + kVoiceKindCount * sizeof(int32_t);
constexpr size_t kColumnBytes = kClipSlotCount * sizeof(int32_t);
constexpr size_t kCatalogSpareColumns = 3; // after the byte sizes
constexpr size_t kTrackSpareColumns = 2;   // before the play positions
constexpr size_t kTrackTableOffset =
    kCatalogOffset + sizeof(ClipCatalog) + kCatalogSpareColumns * kColumnBytes;
constexpr size_t kVoiceDataHeaderSize =
    kTrackTableOffset + kTrackSpareColumns * kColumnBytes + sizeof(VoiceTrackTable);

// The columns are read and written as whole byte images, which needs a little-endian host and
// structs without padding.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(char16_t) == 2);
static_assert(kOwnerNameOffset == 4);
static_assert(kClipCountsOffset == 516);
static_assert(kCatalogOffset == 576);
static_assert(sizeof(ClipCatalog) == 155400);
static_assert(kCatalogOffset + offsetof(ClipCatalog, secondText) == 77376);
static_assert(kCatalogOffset + offsetof(ClipCatalog, pathLength) == 154176);
static_assert(kCatalogOffset + offsetof(ClipCatalog, sampleCount) == 154776);
static_assert(kCatalogOffset + offsetof(ClipCatalog, byteSize) == 155376);
static_assert(kTrackTableOffset == 157776);
static_assert(sizeof(VoiceTrackTable) == 2400);
static_assert(kTrackTableOffset + kTrackSpareColumns * kColumnBytes +
                  offsetof(VoiceTrackTable, playPosition) ==
              158976);
static_assert(kTrackTableOffset + kTrackSpareColumns * kColumnBytes +
                  offsetof(VoiceTrackTable, lengthBytes) ==
              160776);
static_assert(kVoiceDataHeaderSize == 161376);

} // namespace yumo
