// One paint of the companion's pane, about 25 a second: the bands, the picture fitted and
// scaled by nearest neighbour, mask OR, picture AND, the copy to the pane. And the decoding of
// a full set of pictures at start-up.

#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

#include <QBuffer>
#include <QPainter>

#include "display/character_tick.h"
#include "gui/panes/character_pane.h"

namespace
{

using namespace yumo;

constexpr int kPictureCount = 36; // as many as the default companion has

std::vector<uint8_t> EncodePng(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// A soft figure on white and its mask: an ellipse covering most of the picture.
void MakePictures(CharacterPictures& pictures, int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QImage mask(width, height, QImage::Format_RGB32);
    mask.fill(Qt::black);
    for (QImage* image : {&picture, &mask})
    {
        QPainter painter(image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(image == &picture ? QColor(200, 170, 230) : QColor(Qt::white));
        painter.drawEllipse(QRectF(width * 0.1, height * 0.25, width * 0.8, height * 0.7));
    }
    pictures.count = kPictureCount;
    for (int i = 0; i < kPictureCount; ++i)
    {
        pictures.pictureFiles[static_cast<size_t>(i)] = EncodePng(picture);
        pictures.maskFiles[static_cast<size_t>(i)] = EncodePng(mask);
    }
}

void PaintPanes(benchmark::State& run, int pictureWidth, int pictureHeight, int paneWidth,
                int paneHeight)
{
    SilentReporter reporter;
    auto state = CreateAppState(reporter);
    MakePictures(state->characterPictures, pictureWidth, pictureHeight);
    CharacterPane pane;
    pane.SetPictures(state->characterPictures);
    state->behaviourState = 1;
    QImage window(paneWidth, paneHeight, QImage::Format_RGB32);
    for (auto _ : run)
    {
        AdvanceCharacterTick(*state);
        QPainter painter(&window);
        benchmark::DoNotOptimize(pane.Paint(painter, paneWidth, paneHeight, *state));
    }
    run.counters["paints_per_s"] =
        benchmark::Counter(static_cast<double>(run.iterations()), benchmark::Counter::kIsRate);
}

// The default window: a 340 x 168 picture at its own size in the 358 x 174 pane.
void BM_PaintDesignPane(benchmark::State& run) { PaintPanes(run, 340, 168, 358, 174); }
BENCHMARK(BM_PaintDesignPane);

// A maximised window on a large screen with a large picture, fitted and scaled.
void BM_PaintLargePane(benchmark::State& run) { PaintPanes(run, 1050, 600, 1500, 560); }
BENCHMARK(BM_PaintLargePane);

void BM_DecodeCharacterPictures(benchmark::State& run)
{
    auto pictures = std::make_unique<CharacterPictures>();
    MakePictures(*pictures, 340, 168);
    for (auto _ : run)
    {
        CharacterPane pane;
        pane.SetPictures(*pictures);
        benchmark::DoNotOptimize(pane.DecodedPictureCount());
    }
}
BENCHMARK(BM_DecodeCharacterPictures)->Unit(benchmark::kMillisecond);

} // namespace
