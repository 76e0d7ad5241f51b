#include "gui/panes/character_pane.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QPainter>

#include "common/ui_text.h"
#include "display/animation_script.h"
#include "display/character_pictures.h"
#include "display/character_tick.h"
#include "display/picture_format.h"

namespace yumo
{
namespace
{

// Core-style texts, translated where the window shows the core's messages.
const char* const kPicturesLostText =
    YUMO_TEXT("キャラクターの画像のうち %1 枚を読み込めないため表示しません。");
const char* const kCharacterCaption = YUMO_TEXT("キャラクターデータエラー");

constexpr QRgb kMaskWhite = 0xFFFFFFFFu;
constexpr QRgb kMaskBlack = 0xFF000000u;

// Only the four formats the character build accepts, each by its own decoder. The size the
// decoder finds in the header is checked again before it decodes: the core read the header
// its own way, and a decoder that sees a larger picture must not allocate it.
QImage DecodeFile(const std::vector<uint8_t>& file)
{
    PictureInfo info;
    std::string why;
    if (file.empty() || !RecognisePicture(file, info, why))
    {
        return {};
    }
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()),
                                                     static_cast<qsizetype>(file.size()));
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, PictureFormatName(info.format));
    const QSize size = reader.size();
    info.width = size.width();
    info.height = size.height();
    if (!size.isValid() || size.isEmpty() || DecodedPictureBytes(info) > kMaxDecodedPictureBytes)
    {
        return {};
    }
    return reader.read(); // null when it does not decode or its memory cannot be had
}

// A blank image of `size`, or a null one when its memory cannot be had: Qt then gives an
// image without pixels, and writing its rows would crash.
QImage NewImage(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    return image.isNull() || image.bits() == nullptr ? QImage() : image;
}

// Masks are kept a byte a pixel: they are only black or white, and her pictures' masks would
// otherwise take as much memory as the pictures themselves.
QImage NewMask(QSize size)
{
    QImage image(size, QImage::Format_Grayscale8);
    return image.isNull() || image.bits() == nullptr ? QImage() : image;
}

// White where alpha is at least half and, when `byColour`, the colour is light.
QImage ThresholdMask(const QImage& source, bool byColour)
{
    const QImage argb = source.convertToFormat(QImage::Format_ARGB32);
    QImage mask = argb.isNull() ? QImage() : NewMask(argb.size());
    if (mask.isNull())
    {
        return {};
    }
    for (int y = 0; y < argb.height(); ++y)
    {
        const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* out = mask.scanLine(y);
        for (int x = 0; x < argb.width(); ++x)
        {
            const bool figure = qAlpha(in[x]) >= 128 && (!byColour || qGray(in[x]) >= 128);
            out[x] = figure ? 255 : 0;
        }
    }
    return mask;
}

// Source column (or row) of each destination one: nearest neighbour, sampled at pixel centres.
// The last entry tells the source size, so a table of the right sizes is kept as it is.
void NearestSources(std::vector<int>& sources, int destinationSize, int sourceSize)
{
    const auto size = static_cast<size_t>(destinationSize) + 1;
    if (sources.size() == size && sources.back() == sourceSize)
    {
        return;
    }
    sources.resize(size);
    for (int i = 0; i < destinationSize; ++i)
    {
        sources[static_cast<size_t>(i)] =
            static_cast<int>((int64_t{2} * i + 1) * sourceSize / (int64_t{2} * destinationSize));
    }
    sources.back() = sourceSize;
}

// The picture and mask scaled to `place`'s size through the tables, from those kept when they
// are; null when the memory cannot be had.
const ScaledCharacter* ScaledFor(CharacterScaleTables& tables, const QImage& picture,
                                 const QImage& mask, const CharacterPlacement& place)
{
    const QSize size(place.width, place.height);
    for (const ScaledCharacter& kept : tables.scaled)
    {
        if (kept.picture == picture.cacheKey() && kept.mask == mask.cacheKey() &&
            kept.colours.size() == size)
        {
            return &kept;
        }
    }
    ScaledCharacter& made = tables.scaled[tables.nextScaled];
    tables.nextScaled = (tables.nextScaled + 1) % tables.scaled.size();
    made = {};
    QImage colours = NewImage(size);
    QImage figure = colours.isNull() ? QImage() : NewImage(size);
    if (figure.isNull())
    {
        return nullptr;
    }
    const bool byteMask = mask.format() == QImage::Format_Grayscale8;
    for (int y = 0; y < place.height; ++y)
    {
        const auto row = static_cast<size_t>(y);
        const auto* pictureLine =
            reinterpret_cast<const QRgb*>(picture.constScanLine(tables.pictureRows[row]));
        const uchar* maskLine = mask.constScanLine(tables.maskRows[row]);
        auto* colourOut = reinterpret_cast<QRgb*>(colours.scanLine(y));
        auto* figureOut = reinterpret_cast<QRgb*>(figure.scanLine(y));
        for (int x = 0; x < place.width; ++x)
        {
            const auto column = static_cast<size_t>(tables.maskColumns[static_cast<size_t>(x)]);
            colourOut[x] = pictureLine[tables.pictureColumns[static_cast<size_t>(x)]];
            // A mask of colours (not one of ours) is ORed as it is.
            figureOut[x] = byteMask ? (maskLine[column] >= 128 ? kMaskWhite : kMaskBlack)
                                    : reinterpret_cast<const QRgb*>(maskLine)[column];
        }
    }
    made = {picture.cacheKey(), mask.cacheKey(), std::move(colours), std::move(figure)};
    return &made;
}

