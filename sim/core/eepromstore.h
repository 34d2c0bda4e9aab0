#pragma once

// The printer's 256-byte EEPROM, kept in a file so that it survives restarts. Every change
// is written through at once (a temporary file of its own, synced, then renamed over the
// image and the folder synced), so neither a killed printer nor a power cut leaves a
// half-written image behind.
//
// The store may be used from several threads. A read never waits for the file: reads find the
// image as last stored, and a change becomes visible once its file is written, so that a read
// never finds a byte that a restart would lose. Changes are written one at a time.

#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <mutex>
#include <string>
#include <utility>

namespace sim
{

using EepromImage = std::array<uint8_t, 256>;

class EepromStore
{
public:
    // Kept in memory only (tests).
    explicit EepromStore(const EepromImage &image);
    // Kept in a file. Call Open before use.
    explicit EepromStore(std::string path);

    // Loads the file, or creates it from the factory image when there is none. Returns an
    // empty text on success, else why the file cannot be used (it is left untouched).
    // Temporary files of saves that never finished (a printer killed while it saved) are
    // removed first, once they are older than kStaleSeconds.
    std::string Open(const EepromImage &factoryImage);
    // A save's temporary file lives for moments; one this old was left by a killed printer.
    static constexpr int kStaleSeconds = 30;

    uint8_t Read(uint8_t address) const;
    // Stores the byte; returns false when the file could not be written (the byte keeps its
    // old value then, so that a read finds what a restart would).
    bool Write(uint8_t address, uint8_t value);
    // Stores several bytes with one write of the file; all or none.
    bool Write(std::initializer_list<std::pair<uint8_t, uint8_t>> bytes);
    // Changes the image as change says (it gets the image as last stored) with one write of
    // the file; all or none. A change that leaves the image as it was writes nothing.
    bool Change(const std::function<void(EepromImage &)> &change);
    EepromImage Bytes() const;
    // Writes the whole image to the file (no-op in memory mode).
    bool Save() const;
    const std::string &Path() const { return path_; }

private:
    bool SaveImage(const EepromImage &image) const;

    std::string path_;
    mutable std::mutex writing_;     // one change or save at a time; held while the file is written
    mutable std::mutex bytes_mutex_; // held only to copy the image in or out
    EepromImage bytes_{};
};

} // namespace sim
