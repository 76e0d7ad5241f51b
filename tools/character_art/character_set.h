#pragma once
// The default companion's pictures and animation script: which pose each picture index holds
// and which pictures every animation steps through.

#include <string>
#include <vector>

#include "tools/character_art/pose.h"

namespace yumo::art
{

// Picture i of the character-data file is pose i.
std::vector<Pose> MakeCharacterPoses();

// "img/Anime.txt": explicit blocks only, for every behaviour state in both facings (20 + s and
// 60 + s), the roll-overs 50 and 51 and the idle animations 1 to 3.
std::string MakeAnimationScript();

} // namespace yumo::art
