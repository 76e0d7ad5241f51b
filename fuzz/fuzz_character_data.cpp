// The character-data file: any bytes are refused with a reason and change nothing, or give a
// table of pictures 0-254 and entries that write back to the same bytes.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "display/character_data_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    auto table = std::make_unique<yumo::CharacterAnimation>();
    auto pictures = std::make_unique<yumo::CharacterPictures>();
    table->duration[5] = 77;
    std::string why;
    if (!yumo::ParseCharacterData(bytes, *table, *pictures, why))
    {
        if (why.empty() || table->duration[5] != 77 || pictures->count != 0)
        {
            std::abort();
        }
        return 0;
    }
    // The format's number is not checked on load; the writer always puts 101 there.
    std::vector<uint8_t> again = yumo::EncodeCharacterData(*table, *pictures);
    std::copy(bytes.begin(), bytes.begin() + 4, again.begin());
    if (again != bytes)
    {
        std::abort();
    }
    return 0;
}
