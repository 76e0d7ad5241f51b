// yumo-character-art: draws the default companion and writes what the program reads from its
// img/ folder: the pictures pNN.png (white outside the figure), their masks mNN.png (pure black
// and white), the lists Image.txt and Mask.txt (paths relative to the data folder, "img/...")
// and the animation script Anime.txt.
// Usage: yumo-character-art IMG_DIR

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <QImage>

#include "tools/character_art/character_set.h"
#include "tools/character_art/draw_character.h"

namespace
{

// Coverage at or above this is figure. The thin anti-aliased rim below it is left out of the
// mask: there the picture's colour, blended with white, is ANDed with the pane's pink, which
// darkens the rim towards the outline much as drawing over pink would.
constexpr int kMaskAlpha = 110;

QImage FlattenOntoWhite(const QImage& drawn)
{
    QImage picture(drawn.size(), QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int y = 0; y < drawn.height(); ++y)
    {
        for (int x = 0; x < drawn.width(); ++x)
        {
            const QRgb c = drawn.pixel(x, y); // premultiplied colour read back unpremultiplied
            const int a = qAlpha(c);
            const auto over = [a](int v) { return (v * a + 255 * (255 - a) + 127) / 255; };
            picture.setPixel(x, y, qRgb(over(qRed(c)), over(qGreen(c)), over(qBlue(c))));
        }
    }
    return picture;
}

QImage MaskOf(const QImage& drawn)
{
    QImage mask(drawn.size(), QImage::Format_RGB32);
    for (int y = 0; y < drawn.height(); ++y)
    {
        for (int x = 0; x < drawn.width(); ++x)
        {
            mask.setPixel(x, y,
                          qAlpha(drawn.pixel(x, y)) >= kMaskAlpha ? 0xFFFFFFFFu : 0xFF000000u);
        }
    }
    return mask;
}

bool WriteText(const std::filesystem::path& path, const std::string& text)
{
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out.flush());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: yumo-character-art IMG_DIR\n");
        return 2;
    }
    const std::filesystem::path dir = argv[1];
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    std::string images;
    std::string masks;
    const std::vector<yumo::art::Pose> poses = yumo::art::MakeCharacterPoses();
    for (size_t i = 0; i < poses.size(); ++i)
    {
        char picture[32];
        char mask[32];
        std::snprintf(picture, sizeof picture, "p%02zu.png", i);
        std::snprintf(mask, sizeof mask, "m%02zu.png", i);
        const QImage drawn = yumo::art::DrawCharacter(poses[i]);
        if (!FlattenOntoWhite(drawn).save(QString::fromStdString((dir / picture).string()),
                                          "PNG") ||
            !MaskOf(drawn)
                 .convertToFormat(QImage::Format_Mono)
                 .save(QString::fromStdString((dir / mask).string()), "PNG"))
        {
            std::fprintf(stderr, "cannot write %s\n", (dir / picture).c_str());
            return 1;
        }
        images += std::string("img/") + picture + "\n";
        masks += std::string("img/") + mask + "\n";
    }
    if (!WriteText(dir / "Image.txt", images) || !WriteText(dir / "Mask.txt", masks) ||
        !WriteText(dir / "Anime.txt", yumo::art::MakeAnimationScript()))
    {
        std::fprintf(stderr, "cannot write the lists in %s\n", dir.c_str());
        return 1;
    }
    std::printf("%zu pictures in %s\n", poses.size(), dir.c_str());
    return 0;
}
