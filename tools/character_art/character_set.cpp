#include "tools/character_art/character_set.h"

#include <cstdio>
#include <utility>

namespace yumo::art
{
namespace
{

// The pictures of one facing, in this order from its first index.
enum FacingPicture
{
    kAsleep,
    kBreathHalf,
    kBreathFull,
    kSnoreOpen,
    kSnoreClosing,
    kMumbleWave,
    kMumbleOpen,
    kTalkOpen,
    kTalkSmile,
    kStartled,
    kGrumbling,
    kSighing,
    kCallingOpen,
    kCallingSmile,
    kFacingPictureCount,
};

constexpr int kRest = 0;
constexpr int kFacingFirst[2] = {1, 1 + kFacingPictureCount};
constexpr int kLookLeft = 1 + 2 * kFacingPictureCount;
constexpr int kLookRight = kLookLeft + 1;
constexpr int kStretchUp = kLookLeft + 2;
constexpr int kStretchYawn = kLookLeft + 3;
constexpr int kTurning = kLookLeft + 4; // three in-betweens: towards facing 0, on her back, 1
constexpr int kStateCount = 15;         // behaviour states 0-14 (12 is never used)
constexpr int kSelfTimedPaints = 50;    // 2 s, when a night ends during the animation

Pose Facing(int facing, Eyes eyes, Mouth mouth, double breath = 0.0, Mark mark = Mark::None)
{
    Pose pose;
    pose.side = facing == 0 ? -1.0 : 1.0;
    pose.eyes = eyes;
    pose.mouth = mouth;
    pose.breath = breath;
    pose.mark = mark;
    return pose;
}

// Each state's steps as (facing picture, end time); the times follow the clip's progress.
std::vector<std::pair<int, double>> StateSteps(int state)
{
    switch (state)
    {
    case 0: // おやすみ: she says good night and settles
        return {{kTalkOpen, 0.25}, {kTalkSmile, 0.5}, {kTalkOpen, 0.75}, {kAsleep, 1}};
    case 1: // breathing in and out
        return {{kAsleep, 0.12},
                {kBreathHalf, 0.3},
                {kBreathFull, 0.5},
                {kBreathHalf, 0.7},
                {kAsleep, 1}};
    case 2: // breathing in
        return {{kAsleep, 0.2}, {kBreathHalf, 0.55}, {kBreathFull, 1}};
    case 3: // breathing out
        return {{kBreathFull, 0.25}, {kBreathHalf, 0.6}, {kAsleep, 1}};
    case 4:
        return {{kSnoreOpen, 0.3}, {kSnoreClosing, 0.5}, {kSnoreOpen, 0.8}, {kSnoreClosing, 1}};
    case 5:
        return {{kMumbleWave, 0.3}, {kMumbleOpen, 0.55}, {kMumbleWave, 0.8}, {kAsleep, 1}};
    case 6:
        return {
            {kTalkOpen, 0.2}, {kTalkSmile, 0.4}, {kTalkOpen, 0.6}, {kTalkSmile, 0.8}, {kAsleep, 1}};
    case 7:
        return {{kAsleep, 0.1}, {kStartled, 1}};
    case 8:
        return {{kGrumbling, 0.4}, {kMumbleWave, 0.6}, {kGrumbling, 1}};
    case 9:
        return {{kSighing, 0.75}, {kAsleep, 1}};
    case 10:
        return {{kCallingOpen, 0.3}, {kCallingSmile, 0.5}, {kCallingOpen, 0.8}, {kCallingSmile, 1}};
    case 14: // a silence while a breath-in waits for its breath-out
        return {{kBreathFull, 1}};
    default: // 11 to 13: silences
        return {{kAsleep, 1}};
    }
}

// The script holds numbers only: no comments.
void AppendBlock(std::string& script, int id, int duration,
                 const std::vector<std::pair<int, double>>& steps)
{
    char line[96];
    std::snprintf(line, sizeof line, "%d %d 0\n", id, duration);
    script += line;
    for (size_t i = 0; i < steps.size(); ++i)
    {
        std::snprintf(line, sizeof line, "  %zu %d %g\n", i, steps[i].first, steps[i].second);
        script += line;
    }
    script += "-1\n";
}

} // namespace

std::vector<Pose> MakeCharacterPoses()
{
    std::vector<Pose> poses;
    Pose rest = Facing(0, Eyes::Drowsy, Mouth::Smile);
    poses.push_back(rest);
    for (int facing = 0; facing < 2; ++facing)
    {
        poses.push_back(Facing(facing, Eyes::Closed, Mouth::Smile));
        poses.push_back(Facing(facing, Eyes::Closed, Mouth::Rest, 0.5));
        poses.push_back(Facing(facing, Eyes::Closed, Mouth::Small, 1.0));
        poses.push_back(Facing(facing, Eyes::Closed, Mouth::Snore, 1.0, Mark::Sleep));
        poses.push_back(Facing(facing, Eyes::Closed, Mouth::Round, 0.4, Mark::SleepBig));
        poses.push_back(Facing(facing, Eyes::Closed, Mouth::Wavy));
        poses.push_back(Facing(facing, Eyes::Closed, Mouth::Round, 0.2));
        poses.push_back(Facing(facing, Eyes::Closed, Mouth::Talk, 0.3, Mark::Note));
        poses.push_back(Facing(facing, Eyes::Closed, Mouth::Smile, 0.1, Mark::Note));
        Pose startled = Facing(facing, Eyes::Wide, Mouth::Round, 0.6, Mark::Startle);
        startled.browsUp = true;
        poses.push_back(startled);
        Pose grumbling = Facing(facing, Eyes::Frown, Mouth::Pout, 0.0, Mark::Grumble);
        grumbling.browsDown = true;
        poses.push_back(grumbling);
        Pose sighing = Facing(facing, Eyes::Closed, Mouth::Sigh, 0.0, Mark::Puff);
        sighing.browsUp = true;
        poses.push_back(sighing);
        Pose calling = Facing(facing, Eyes::Open, Mouth::Call, 0.3);
        calling.waving = true;
        poses.push_back(calling);
        calling.mouth = Mouth::Smile;
        poses.push_back(calling);
    }
    poses.push_back(Facing(0, Eyes::LookLeft, Mouth::Smile));
    poses.push_back(Facing(0, Eyes::LookRight, Mouth::Smile));
    Pose stretching = Facing(0, Eyes::Squeezed, Mouth::Round, 0.6);
    stretching.stretch = 0.6;
    poses.push_back(stretching);
    stretching.mouth = Mouth::Yawn;
    stretching.stretch = 1.0;
    poses.push_back(stretching);
    for (double side : {-0.5, 0.0, 0.5})
    {
        Pose turning = Facing(0, Eyes::Closed, side == 0.0 ? Mouth::Round : Mouth::Wavy, 0.5);
        turning.side = side;
        poses.push_back(turning);
    }
    return poses;
}

std::string MakeAnimationScript()
{
    std::string script;
    // Before sleep, self-timed: a blink, a look around, a stretch with a yawn.
    AppendBlock(script, 1, 10,
                {{kRest, 0.2}, {kFacingFirst[0] + kAsleep, 0.7}, {kRest, 1}}); // a blink
    AppendBlock(script, 2, 100, {{kLookLeft, 0.4}, {kRest, 0.5}, {kLookRight, 0.9}, {kRest, 1}});
    AppendBlock(script, 3, 90,
                {{kStretchUp, 0.25}, {kStretchYawn, 0.6}, {kStretchUp, 0.8}, {kRest, 1}});
    for (int facing = 0; facing < 2; ++facing)
    {
        for (int state = 0; state < kStateCount; ++state)
        {
            std::vector<std::pair<int, double>> steps = StateSteps(state);
            for (auto& step : steps)
            {
                step.first += kFacingFirst[facing];
            }
            AppendBlock(script, (facing == 0 ? 20 : 60) + state, kSelfTimedPaints, steps);
        }
    }
    // Rolling over: on her back, half way to the new side, then a mumble there. The new facing
    // is set before the animation starts, and the silence after the mumble runs it again: the
    // in-betweens stay near the new side, so that second run is a small settling, not a roll
    // back and forth.
    for (int to = 0; to < 2; ++to)
    {
        const int halfWay = to == 0 ? kTurning : kTurning + 2;
        AppendBlock(script, 50 + to, kSelfTimedPaints,
                    {{kTurning + 1, 0.15},
                     {halfWay, 0.3},
                     {kFacingFirst[to] + kMumbleWave, 0.7},
                     {kFacingFirst[to] + kAsleep, 1}});
    }
    return script;
}

} // namespace yumo::art
