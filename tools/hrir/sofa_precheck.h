#pragma once
// What is checked of a SOFA file before libmysofa sees it, and the words for why a SOFA file
// was refused.
//
// A SOFA file is an HDF5 file. Its superblock, at offset 0, says how long the file is (its
// end-of-file address); a file shorter than that is cut (a download that did not finish), and
// libmysofa crashes on such files, so they are refused here at once. Byte layout of the
// superblock (all addresses and lengths little-endian, O bytes each, O = "size of offsets"):
//
//   offset  size  version 0 / 1                        version 2 / 3
//   0       8     signature 89 48 44 46 0D 0A 1A 0A    the same
//   8       1     superblock version (0 or 1)          superblock version (2 or 3)
//   9       1     free-space version                   size of offsets O (2, 4 or 8)
//   10      1     root symbol table entry version      size of lengths (2, 4 or 8)
//   11      1     reserved                             file consistency flags
//   12      1     shared header version                base address (O)
//   13      1     size of offsets O (2, 4 or 8)        then: extension address (O), end-of-file
//   14      1     size of lengths (2, 4 or 8)          address (O), root object header address
//   15..23        reserved, node sizes, flags          (O), checksum (4: lookup3 of all before)
//   24 (v0)       base address (O), free-space address (O), end-of-file address (O), driver
//   28 (v1)       information address (O), root group symbol table entry (link name offset O,
//                 object header address O, ...)
//
// The end-of-file address counts from the base address.

#include <cstddef>
#include <cstdint>
#include <string>

#include "common/sofa_problem.h"

namespace yumo
{

// Checks the superblock of `size` bytes of a SOFA file. None when libmysofa may read them;
// otherwise the problem, with `why` saying what is wrong in words ("... is cut short: ...").
SofaProblem CheckSofaSuperblock(const uint8_t* data, size_t size, std::string& why);

// Jenkins' lookup3 hash (hashlittle), as HDF5 checksums its metadata.
uint32_t Lookup3Hash(const uint8_t* data, size_t size, uint32_t initial);

} // namespace yumo