// Black mask keeps the background; white takes the picture's colours. Two pixels at a time: the
// loop is not vectorised at this optimisation level.
void CombineRow(QRgb* __restrict out, const QRgb* __restrict figure, const QRgb* __restrict colours,
                int count)
{
    int i = 0;
    for (; i + 2 <= count; i += 2)
    {
        uint64_t background = 0;
        uint64_t mask = 0;
        uint64_t picture = 0;
        std::memcpy(&background, out + i, sizeof background);
        std::memcpy(&mask, figure + i, sizeof mask);
        std::memcpy(&picture, colours + i, sizeof picture);
        background = (background | mask) & picture;
        std::memcpy(out + i, &background, sizeof background);
    }
    for (; i < count; ++i)
    {
        out[i] = (out[i] | figure[i]) & colours[i];
    }
}

} // namespace

namespace
{

// Moves the rows that land in `destination` by `dy` (their columns only), from the rows dy
// above (below, for a negative dy), in an order that never reads a row already written.
void MoveRows(QImage& frame, const QRect& destination, int dy)
{
    const auto bytes = static_cast<size_t>(destination.width()) * sizeof(QRgb);
    const auto row = [&](int y) {
        return reinterpret_cast<QRgb*>(frame.scanLine(y)) + destination.left();
    };
    if (dy > 0)
    {
        for (int y = destination.bottom(); y >= destination.top(); --y)
        {
            std::memmove(row(y), row(y - dy), bytes);
        }
    }
    else
    {
        for (int y = destination.top(); y <= destination.bottom(); ++y)
        {
            std::memmove(row(y), row(y - dy), bytes);
        }
    }
}

} // namespace

QRegion BandRowsChangedByShift(int paneHeight, const QRect& area, int dy)
{
    std::vector<QRgb> rowColours(static_cast<size_t>(std::max(paneHeight, 0)), 0);
    for (const BackgroundBand& band : ComputeBackgroundBands(paneHeight))
    {
        for (int y = std::max(band.top, 0); y < std::min(band.bottom, paneHeight); ++y)
        {
            rowColours[static_cast<size_t>(y)] = qRgb(band.red, band.green, band.blue);
        }
    }
    QRegion stale;
    const int top = std::max(area.top(), 0);
    const int bottom = std::min(area.bottom(), paneHeight - 1);
    for (int y = top; y <= bottom; ++y)
    {
        const int from = y - dy;
        if (from >= 0 && from < paneHeight &&
            rowColours[static_cast<size_t>(y)] != rowColours[static_cast<size_t>(from)])
        {
            stale += QRect(area.left(), y, area.width(), 1);
        }
    }
    return stale;
}

QImage DecodeCharacterPicture(const std::vector<uint8_t>& file)
{
    const QImage raw = DecodeFile(file);
    if (raw.isNull())
    {
        return {};
    }
    // Over white, so that the AND leaves the background wherever the picture is not figure.
    const QImage argb = raw.convertToFormat(QImage::Format_ARGB32);
    QImage picture = argb.isNull() ? QImage() : NewImage(argb.size());
    if (picture.isNull())
    {
        return {};
    }
    for (int y = 0; y < argb.height(); ++y)
    {
        const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < argb.width(); ++x)
        {
            const int a = qAlpha(in[x]);
            const auto over = [a](int c) { return (c * a + 255 * (255 - a) + 127) / 255; };
            out[x] = qRgb(over(qRed(in[x])), over(qGreen(in[x])), over(qBlue(in[x])));
        }
    }
    return picture;
}

