#pragma once

// Wires the printer core and the print engine together: the print data the link accepted goes
// to the engine, and what the engine finds in it (factory packets, remote-mode commands,
// finished pages) goes to the firmware. Neither side knows the other.

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "mechanics.h"
#include "printdatasink.h"
#include "printengine.h"

namespace sim
{

class Firmware;

class EngineBridge : public PrintDataSink, public FirmwareHooks
{
public:
    // The mechanics are the printer's own (kept by its owner for as long as the bridge).
    EngineBridge(Firmware &firmware, const Mechanics &mechanics, PrintOptions options);

    PrintEngine &Engine() { return engine_; }
    // Both are called on the thread that feeds the engine; set them before it starts.
    void SetPageWritingListener(std::function<void(bool)> listener)
    {
        pageWriting_ = std::move(listener);
    }
    // Shown a few times a second while a sheet is being printed on, and once blank after a page.
    void SetSheetListener(std::function<void(const SheetInProgress &)> listener)
    {
        sheetListener_ = std::move(listener);
    }
    // Whether anybody looks at the sheet in print (the tray is open): rendering it costs a pass
    // over the whole sheet, which a printer nobody watches does not pay. Any thread.
    void SetSheetWatched(bool watched) { sheetWatched_ = watched; }

    // PrintDataSink: the engine takes the bytes, and the mechanism the time they take on paper.
    void Feed(const uint8_t *bytes, size_t count) override;
    void EndJob() override;

    // FirmwareHooks
    std::string FactoryPacket(const std::vector<uint8_t> &packet) override;
    std::string RemoteCommand(const std::string &name,
                              const std::vector<uint8_t> &parameters) override;
    void PagePrinted(double seconds) override;
    void PageWriting(bool writing) override;
    // The Bi-D error of the mode, ink group and platen gap in force, less the value the
    // firmware holds for them now (the Bi-D pattern writes one before every pass).
    double ReturnPrintShiftInches(int dotSizeMode, int colorCode) override;
    // The head tilt less the committed head angular value; nothing for a printer without any
    // mechanical error, which prints to whole sheet dots as ever.
    std::optional<double> NozzleRowSlantInches() override;

    // The PW sensor's error at that edge less the stored correction; nothing for a printer
    // without errors, which prints edge blocks where the stream puts them.
    std::optional<double> EdgeBlockShiftInches(int side) override;

    // The first dot and top margin errors less the committed values at 0x59 and 0x57.
    double FirstDotShiftInches() override;
    double TopMarginShiftInches() override;

private:
    // A printer without mechanical errors (the default) prints every pattern aligned, whatever
    // values it stores: its stored values are taken to be the ones that correct it.
    bool Aligned() const { return mechanics_ == Mechanics{}; }
    // Hands the mechanism the print time of what the engine took since the last call.
    void PassPrintTime();
    void ShowSheet(bool now);

    Firmware &firmware_;
    const Mechanics &mechanics_;
    // The platen gap set the Bi-D corrections are taken from: that of the last Bi-D write or
    // platen gap move, whichever came last.
    Mechanics::Gap gapSet_ = Mechanics::kTypicalGap;
    PrintEngine engine_; // after firmware_: it calls back through this object
    double printSeconds_ = 0.0;
    std::function<void(bool)> pageWriting_;
    std::function<void(const SheetInProgress &)> sheetListener_;
    std::chrono::steady_clock::time_point sheetShown_{};
    std::atomic<bool> sheetWatched_{false};
};

} // namespace sim
