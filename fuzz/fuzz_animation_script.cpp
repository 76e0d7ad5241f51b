// The animation script: any text either fills the table within its bounds or stops with a
// reason; the generator is seeded only by generated blocks.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "display/animation_script.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    auto table = std::make_unique<yumo::CharacterAnimation>();
    yumo::Rng rng;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const yumo::ScriptReading reading = yumo::ParseAnimationScript(text, *table, rng, 99);
    if ((reading.stopped || reading.skipped > 0) == reading.problem.empty())
    {
        std::abort(); // a problem always comes with its words, and words only with a problem
    }
    for (const auto& steps : table->stepPicture)
    {
        for (int32_t picture : steps)
        {
            if (!yumo::IsPictureIndex(picture))
            {
                std::abort();
            }
        }
    }
    return 0;
}
