#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include "display/character_tick.h"
#include "gui/panes/character_pane.h"
#include "support/test_support.h"

namespace yumo
{
namespace
{

constexpr QRgb kCanvas = 0xFF0000FFu; // what a pane shows where nothing was painted
constexpr QRgb kFigure = 0xFF804020u;

std::vector<uint8_t> Encode(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format));
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// 20 x 10, white, with a figure in columns 5-14; its mask is white over the figure only.
void MakeFigure(std::vector<uint8_t>& picture, std::vector<uint8_t>& mask)
{
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    QImage maskImage(20, 10, QImage::Format_RGB32);
    maskImage.fill(Qt::black);
    for (int y = 0; y < 10; ++y)
    {
        for (int x = 5; x < 15; ++x)
        {
            image.setPixel(x, y, kFigure);
            maskImage.setPixel(x, y, 0xFFFFFFFFu);
        }
    }
    picture = Encode(image, "PNG");
    mask = Encode(maskImage, "BMP");
}

class CharacterPaneTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        state_ = CreateAppState(reporter_);
        MakeFigure(state_->characterPictures.pictureFiles[0],
                   state_->characterPictures.maskFiles[0]);
        state_->characterPictures.count = 1;
        pane_.SetPictures(state_->characterPictures);
    }

    // Paints into a canvas of the pane's size that starts out blue.
    QImage PaintPane(int width, int height, bool* painted = nullptr)
    {
        QImage canvas(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
        canvas.fill(kCanvas);
        QPainter painter(&canvas);
        const bool drawn = pane_.Paint(painter, width, height, *state_);
        if (painted != nullptr)
        {
            *painted = drawn;
        }
        return canvas;
    }

    SilentReporter reporter_;
    std::unique_ptr<AppState> state_;
    CharacterPane pane_;
};

TEST_F(CharacterPaneTest, BandsWithTheMaskedFigureOverThem)
{
    state_->behaviourState = 1; // asleep, tick 0: no bounce, the 2-pixel rise
    const QImage frame = PaintPane(100, 50);
    EXPECT_EQ(frame.pixel(0, 0), qRgb(255, 220, 220));
    EXPECT_EQ(frame.pixel(99, 14), qRgb(255, 220, 220));
    EXPECT_EQ(frame.pixel(99, 15), qRgb(255, 225, 225)); // 3H/10
    EXPECT_EQ(frame.pixel(0, 30), qRgb(255, 235, 235));  // 6H/10 to 7H/10
    EXPECT_EQ(frame.pixel(99, 49), qRgb(255, 250, 250));
    // The picture sits at x 40-59, y 18-23 (10 rows drawn 4 shorter).
    EXPECT_EQ(frame.pixel(45, 18), kFigure);
    EXPECT_EQ(frame.pixel(54, 23), kFigure);
    EXPECT_EQ(frame.pixel(45, 24), qRgb(255, 225, 225));
    EXPECT_EQ(frame.pixel(44, 20), qRgb(255, 225, 225)); // black mask: the background
    EXPECT_EQ(frame.pixel(55, 20), qRgb(255, 225, 225));
    EXPECT_EQ(pane_.DecodedPictureCount(), 1);
}

TEST_F(CharacterPaneTest, TheStepCounterMovesOncePerPaintEvenWithoutAPane)
{
    state_->character.playing = 1;
    state_->character.currentAnimation = 1;
    state_->character.duration[1] = 100;
    state_->character.stepEnd[1][0] = 1.0f;
    bool painted = true;
    PaintPane(0, 40, &painted);
    EXPECT_FALSE(painted);
    PaintPane(100, 50, &painted);
    EXPECT_TRUE(painted);
    EXPECT_EQ(state_->character.stepCounter, 2);
}

