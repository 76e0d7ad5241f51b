#pragma once
// Counts every global allocation of the program it is linked into, so a test or benchmark can
// show that a loop allocates nothing.

namespace yumo
{

long CountedAllocations();

} // namespace yumo
