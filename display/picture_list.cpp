#include "display/picture_list.h"

#include "voices/character_animation.h"

namespace yumo
{

PictureList ParsePictureList(std::string_view text)
{
    PictureList list;
    size_t start = 0;
    while (start < text.size())
    {
        const size_t lineNumber = list.paths.size() + 1;
        if (list.paths.size() == kPictureSlotCount)
        {
            list.cutShort =
                "more than " + std::to_string(kPictureSlotCount) + " lines; the rest are not used";
            break;
        }
        size_t end = text.find('\n', start);
        const size_t next = end == std::string_view::npos ? text.size() : end + 1;
        end = end == std::string_view::npos ? text.size() : end;
        if (next - start > kMaxPictureListLine)
        {
            list.cutShort = "line " + std::to_string(lineNumber) + " is longer than " +
                            std::to_string(kMaxPictureListLine) + " characters";
            break;
        }
        if (end > start && text[end - 1] == '\r' && end < text.size())
        {
            --end; // the CR of a CR LF line end
        }
        std::string_view line = text.substr(start, end - start);
        if (line.find('\0') != std::string_view::npos)
        {
            list.cutShort = "line " + std::to_string(lineNumber) + " holds a NUL byte";
            break;
        }
        list.paths.emplace_back(line);
        start = next;
    }
    return list;
}

} // namespace yumo
