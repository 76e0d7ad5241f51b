#pragma once
// One picture of the companion: how she lies and what her face does. The drawing turns a pose
// into vector shapes; every picture of the default character is one pose.

namespace yumo::art
{

constexpr int kPictureWidth = 340;
constexpr int kPictureHeight = 168;

enum class Eyes
{
    Closed, // asleep: soft downward arcs with lashes
    Drowsy, // half open
    Open,
    LookLeft, // open, looking to the picture's left
    LookRight,
    Wide,     // startled
    Squeezed, // > <, stretching
    Frown,    // closed, pressed
};

enum class Mouth
{
    Smile,
    Rest,  // a small line
    Small, // slightly open, breathing in
    Round, // a small o
    Snore, // wide open
    Wavy,  // mumbling
    Talk,  // open, smiling
    Pout,  // grumbling
    Sigh,  // breathing out
    Yawn,
    Call, // wide open smile
};

enum class Mark
{
    None,
    Sleep,    // z z
    SleepBig, // Z z, a little higher
    Note,     // a note of sleep talk
    Startle,  // !
    Grumble,  // a cross of little ticks
    Puff,     // a breath that leaves her
};

struct Pose
{
    double side = -1.0;  // -1 lies turned to the left (facing 0), +1 to the right (facing 1)
    double breath = 0.0; // 0 rest to 1 full breath: the blanket rises
    Eyes eyes = Eyes::Closed;
    Mouth mouth = Mouth::Smile;
    Mark mark = Mark::None;
    bool browsUp = false;   // surprise, a sigh
    bool browsDown = false; // a frown
    bool waving = false;    // a hand up beside her face, calling
    double stretch = 0.0;   // 0 arms under the blanket, 1 both arms up over the pillow
};

} // namespace yumo::art
