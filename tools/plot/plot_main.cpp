// yumo-plot EVENTS.tsv OUT.png: a night's events file drawn as the window's 昨夜の様子 draws
// it. Needs no display; yumo-tool runs it for `plot` and `night --plot`.

#include <cstdio>
#include <string>
#include <vector>

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>

#include "common/atomic_file.h"
#include "common/utf16.h"
#include "gui/plot/night_plot.h"
#include "night/night_record.h"

int main(int argc, char** argv)
{
    if (argc != 3)
    {
        std::fprintf(stderr, "usage: yumo-plot EVENTS.tsv OUT.png\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    yumo::NightRecord record;
    std::string why;
    if (!yumo::ReadNightRecord(argv[1], yumo::NightPlotColumns(), record, why))
    {
        std::fprintf(stderr, "refused: %s: %s\n", yumo::EscapeControls(argv[1]).c_str(),
                     why.c_str());
        return 1;
    }
    if (record.leftOut > 0)
    {
        std::fprintf(stderr,
                     "note: %zu lines lie beyond a night's length after the first line and are "
                     "not drawn\n",
                     record.leftOut);
    }
    const QImage image = yumo::DrawNightPlot(record);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG") ||
        !yumo::WriteFileAtomically(argv[2], std::vector<uint8_t>(png.begin(), png.end())))
    {
        std::fprintf(stderr, "refused: cannot write %s\n", yumo::EscapeControls(argv[2]).c_str());
        return 1;
    }
    return 0;
}
