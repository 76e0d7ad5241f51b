// yumo-character-frames: shows the companion as the window's pane would, without a window.
// Loads the script and pictures from DATA_DIR (as the program does from its working folder)
// and writes into OUT_DIR:
//   pictures.png   every picture in a pane of the design size, six to a row
//   night.png      a night in brief: idle, falling asleep, breathing, snoring, rolling over,
//                  sleep talk, a start, grumbling, a wake call; one pane every few ticks
//   frame_NNNN.png the frames of that night one by one (with --all)
// Usage: yumo-character-frames DATA_DIR OUT_DIR [--all]

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <QImage>
#include <QPainter>

#include "display/character_tick.h"
#include "display/window_layout.h"
#include "gui/panes/character_pane.h"

namespace
{

struct Segment
{
    int state; // behaviour state
    int facing;
    int rolledOver;
    int ticks;     // 40 ms each
    int clipTicks; // how long the clip plays, in ticks; the progress follows it
};

// One night in brief, each clip once, as the behaviour would string them together.
const std::vector<Segment> kNight = {
    {100, 0, 0, 150, 0}, {0, 0, 0, 50, 50},  {13, 0, 0, 15, 15},  {1, 0, 0, 75, 75},
    {11, 0, 0, 40, 40},  {2, 0, 0, 40, 40},  {14, 0, 0, 15, 15},  {3, 0, 0, 40, 40},
    {4, 0, 0, 60, 60},   {13, 0, 0, 10, 10}, {5, 1, 1, 60, 60},   {13, 1, 1, 12, 12},
    {6, 1, 0, 75, 75},   {1, 1, 0, 75, 75},  {9, 0, 1, 50, 50},   {7, 0, 0, 25, 25},
    {8, 0, 0, 50, 50},   {10, 0, 0, 60, 60}, {100, 0, 0, 100, 0},
};

QImage PaintPane(yumo::CharacterPane& pane, yumo::AppState& state, int width, int height)
{
    QImage canvas(width, height, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    pane.Paint(painter, width, height, state);
    return canvas;
}

// Panes side by side, `columns` to a row, with a thin gap.
QImage Sheet(const std::vector<QImage>& panes, int columns)
{
    const int width = panes.front().width();
    const int height = panes.front().height();
    const int rows = (static_cast<int>(panes.size()) + columns - 1) / columns;
    QImage sheet(columns * (width + 4), rows * (height + 4), QImage::Format_RGB32);
    sheet.fill(Qt::darkGray);
    QPainter painter(&sheet);
    for (size_t i = 0; i < panes.size(); ++i)
    {
        const int column = static_cast<int>(i) % columns;
        const int row = static_cast<int>(i) / columns;
        painter.drawImage(column * (width + 4) + 2, row * (height + 4) + 2, panes[i]);
    }
    return sheet;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4)
    {
        std::fprintf(stderr, "usage: yumo-character-frames DATA_DIR OUT_DIR [--all]\n");
        return 2;
    }
    const std::filesystem::path out = argv[2];
    const bool all = argc == 4 && std::string(argv[3]) == "--all";
    std::filesystem::create_directories(out);
    yumo::SilentReporter reporter;
    auto state = yumo::CreateAppState(reporter);
    yumo::CharacterPane pane;
    pane.Load(*state, argv[1]);
    if (pane.DecodedPictureCount() == 0)
    {
        std::fprintf(stderr, "no pictures in %s\n", argv[1]);
        return 1;
    }
    const yumo::PaneRect rect =
        yumo::ComputeWindowLayout(yumo::kDesignClientWidth, yumo::kDesignClientHeight).character;

    // Every picture, resting in sleep at tick 0 (the 2-pixel rise only).
    std::vector<QImage> pictures;
    state->behaviourState = 11;
    for (int i = 0; i < state->characterPictures.count; ++i)
    {
        state->character.stepPicture[31][0] = i;
        state->character.stepEnd[31][0] = 1.0f;
        state->character.tickCounter = -1; // the tick below brings it to 0
        yumo::AdvanceCharacterTick(*state);
        pictures.push_back(PaintPane(pane, *state, rect.width, rect.height));
    }
    Sheet(pictures, 6).save(QString::fromStdString((out / "pictures.png").string()));

    // The night: reload the table the loop above changed.
    state = yumo::CreateAppState(reporter);
    pane.Load(*state, argv[1]);
    std::vector<QImage> night;
    int frame = 0;
    for (const Segment& segment : kNight)
    {
        state->behaviourState = segment.state;
        state->sleep.facing = segment.facing;
        state->sleep.rolledOver = segment.rolledOver;
        state->clipIndex = 0;
        for (int tick = 0; tick < segment.ticks; ++tick, ++frame)
        {
            if (segment.state != yumo::kStateNotAsleep)
            {
                const size_t slot = static_cast<size_t>(yumo::ClipSlot(segment.state, 0));
                state->voices.tracks.lengthFrames[slot] = segment.clipTicks * 1764;
                state->voices.tracks.playPosition[slot] = (tick + 1) * 1764;
            }
            yumo::AdvanceCharacterTick(*state);
            const QImage image = PaintPane(pane, *state, rect.width, rect.height);
            if (tick % 10 == 0)
            {
                night.push_back(image);
            }
            if (all)
            {
                char name[32];
                std::snprintf(name, sizeof name, "frame_%04d.png", frame);
                image.save(QString::fromStdString((out / name).string()));
            }
        }
    }
    Sheet(night, 8).save(QString::fromStdString((out / "night.png").string()));
    std::printf("%d pictures, %d frames of a night in %s\n", state->characterPictures.count, frame,
                out.c_str());
    return 0;
}