QImage DecodeCharacterMask(const std::vector<uint8_t>& maskFile,
                           const std::vector<uint8_t>& pictureFile)
{
    const QImage mask = DecodeFile(maskFile);
    if (!mask.isNull())
    {
        return ThresholdMask(mask, true);
    }
    const QImage picture = DecodeFile(pictureFile);
    if (picture.isNull())
    {
        return {};
    }
    if (picture.hasAlphaChannel())
    {
        return ThresholdMask(picture, false);
    }
    QImage whole = NewMask(picture.size());
    if (!whole.isNull())
    {
        whole.fill(Qt::white);
    }
    return whole;
}

QImage ComposeCharacterFrame(const QImage& picture, const QImage& mask,
                             const CharacterPlacement& place, int width, int height)
{
    QImage frame = NewImage(QSize(width, height));
    if (!frame.isNull())
    {
        CharacterScaleTables tables;
        ComposeCharacterFrameInto(frame, picture, mask, place, tables);
    }
    return frame;
}

void ComposeCharacterFrameInto(QImage& frame, const QImage& picture, const QImage& mask,
                               const CharacterPlacement& place, CharacterScaleTables& tables)
{
    ComposeCharacterRows(frame, picture, mask, place, tables, 0, frame.height());
}

void ComposeCharacterRows(QImage& frame, const QImage& picture, const QImage& mask,
                          const CharacterPlacement& place, CharacterScaleTables& tables,
                          int firstRow, int endRow)
{
    const int width = frame.width();
    const int height = frame.height();
    const int rowsFrom = std::max(firstRow, 0);
    const int rowsTo = std::min(endRow, height);
    for (const BackgroundBand& band : ComputeBackgroundBands(height))
    {
        const QRgb colour = qRgb(band.red, band.green, band.blue);
        const int top = std::max(band.top, rowsFrom);
        const int bottom = std::min(band.bottom, rowsTo);
        if (top >= bottom)
        {
            continue;
        }
        // One row filled, the rest of the band copied from it: copying is many times faster.
        auto* first = reinterpret_cast<QRgb*>(frame.scanLine(top));
        std::fill(first, first + width, colour);
        for (int y = top + 1; y < bottom; ++y)
        {
            std::memcpy(frame.scanLine(y), first, static_cast<size_t>(width) * sizeof(QRgb));
        }
    }
    if (picture.isNull() || mask.isNull() || place.width <= 0 || place.height <= 0)
    {
        return;
    }
    NearestSources(tables.pictureColumns, place.width, picture.width());
    NearestSources(tables.pictureRows, place.height, picture.height());
    NearestSources(tables.maskColumns, place.width, mask.width());
    NearestSources(tables.maskRows, place.height, mask.height());
    const int left = std::max(place.x, 0);
    const int right = std::min(place.x + place.width, width);
    const int top = std::max(place.y, rowsFrom);
    const int bottom = std::min(place.y + place.height, rowsTo);
    if (right <= left || bottom <= top)
    {
        return;
    }
    const ScaledCharacter* scaled = ScaledFor(tables, picture, mask, place);
    if (scaled == nullptr)
    {
        return; // the bands alone
    }
    for (int y = top; y < bottom; ++y)
    {
        const auto* colours =
            reinterpret_cast<const QRgb*>(scaled->colours.constScanLine(y - place.y)) +
            (left - place.x);
        const auto* figure =
            reinterpret_cast<const QRgb*>(scaled->figure.constScanLine(y - place.y)) +
            (left - place.x);
        QRgb* out = reinterpret_cast<QRgb*>(frame.scanLine(y)) + left;
        CombineRow(out, figure, colours, right - left);
    }
}

void CharacterPane::Load(AppState& state, const std::filesystem::path& workDir)
{
    Load(state, workDir, workDir);
}

void CharacterPane::Load(AppState& state, const std::filesystem::path& workDir,
                         const std::filesystem::path& rebuiltDir)
{
    LoadAnimationScript(state, workDir);
    LoadCharacterPictures(state, workDir, rebuiltDir);
    if (const int lost = SetPictures(state.characterPictures); lost > 0)
    {
        ReportFormatted(*state.reporter, kPicturesLostText, {std::to_string(lost)},
                        kCharacterCaption, MessageKind::Warning);
    }
}

int CharacterPane::SetPictures(const CharacterPictures& pictures)
{
    int lost = 0;
    for (size_t i = 0; i < pictures_.size(); ++i)
    {
        pictures_[i] = DecodeCharacterPicture(pictures.pictureFiles[i]);
        masks_[i] = pictures_[i].isNull()
                        ? QImage()
                        : DecodeCharacterMask(pictures.maskFiles[i], pictures.pictureFiles[i]);
        // A picture without the mask it needs is not drawn either.
        if (pictures_[i].isNull() != pictures.pictureFiles[i].empty() ||
            pictures_[i].isNull() != masks_[i].isNull())
        {
            pictures_[i] = QImage();
            masks_[i] = QImage();
            ++lost;
        }
    }
    framePicture_ = -1; // the same slot may hold another picture now
    return lost;
}

