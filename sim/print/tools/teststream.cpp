#include "teststream.h"

#include <string>
#include <vector>

namespace sim
{

namespace
{

class Writer
{
public:
    Writer &Bytes(std::initializer_list<int> bytes)
    {
        for (int b : bytes) {
            data.push_back(static_cast<uint8_t>(b));
        }
        return *this;
    }
    Writer &Text(const std::string &text)
    {
        data.insert(data.end(), text.begin(), text.end());
        return *this;
    }
    Writer &Line(const std::string &text) { return Text(text).Bytes({0x00, 0x0D, 0x0A}); }
    Writer &Reset() { return Bytes({0x1B, 0x40}); }
    Writer &Graphics(int unit, int direction, int dotSize, int colorMode)
    {
        Reset();
        Bytes({0x1B, 0x28, 0x47, 0x01, 0x00, 0x01});
        Unit(unit);
        Bytes({0x1B, 0x55, direction});
        Bytes({0x1B, 0x28, 0x65, 0x02, 0x00, 0x00, dotSize});
        return Bytes({0x1B, 0x28, 0x4B, 0x02, 0x00, 0x00, colorMode});
    }
    Writer &Unit(int u) { return Bytes({0x1B, 0x28, 0x55, 0x01, 0x00, u}); }
    Writer &Block(int color, int bytesPerLine, int lines)
    {
        Bytes({0x1B, 0x28, 0x44, 0x04, 0x00, 104, 1, 3, 1});
        return Bytes({0x1B, 0x69, color, 1, 2, bytesPerLine & 0xFF, bytesPerLine >> 8, lines & 0xFF,
                      lines >> 8});
    }
    Writer &Run(int count, int value)
    {
        while (count > 120) {
            Bytes({257 - 120, value});
            count -= 120;
        }
        return Bytes({count == 1 ? 0 : 257 - count, value});
    }
    Writer &Feed(int n) { return Bytes({0x1B, 0x28, 0x76, 0x02, 0x00, n & 0xFF, n >> 8, 0x0D}); }
    Writer &Position(int x) { return Bytes({0x1B, 0x28, 0x24, 0x04, 0x00, x, 0, 0, 0}); }
    Writer &Absolute(int p) { return Bytes({0x1B, 0x24, p & 0xFF, p >> 8}); }
    Writer &Direction(int n) { return Bytes({0x1B, 0x55, n}); }
    Writer &DotSize(int d) { return Bytes({0x1B, 0x28, 0x65, 0x02, 0x00, 0x00, d}); }
    Writer &A4()
    {
        Bytes({0x1B, 0x28, 0x53, 0x08, 0x00, 0xA0, 0x0B, 0x00, 0x00, 0x71, 0x10, 0x00, 0x00});
        return Bytes({0x1B, 0x28, 0x63, 0x04, 0x00, 42, 0, 0x47, 0x10});
    }

