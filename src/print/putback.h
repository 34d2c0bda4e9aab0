#pragma once

#include <QString>
#include <cstdint>
#include <vector>

class TPDLLFunction;
class TPRaster;

// Stored values that a pattern changes for its print and leaves as it found them. When the
// print fails part-way they are written back with EEPROM byte writes, which a printer takes
// in every state in which it answers (an error state refuses the factory commands that the
// pattern changes them with).
class TPPutBack
{
public:
    enum class Outcome {
        None,          // nothing to put back (the print did not fail in between)
        PutBack,       // every value is as it was before the print
        MayHaveChanged // the printer did not take them back
    };
    struct Value {
        uint8_t address;
        uint8_t byte;
        QString name; // as the item names it
    };

    void Clear();
    void Keep(uint8_t address, uint8_t byte, const QString &name);
    // Drops what the failed print left unsent in the stream (sent at the head of the next job,
    // its pattern commands would change the values again), then writes the kept values in
    // order and stops at the first failure, so that a printer that no longer answers costs
    // one link time-out, not one for each value. After a print that failed on the link itself
    // (failure) nothing is written: the printer did not answer the print and would cost a
    // further time-out.
    uint16_t Run(TPDLLFunction &dll, TPRaster &raster, uint16_t failure);
    void SetOutcome(Outcome outcome) { outcome_ = outcome; }

    Outcome LastOutcome() const { return outcome_; }
    const std::vector<Value> &Values() const { return values_; }

private:
    std::vector<Value> values_;
    Outcome outcome_ = Outcome::None;
};
