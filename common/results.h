#pragma once
// The numeric results the program defines. Loaders answer 0 or a negative code; imports answer
// a byte length where 0 means failure.

namespace yumo
{

constexpr int kOk = 0;
constexpr int kFileNotOpened = -4; // the file could not be opened (missing, unreadable)
constexpr int kFileDamaged = -5;   // opened, but its content is malformed or truncated
constexpr int kWriteFailed = -6;   // a save could not be completed; the old file is intact
constexpr int kImportFailed = 0;   // imports return a byte length; 0 is their failure

} // namespace yumo
