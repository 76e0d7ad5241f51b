#pragma once
// The companion's picture in the ImageDisplay pane: her pictures and masks decoded once, and
// each paint composed off screen (pink bands, mask OR, picture AND) and copied in one go.
//
// The window calls, in this order: Load() at creation; AdvanceCharacterTick(state) and
// Advance() on every 40 ms tick (display/character_tick.h), repainting the pane only when
// Advance says her frame changed; PaintLast() from the pane's paintEvent; and
// RestartCharacterTicks(state) when the pane is clicked. Paint() does a tick's choice and a
// paint at once.

#include <array>
#include <filesystem>
#include <vector>

#include <QImage>
#include <QRect>
#include <QRegion>

#include "display/character_layout.h"
#include "night/app_state.h"
#include "voices/character_animation.h"

class QPainter;

namespace yumo
{

// A picture file decoded to RGB32, transparency flattened onto white; null when it does not
// decode.
QImage DecodeCharacterPicture(const std::vector<uint8_t>& file);

// A pure black-and-white mask, a byte a pixel (Grayscale8): white where the figure is. From the
// mask file when there is one (transparent parts count as black), else from the picture's
// transparency, else all white (the whole picture is figure).
QImage DecodeCharacterMask(const std::vector<uint8_t>& maskFile,
                           const std::vector<uint8_t>& pictureFile);

// One frame of `width` x `height`: the bands, then within `place` the mask (Grayscale8 black and
// white, or RGB32) ORed and the picture ANDed, each scaled to the rectangle by nearest neighbour.
QImage ComposeCharacterFrame(const QImage& picture, const QImage& mask,
                             const CharacterPlacement& place, int width, int height);

// The rows within `area` of a pane `paneHeight` high whose band colour differs from that of the
// row `dy` above (below, for a negative dy): what moving a frame by dy rows gets wrong.
QRegion BandRowsChangedByShift(int paneHeight, const QRect& area, int dy);

// A picture and its mask scaled to the size she is placed at, for the pictures used last.
struct ScaledCharacter
{
    qint64 picture = 0; // the QImage cache keys scaled from
    qint64 mask = 0;
    QImage colours;
    QImage figure;
};

// Which source column and row each one of the placed picture takes, and the pictures scaled so,
// kept from frame to frame: her place moves as she bounces, her size rarely does, and her
// animation turns between a few pictures.
struct CharacterScaleTables
{
    std::vector<int> pictureColumns;
    std::vector<int> pictureRows;
    std::vector<int> maskColumns;
    std::vector<int> maskRows;
    std::array<ScaledCharacter, 4> scaled;
    size_t nextScaled = 0; // the one replaced next
};

// The same into `frame`, which must be `width` x `height` in RGB32 (the pane's frame is
// composed in place: a frame a tick does not allocate).
void ComposeCharacterFrameInto(QImage& frame, const QImage& picture, const QImage& mask,
                               const CharacterPlacement& place, CharacterScaleTables& tables);
// The same for the rows from `firstRow` to before `endRow` only.
void ComposeCharacterRows(QImage& frame, const QImage& picture, const QImage& mask,
                          const CharacterPlacement& place, CharacterScaleTables& tables,
                          int firstRow, int endRow);

class CharacterPane
{
public:
    // Reads the animation script and the pictures (building or loading the character-data
    // file) from workDir, then decodes the pictures. A rebuilt character-data file goes to
    // rebuiltDir (the user's folder when workDir is an installed, read-only one).
    void Load(AppState& state, const std::filesystem::path& workDir);
    void Load(AppState& state, const std::filesystem::path& workDir,
              const std::filesystem::path& rebuiltDir);

    // Decodes every picture and mask; a slot that does not decode (or whose memory cannot be
    // had) stays empty. Returns how many pictures were lost so.
    int SetPictures(const CharacterPictures& pictures);

    // One paint of a pane of `width` x `height`: moves the animation's step counter once,
    // chooses the picture and draws the frame at (0, 0). A picture that is missing or did not
    // decode keeps the last frame on the pane. False when nothing was drawn: the pane has no
    // area, the draw height is 0 or less, or no frame was ever composed.
    bool Paint(QPainter& painter, int width, int height, AppState& state);

    // The window's way, one tick at a time: Advance moves the step counter once and chooses
    // the picture as a paint does, and composes the frame only when the picture, its place or
    // the pane's size changed; true when the pane must be repainted. PaintLast draws that frame
    // without moving anything (a pane exposed or resized repaints the same moment). Returns
    // as Paint does.
    bool Advance(int width, int height, AppState& state);
    bool PaintLast(QPainter& painter, int width, int height, const AppState& state);
    // The same for what is shown: the block being heard (night/heard_facts.h).
    bool Advance(int width, int height, AppState& state, const HeardFacts& shown);
    bool PaintLast(QPainter& painter, int width, int height, const AppState& state,
                   const HeardFacts& shown);

    // How the last frame Advance composed differs from the one before: when only her height
    // changed (her bounce), the frame is the one before moved by `dy` rows within `area` (her
    // picture's rectangle before and after, in the pane), except on `stale` rows, where the
    // band behind her changes colour between a row and the one it came from. The window then
    // moves what the screen shows instead of sending the frame again.
    struct FrameChange
    {
        bool shifted = false;
        int dy = 0;
        QRect area;
        QRegion stale;
    };
    const FrameChange& LastChange() const { return change_; }

    const QImage& LastFrame() const { return lastFrame_; }
    int DecodedPictureCount() const;

private:
    // Brings lastFrame_ to picture `index` in a pane of width x height; true when it changed.
    // drawable_ tells whether there is a frame to draw.
    bool Compose(int index, int width, int height, const AppState& state, int32_t behaviour);

    std::array<QImage, kPictureSlotCount> pictures_;
    std::array<QImage, kPictureSlotCount> masks_;
    QImage lastFrame_;
    CharacterScaleTables tables_;
    int chosen_ = 0;        // the picture the last Advance chose
    int framePicture_ = -1; // what lastFrame_ shows: the picture (-1: the bands alone)
    CharacterPlacement framePlace_;
    FrameChange change_;
    bool drawable_ = false;
};

} // namespace yumo