bool CharacterPane::Paint(QPainter& painter, int width, int height, AppState& state)
{
    Advance(width, height, state);
    return PaintLast(painter, width, height, state);
}

bool CharacterPane::Advance(int width, int height, AppState& state)
{
    return Advance(width, height, state, LiveFacts(state));
}

bool CharacterPane::Advance(int width, int height, AppState& state, const HeardFacts& shown)
{
    chosen_ = ChooseCharacterPicture(state, shown);
    change_ = {};
    return Compose(chosen_, width, height, state, shown.behaviourState);
}

bool CharacterPane::PaintLast(QPainter& painter, int width, int height, const AppState& state)
{
    return PaintLast(painter, width, height, state, LiveFacts(state));
}

bool CharacterPane::PaintLast(QPainter& painter, int width, int height, const AppState& state,
                              const HeardFacts& shown)
{
    Compose(chosen_, width, height, state, shown.behaviourState);
    if (!drawable_)
    {
        return false;
    }
    painter.drawImage(0, 0, lastFrame_);
    return true;
}

bool CharacterPane::Compose(int index, int width, int height, const AppState& state,
                            int32_t behaviour)
{
    const bool wasDrawable = drawable_;
    if (width <= 0 || height <= 0)
    {
        drawable_ = false;
        return wasDrawable;
    }
    const QSize size(width, height);
    const QImage& picture = pictures_[static_cast<size_t>(index)];
    if (picture.isNull())
    {
        // Keep what the pane showed; after a resize, the bands alone.
        if (lastFrame_.isNull())
        {
            drawable_ = false;
            return wasDrawable;
        }
        drawable_ = true;
        if (lastFrame_.size() == size)
        {
            return !wasDrawable;
        }
        lastFrame_ = ComposeCharacterFrame({}, {}, {}, width, height);
        framePicture_ = -1;
        return true;
    }
    CharacterPlacement place;
    if (!PlaceCharacterPicture(behaviour, state.character.tickCounter,
                               {picture.width(), picture.height()}, {width, height}, place))
    {
        drawable_ = false;
        return wasDrawable;
    }
    drawable_ = true;
    if (wasDrawable && index == framePicture_ && lastFrame_.size() == size &&
        place.x == framePlace_.x && place.y == framePlace_.y && place.width == framePlace_.width &&
        place.height == framePlace_.height)
    {
        return false;
    }
    const QImage& mask = masks_[static_cast<size_t>(index)];
    // Only her bounce moved her: the frame is moved in place and what moving gets wrong (the
    // rows it uncovered, the rows where the bands behind her change) composed again.
    if (wasDrawable && index == framePicture_ && lastFrame_.size() == size &&
        lastFrame_.isDetached() && place.x == framePlace_.x && place.width == framePlace_.width &&
        place.height == framePlace_.height)
    {
        const QRect before(framePlace_.x, framePlace_.y, framePlace_.width, framePlace_.height);
        const QRect now(place.x, place.y, place.width, place.height);
        change_.shifted = true;
        change_.dy = place.y - framePlace_.y;
        change_.area = before.united(now).intersected(QRect(QPoint(), size));
        change_.stale = BandRowsChangedByShift(height, change_.area, change_.dy);
        const QRect moved = change_.area.translated(0, change_.dy).intersected(change_.area);
        MoveRows(lastFrame_, moved, change_.dy);
        for (const QRect& rows : change_.stale + (QRegion(change_.area) - moved))
        {
            ComposeCharacterRows(lastFrame_, picture, mask, place, tables_, rows.top(),
                                 rows.bottom() + 1);
        }
        framePlace_ = place;
        return true;
    }
    change_ = {};
    // Composed in place unless the pane was resized or somebody still holds the last frame.
    if (lastFrame_.size() != size || !lastFrame_.isDetached())
    {
        lastFrame_ = NewImage(size);
    }
    if (lastFrame_.isNull())
    {
        drawable_ = false;
        framePicture_ = -1;
        return wasDrawable;
    }
    ComposeCharacterFrameInto(lastFrame_, picture, mask, place, tables_);
    framePicture_ = index;
    framePlace_ = place;
    return true;
}

int CharacterPane::DecodedPictureCount() const
{
    return static_cast<int>(std::count_if(pictures_.begin(), pictures_.end(),
                                          [](const QImage& image) { return !image.isNull(); }));
}

} // namespace yumo