    std::vector<uint8_t> data;
};

const int kColors[6] = {0, 2, 0x12, 1, 0x11, 4};
// The ink names, each above its patch (patches are 4/3 inch apart, characters 1/10 inch).
std::string ColorNames()
{
    static const char *const kNames[6] = {"BK", "C", "LC", "M", "LM", "Y"};
    std::string line(72, ' ');
    for (int c = 0; c < 6; ++c) {
        line.replace(static_cast<size_t>((40 * c + 1) / 3), std::string(kNames[c]).size(),
                     kNames[c]);
    }
    return line;
}

// Six patches in one band: each ink at byte columns 120 c + 4 .. + 100, its lines stepping
// through dot values 1, 2 and 3 (30 lines each), in three passes 1/360 inch apart.
void InkPatches(Writer &w)
{
    w.Graphics(10, 1, 16, 1);
    for (int pass = 0; pass < 3; ++pass) {
        for (int c = 0; c < 6; ++c) {
            w.Position(0).Block(kColors[c], 720, 90);
            for (int line = 0; line < 90; ++line) {
                const int value = line < 30 ? 0x55 : line < 60 ? 0xAA : 0xFF;
                w.Run(120 * c + 4, 0).Run(96, value).Run(720 - 120 * c - 100, 0);
            }
        }
        w.Unit(10).Feed(1);
    }
    w.Unit(30).Feed(89);
}

// Cyan + yellow, magenta + yellow, cyan + magenta, and light inks over each other.
void Overlaps(Writer &w)
{
    const int pairs[4][2] = {{2, 4}, {1, 4}, {2, 1}, {0x12, 0x11}};
    w.Graphics(10, 0, 17, 1);
    for (int pass = 0; pass < 3; ++pass) {
        for (int p = 0; p < 4; ++p) {
            for (int i = 0; i < 2; ++i) {
                w.Position(0).Block(pairs[p][i], 720, 60);
                for (int line = 0; line < 60; ++line) {
                    const int left = 160 * p + 4 + 30 * i;
                    w.Run(left, 0).Run(100, 0xFF).Run(720 - left - 100, 0);
                }
            }
        }
        w.Unit(10).Feed(1);
    }
    w.Unit(30).Feed(70);
}

// Position commands: the same tick mark placed in five units.
void Positions(Writer &w)
{
    w.Graphics(10, 1, 16, 0);
    const auto mark = [&w]() {
        w.Block(0, 2, 40);
        for (int line = 0; line < 40; ++line) {
            w.Run(1, 0xFF).Run(1, 0x00);
        }
    };
    for (int i = 0; i < 5; ++i) {
        w.Unit(10).Position(60 * i); // 1/360 inch
        mark();
        w.Bytes({0x1B, 0x28, 0x55, 0x05, 0x00, 1, 1, 1, 0x40, 0x0B}); // 1/2880 inch
        w.Position(0).Bytes({0x1B, 0x24, (480 * i + 2400) & 0xFF, (480 * i + 2400) >> 8});
        mark();
        w.Unit(5).Position(0).Bytes({0x1B, 0x24, (120 * i + 1400) & 0xFF, (120 * i + 1400) >> 8});
        w.Bytes({0x1B, 0x5C, 0x32, 0x00}); // 50/720 inch to the right
        mark();
    }
    w.Unit(10).Feed(0).Unit(30).Feed(50);
}

// Black patches at dot values 1, 2 and 3 (20 lines each) under the four dot-size modes,
// VSD1, VSD2, VSD3 and ECO from left to right, 4/3 inch apart, in three passes.
void DotSizes(Writer &w)
{
    static const int kModes[4] = {16, 17, 18, 19};
    w.Graphics(10, 1, 16, 1);
    for (int pass = 0; pass < 3; ++pass) {
        for (int m = 0; m < 4; ++m) {
            w.DotSize(kModes[m]).Absolute(480 * m + 16).Block(0, 96, 60);
            for (int line = 0; line < 60; ++line) {
                w.Run(96, line < 20 ? 0x55 : line < 40 ? 0xAA : 0xFF);
            }
        }
        w.Unit(10).Feed(1);
    }
    w.Unit(30).Feed(65);
}

// Bi-D bars: two bars printed forwards, three on the carriage's way back between and beside
// them. Where the return prints land where the forward prints do, each group closes into one
// solid bar 20 bytes wide; a misaligned mechanism leaves gaps or overlaps. Black, then light
// cyan, light magenta and yellow over each other.
void ReturnPrints(Writer &w)
{
    static const int kGroupColumns[6] = {4, 124, 244, 364, 484, 604};
    const auto band = [&w](int color, bool back) {
        w.Direction(back ? 3 : 1).Position(0).Block(color, 720, 40);
        for (int line = 0; line < 40; ++line) {
            int column = 0;
            for (int group : kGroupColumns) {
                w.Run(group - column, 0);
                for (int bar = 0; bar < 5; ++bar) {
                    w.Run(4, (bar % 2 == 0) == back ? 0xAA : 0x00);
                }
                column = group + 20;
            }
            w.Run(720 - column, 0);
        }
    };
    const std::vector<std::vector<int>> groups = {{0}, {0x12, 0x11, 4}};
    for (const std::vector<int> &colors : groups) {
        w.Graphics(10, 1, 17, colors.size() == 1 ? 1 : 0);
        for (int pass = 0; pass < 3; ++pass) {
            for (const bool back : {false, true}) {
                for (const int color : colors) {
                    band(color, back);
                }
            }
            w.Unit(10).Feed(1);
        }
        w.Unit(30).Feed(45);
    }
}

void PageStart(Writer &w, const std::string &title)
{
    w.Reset().A4().Bytes({0x1B, 0x78, 0x30});
    w.Line(title).Bytes({0x0D, 0x0A});
}

} // namespace

std::vector<uint8_t> TestStream::TestPage()
{
    Writer w;
    PageStart(w, "Virtual printer test page");
    w.Reset().Line("Inks at dot values 1, 2, 3:").Line(ColorNames());
    InkPatches(w);
    w.Reset().Line("Overlaps: C+Y  M+Y  C+M  LC+LM");
    Overlaps(w);
    w.Reset().Line("Marks placed in 1/360, 1/2880 and 1/720 inch units:");
    Positions(w);
    w.Reset().Line("Dot sizes VSD1, VSD2, VSD3, ECO at dot values 1, 2, 3:");
    DotSizes(w);
    w.Reset().Line("Forward and return prints (solid bars when aligned):");
    ReturnPrints(w);
    w.Reset().Line("Nozzle check:");
    w.Bytes({0x1B, 0x28, 0x52, 0x08, 0x00, 0x00, 'R', 'E', 'M', 'O', 'T', 'E', '1'});
    w.Text("NC").Bytes({0x02, 0x00, 0x00, 0x00});
    w.Bytes({0x1B, 0x00, 0x00, 0x00});
    w.Bytes({0x0D, 0x0A, 0x0D, 0x0A}).Line("End of test page").Bytes({0x0C});
    return w.data;
}

std::vector<uint8_t> TestStream::FaultPage()
{
    Writer w;
    w.data = TestPage();
    PageStart(w, "Faults, one of each kind:");
    w.Graphics(10, 1, 16, 1);
    w.Bytes({0x1B, 'Z'});                                      // unknown command
    w.Bytes({0x1B, 0x28, 0x65, 0x03, 0x00, 0x00, 0x10, 0x00}); // wrong parameter count
    w.Bytes({0x1B, 0x28, 0x65, 0x02, 0x00, 0x00, 0x20});       // dot size out of range
    w.Block(3, 1, 1).Run(1, 0xFF);                             // colour 3: header out of range
    w.Block(0, 129, 1).Bytes({0x80, 0xFF});                    // record header 0x80
    w.Block(0, 10, 2).Run(10, 0x55).Run(9, 0x55);              // one byte short
    w.Unit(10).Feed(10);
    w.Block(0, 10, 2).Run(10, 0x55).Run(11, 0x55); // one byte long
    w.Unit(10).Feed(10);
    w.Position(200).Block(0, 720, 1).Run(720, 0xFF); // off the sheet
    w.Unit(10).Feed(10);
    w.Text("text in graphics mode");       // stray data
    w.Reset().Block(0, 1, 1).Run(1, 0xFF); // raster outside graphics mode
    w.Bytes({0x0C});
    return w.data;
}

std::vector<uint8_t> TestStream::FullPage(bool literal)
{
    Writer w;
    w.Reset().A4();
    w.Graphics(10, 0, 16, 1);
    uint32_t seed = 12345;
    for (int band = 0; band < 15; ++band) {
        for (int pass = 0; pass < 3; ++pass) {
            for (int c = 0; c < 6; ++c) {
                w.Position(0).Block(kColors[c], 720, 90);
                for (int line = 0; line < 90; ++line) {
                    if (!literal) {
                        w.Run(240, 0x55 * (1 + (line + c) % 3)).Run(480, 0);
                        continue;
                    }
                    for (int chunk = 0; chunk < 720; chunk += 120) {
                        w.Bytes({119});
                        for (int i = 0; i < 120; ++i) {
                            seed = seed * 1103515245u + 12345u;
                            w.data.push_back(static_cast<uint8_t>(seed >> 24));
                        }
                    }
                }
            }
            w.Unit(10).Feed(1);
        }
        w.Unit(30).Feed(89);
    }
    w.Bytes({0x0C});
    return w.data;
}

} // namespace sim
