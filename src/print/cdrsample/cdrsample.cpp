// Writes the CD-R sample print job "CD-R2.prn": a label for a disc on the CD-R tray with its
// title and coloured rings between the hub and the rim, printed through the program's own
// print stream into a file.
#include "link/dllfunction.h"
#include "link/program.h"
#include "print/rasterlines.h"

#include <cmath>
#include <cstdio>
#include <dlfcn.h>

using namespace checkprint;

namespace
{
constexpr double DotsPerInch = 360.0;  // horizontal dots
constexpr double LinesPerInch = 120.0; // raster lines, one nozzle apart
constexpr double MmPerInch = 25.4;
constexpr double DiscMm = 118.0; // printable disc diameter
constexpr double HubMm = 43.0;   // printable from this diameter outwards
constexpr double RingMm = 6.0;   // width of one coloured ring
constexpr int BandLines = 90;
constexpr uint8_t Unit360 = 10;
constexpr uint8_t Unit120 = 30;
constexpr uint8_t Forward = 1;
constexpr uint8_t Vsd1 = 16;
constexpr uint8_t FullDots = 0xFF;

const Ink RingInks[] = {Cyan, Magenta, Yellow, LightCyan, LightMagenta, Black};

int WidthBytes()
{
    return static_cast<int>(std::ceil(DiscMm / MmPerInch * DotsPerInch / 4.0));
}
int HeightLines()
{
    return static_cast<int>(std::ceil(DiscMm / MmPerInch * LinesPerInch));
}

// The ink of the ring a point lies in (NoInk outside the printable ring), a thin black line
// at the rim and at the hub.
Ink InkAt(int line, int dot)
{
    const double radius = DiscMm / 2.0;
    const double x = (dot + 0.5) / DotsPerInch * MmPerInch - radius;
    const double y = (line + 0.5) / LinesPerInch * MmPerInch - radius;
    const double r = std::sqrt(x * x + y * y);
    const double hub = HubMm / 2.0;
    if (r > radius || r < hub)
        return NoInk;
    if (r > radius - 0.6 || r < hub + 0.6)
        return Black;
    const int ring = static_cast<int>((r - hub) / RingMm);
    return RingInks[ring % 5];
}

Line RingLine(int line, Ink ink)
{
    Line bytes = Line::Empty();
    const int width = WidthBytes();
    for (int column = 0; column < width; ++column) {
        int inked = 0;
        for (int dot = 0; dot < 4; ++dot)
            inked += InkAt(line, column * 4 + dot) == ink ? 1 : 0;
        bytes.Add(1, inked == 4 ? FullDots : inked > 0 ? 0xAA : 0x00);
    }
    return bytes;
}

uint16_t WriteDisc(TPRaster &raster)
{
    const int width = WidthBytes();
    const int height = HeightLines();
    TP_STEP(raster.Reset());
    TP_STEP(AppendText(raster, "CD-R print check (sheet CD-R dummy)\r\n"));
    TP_STEP(raster.NewLines(1));
    TP_STEP(raster.EnterGraphicsMode());
    TP_STEP(raster.SetUnit(Unit360));
    TP_STEP(raster.SetPrintDirection(Forward));
    TP_STEP(raster.SetDotSize(Vsd1));
    TP_STEP(raster.SetColorMode(0));
    for (int top = 0; top < height; top += BandLines) {
        for (const Ink ink : RingInks) {
            TP_STEP(BeginBlock(raster, ink, static_cast<uint16_t>(width), BandLines));
            for (int line = top; line < top + BandLines; ++line)
                TP_STEP(RingLine(line, ink).Write(raster));
            TP_STEP(raster.Feed(0));
        }
        TP_STEP(raster.SetUnit(Unit120));
        TP_STEP(raster.Feed(BandLines));
        TP_STEP(raster.SetUnit(Unit360));
    }
    TP_STEP(raster.Reset());
    TP_STEP(raster.NewLines(1));
    TP_STEP(AppendText(raster, "Rings: C M Y LC LM, black at the rim and the hub\r\n"));
    return raster.EndPage();
}
} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: novari-cdr-sample OUTPUT\n");
        return 2;
    }
    const QString sinkFolder =
        TPDLLFunction::ExecutableFolder() + QStringLiteral("/cdrsample-sink");
    TPProgram program(sinkFolder);
    if (!program.dll.IsLoaded()) {
        std::fprintf(stderr, "novari-cdr-sample: no file sink in %s\n", qPrintable(sinkFolder));
        return 1;
    }
    // The same library the program loaded: choose the output file.
    void *sink =
        dlopen(qPrintable(sinkFolder + QStringLiteral("/libchanlink.so")), RTLD_NOW | RTLD_NOLOAD);
    auto open =
        sink ? reinterpret_cast<int (*)(const char *)>(dlsym(sink, "FileSinkOpen")) : nullptr;
    auto close = sink ? reinterpret_cast<int (*)()>(dlsym(sink, "FileSinkClose")) : nullptr;
    if (!open || !close || !open(argv[1])) {
        std::fprintf(stderr, "novari-cdr-sample: cannot write %s\n", argv[1]);
        if (sink)
            dlclose(sink);
        return 1;
    }
    const uint16_t written = WriteDisc(program.raster);
    const bool closed = close();
    dlclose(sink);
    if (written != TPResult::Ok || !closed) {
        std::fprintf(stderr, "novari-cdr-sample: writing %s failed (0x%04X)\n", argv[1], written);
        return 1;
    }
    return 0;
}