TEST_F(CharacterPaneTest, ATickAsksForARepaintOnlyWhenHerFrameChanged)
{
    state_->behaviourState = kStateNotAsleep; // awake, early: she stands still
    state_->character.playing = 1;
    state_->character.currentAnimation = 1;
    state_->character.duration[1] = 100;
    state_->character.stepEnd[1][0] = 1.0f;
    EXPECT_TRUE(pane_.Advance(100, 50, *state_)); // the first frame
    const QImage first = pane_.LastFrame();
    EXPECT_FALSE(pane_.Advance(100, 50, *state_));
    EXPECT_EQ(state_->character.stepCounter, 2); // the animation moved on all the same

    // A repaint draws that frame and moves nothing; a resized pane gets it at its size.
    QImage canvas(120, 60, QImage::Format_RGB32);
    canvas.fill(kCanvas);
    QPainter painter(&canvas);
    EXPECT_TRUE(pane_.PaintLast(painter, 120, 60, *state_));
    EXPECT_EQ(state_->character.stepCounter, 2);
    EXPECT_EQ(canvas.pixel(119, 59), qRgb(255, 250, 250));
    EXPECT_FALSE(pane_.Advance(120, 60, *state_));

    // Asleep she rises and falls with the tick: a tick that moves her asks for a repaint.
    state_->behaviourState = 1;
    bool moved = false;
    for (int tick = 0; tick < 40 && !moved; ++tick)
    {
        state_->character.tickCounter = tick;
        moved = pane_.Advance(120, 60, *state_) && pane_.LastFrame() != first;
    }
    EXPECT_TRUE(moved);
    EXPECT_FALSE(pane_.Advance(0, 60, *state_) && pane_.PaintLast(painter, 0, 60, *state_));
}

int CountPixels(const QImage& image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
    {
        for (int x = 0; x < image.width(); ++x)
        {
            count += image.pixel(x, y) == colour;
        }
    }
    return count;
}

// The frame is composed in place as she bounces: each one is what composing it afresh gives,
// a frame somebody kept stays as it was, and pictures given anew are drawn at once.
TEST_F(CharacterPaneTest, FramesComposedInPlaceMatchFreshOnesAndNewPicturesShowAtOnce)
{
    state_->behaviourState = 1; // asleep: she rises and falls with the tick
    state_->character.playing = 1;
    state_->character.currentAnimation = 1;
    state_->character.duration[1] = 1000;
    state_->character.stepEnd[1][0] = 1.0f;
    QImage picture;
    QImage mask;
    const CharacterPictures& files = state_->characterPictures;
    ASSERT_TRUE(picture.loadFromData(files.pictureFiles[0].data(),
                                     static_cast<int>(files.pictureFiles[0].size())));
    ASSERT_TRUE(
        mask.loadFromData(files.maskFiles[0].data(), static_cast<int>(files.maskFiles[0].size())));
    picture = picture.convertToFormat(QImage::Format_RGB32);
    mask = mask.convertToFormat(QImage::Format_RGB32);
    pane_.Advance(200, 100, *state_);
    const QImage kept = pane_.LastFrame();
    for (int tick = 1; tick < 125; tick += 7)
    {
        state_->character.tickCounter = tick;
        pane_.Advance(200, 100, *state_);
        CharacterPlacement place;
        ASSERT_TRUE(PlaceCharacterPicture(1, tick, {20, 10}, {200, 100}, place));
        ASSERT_EQ(pane_.LastFrame(), ComposeCharacterFrame(picture, mask, place, 200, 100)) << tick;
    }
    CharacterPlacement first;
    ASSERT_TRUE(PlaceCharacterPicture(1, 0, {20, 10}, {200, 100}, first));
    EXPECT_EQ(kept, ComposeCharacterFrame(picture, mask, first, 200, 100));

    QImage green(20, 10, QImage::Format_RGB32);
    green.fill(Qt::green);
    state_->characterPictures.pictureFiles[0] = Encode(green, "PNG");
    pane_.SetPictures(state_->characterPictures);
    pane_.Advance(200, 100, *state_); // the same tick and place as the frame before
    EXPECT_EQ(CountPixels(pane_.LastFrame(), kFigure), 0);
    EXPECT_GT(CountPixels(pane_.LastFrame(), qRgb(0, 255, 0)), 0);

    // A larger pane scales her again, and the old size's scaling is not taken for it.
    pane_.Advance(300, 150, *state_);
    CharacterPlacement larger;
    ASSERT_TRUE(
        PlaceCharacterPicture(1, state_->character.tickCounter, {20, 10}, {300, 150}, larger));
    EXPECT_EQ(pane_.LastFrame(), ComposeCharacterFrame(green, mask, larger, 300, 150));
}

TEST_F(CharacterPaneTest, AMissingPictureKeepsTheLastFrame)
{
    bool painted = false;
    const QImage first = PaintPane(100, 50, &painted);
    ASSERT_TRUE(painted);
    // Picture 3 was never loaded.
    state_->character.playing = 1;
    state_->character.currentAnimation = 1;
    state_->character.duration[1] = 10;
    state_->character.stepPicture[1][0] = 3;
    state_->character.stepEnd[1][0] = 1.0f;
    state_->character.tickCounter = 5000; // the figure would be elsewhere by now
    EXPECT_EQ(PaintPane(100, 50, &painted), first);
    EXPECT_TRUE(painted);
}

