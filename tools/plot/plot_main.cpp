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
#include "gui/plot/night_plot.h"
#include "night/night_events.h"

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
    std::vector<yumo::NightEvent> events;
    std::string why;
    if (!yumo::ReadNightEventsFile(argv[1], events, why))
    {
        std::fprintf(stderr, "refused: %s: %s\n", argv[1], why.c_str());
        return 1;
    }
    const QImage image = yumo::DrawNightPlot(events);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG") ||
        !yumo::WriteFileAtomically(argv[2], std::vector<uint8_t>(png.begin(), png.end())))
    {
        std::fprintf(stderr, "refused: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