TEST_F(CharacterPaneTest, NothingIsPaintedWithoutADrawHeightOrAnyFrame)
{
    CharacterPane empty;
    bool painted = true;
    QImage canvas(100, 50, QImage::Format_RGB32);
    canvas.fill(kCanvas);
    {
        QPainter painter(&canvas);
        EXPECT_FALSE(empty.Paint(painter, 100, 50, *state_)); // no pictures at all
    }
    EXPECT_EQ(canvas.pixel(50, 25), kCanvas);

    // A pane 4 rows high fits the picture to 4 rows: 0 rows are left to draw.
    const QImage tiny = PaintPane(100, 4, &painted);
    EXPECT_FALSE(painted);
    EXPECT_EQ(tiny.pixel(0, 0), kCanvas);
}

TEST(CharacterDecoding, TransparencyFlattensOntoWhiteAndGivesTheMask)
{
    QImage image(4, 2, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixel(1, 0, qRgba(0, 0, 0, 255));
    image.setPixel(2, 0, qRgba(0, 0, 0, 128));
    const std::vector<uint8_t> png = Encode(image, "PNG");
    const QImage picture = DecodeCharacterPicture(png);
    EXPECT_EQ(picture.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(picture.pixel(1, 0), qRgb(0, 0, 0));
    EXPECT_EQ(picture.pixel(2, 0), qRgb(127, 127, 127));
    const QImage mask = DecodeCharacterMask({}, png);
    EXPECT_EQ(mask.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(mask.pixel(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(mask.pixel(2, 0), 0xFFFFFFFFu);

    // A grey mask file becomes pure black and white; without any mask the picture is whole.
    QImage grey(2, 1, QImage::Format_RGB32);
    grey.setPixel(0, 0, qRgb(100, 100, 100));
    grey.setPixel(1, 0, qRgb(200, 200, 200));
    const QImage thresholded = DecodeCharacterMask(Encode(grey, "JPEG"), png);
    EXPECT_EQ(thresholded.pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(thresholded.pixel(1, 0), 0xFFFFFFFFu);
    EXPECT_EQ(DecodeCharacterMask({}, Encode(grey, "BMP")).pixel(0, 0), 0xFFFFFFFFu);

    // The smallest GIF: one transparent pixel.
    const std::vector<uint8_t> gif = {'G', 'I', 'F',  '8',  '9',  'a',  1,    0, 1,    0,    0x80,
                                      0,   0,   0xFF, 0xFF, 0xFF, 0,    0,    0, 0x21, 0xF9, 4,
                                      1,   0,   0,    0,    0,    0x2C, 0,    0, 0,    0,    1,
                                      0,   1,   0,    0,    2,    2,    0x44, 1, 0,    0x3B};
    EXPECT_EQ(DecodeCharacterPicture(gif).pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_TRUE(DecodeCharacterPicture({'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0}).isNull());
}

// A picture whose memory cannot be had is left out of the pane, and the user told, instead of a
// write into an image without pixels. Qt's own limit on what a decoder may allocate stands in
// for memory running out.
TEST(CharacterDecoding, APictureThatCannotBeAllocatedIsLeftOutAndTold)
{
    QImage big(1024, 512, QImage::Format_RGB32); // 2 MB decoded
    big.fill(Qt::white);
    QImage small(4, 2, QImage::Format_RGB32);
    small.fill(Qt::white);
    test::TempDir dir;
    std::filesystem::create_directories(dir / "img");
    std::filesystem::create_directories(dir / "ymv");
    test::WriteBytesFile(dir / "img" / "big.png", Encode(big, "PNG"));
    test::WriteBytesFile(dir / "img" / "small.png", Encode(small, "PNG"));
    test::WriteTextFile(dir / "img" / "Image.txt", "img/small.png\nimg/big.png\n");

    const int limit = QImageReader::allocationLimit();
    QImageReader::setAllocationLimit(1); // megabytes
    CapturingReporter reporter;
    auto state = CreateAppState(reporter);
    auto pane = std::make_unique<CharacterPane>();
    pane->Load(*state, dir.path());
    QImageReader::setAllocationLimit(limit);

    EXPECT_EQ(state->characterPictures.count, 2);
    EXPECT_EQ(pane->DecodedPictureCount(), 1);
    ASSERT_EQ(reporter.messages.size(), 1u);
    EXPECT_EQ(reporter.messages[0].text,
              "キャラクターの画像のうち 1 枚を読み込めないため表示しません。");
    EXPECT_EQ(pane->SetPictures(state->characterPictures), 0); // with the memory to spare
}

} // namespace
} // namespace yumo
