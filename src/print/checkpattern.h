#pragma once

#include "printfilecheck.h"

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <string>

class QFile;
struct TPProgram;

// The check prints that put several patterns on one sheet to judge the printer after service:
// the A4 normal paper print, the photo quality and photo paper prints, the CD-R print from a
// ready-made print file, the nozzle check, the head check and the PW sensor pattern. Print
// data goes through the program's print stream; factory commands are sent at once by
// themselves, so bytes appended before one reach the printer only at the next Flush.
class TPCheckPattern
{
public:
    static constexpr const char *CdrFileName = "CD-R2.prn";
    static constexpr int CdrChunk = 1000;      // bytes read and sent at a time
    static constexpr int CdrBufferSize = 1024; // the read buffer
    // Where the installed program keeps its sample files, from the executable's folder.
    static constexpr const char *InstalledDataFolder = "../../share/novari-adjust";

    explicit TPCheckPattern(TPProgram &program);

    // Each gives the first result code that is not 1, else 1.
    uint16_t A4NormalPrint();
    // SendPaperSettings (5), then the photo quality print.
    uint16_t A4PhotoQualityPrint();
    // SendPaperSettings (6), then the photo paper print.
    uint16_t A4PhotoPaperPrint();
    uint16_t NozzleCheckPrint();
    uint16_t HeadCheckPrint();
    // Why the last CD-R print gave 0x2001.
    enum class CdrProblem {
        None,
        NotFound,    // no folder holds the file
        Unreadable,  // the first file found cannot be read (the later folders are not tried)
        NotPrintData // the file holds more than print data (CdrVerdict tells what)
    };
    // Sends the CD-R print file unchanged, once the whole file has been read through and
    // found to hold print data only; 0x2001 when it cannot be opened or holds anything else
    // (nothing is sent then), 0xC000 when the read buffer cannot be had.
    uint16_t CdrFilePrint();
    CdrProblem LastCdrProblem() const { return cdrProblem_; }
    TPPrintFileCheck::Verdict CdrVerdict() const { return cdrVerdict_; }

    // The PW sensor values in the units of the pattern (as Read shows them), Right, Left,
    // Top, Bottom.
    using PwValues = std::array<int, 4>;
    // Reads the stored PW sensor values, writes 0 to the eight PW sensor bytes, commits, and
    // prints the PW sensor pattern.
    uint16_t PwSensorPattern();
    // The values the last PW sensor pattern read before it began clearing them; none when it
    // failed before that.
    std::optional<PwValues> ClearedPwValues() const { return clearedPw_; }

    // The folders the CD-R file is looked for in, in order: the current folder, the
    // installed data folder beside the program, the program's own folder (the build tree).
    QStringList CdrSearchFolders() const;
    void SetCdrSearchFolders(const QStringList &folders); // tests
    // The file found by the last CdrFilePrint (empty when none).
    QString CdrFilePath() const { return cdrFilePath_; }

    // The row labels of the PW sensor pattern: value -8 + row, right-aligned in three
    // characters, 70 spaces, the value again.
    static std::string PwRowLabel(int row);

private:
    struct PwCorrections {
        int top = 0;
        int left = 0;
        int right = 0;
        int bottom = 0;
    };
    uint16_t ReadCorrections(PwCorrections *corrections);
    uint16_t A4PrintableArea();
    uint16_t PhotoPage(bool withFlush);
    uint16_t PhotoBidBlocks(const char *const *labels, int count);
    uint16_t SideDots(bool rightSide, int offset);
    uint16_t PwEdgeBand(int firstRow);
    uint16_t PwScale();
    uint16_t OpenCdrFile(QFile *file);
    bool CdrFileIsPrintData(QFile *file, uint8_t *buffer);
    uint16_t SendCdrFile(QFile *file, uint8_t *buffer);
    uint16_t ReadPwValues(PwValues *values);
    uint16_t WaitReady();

    TPProgram &program_;
    QStringList cdrFolders_;
    QString cdrFilePath_;
    CdrProblem cdrProblem_ = CdrProblem::None;
    TPPrintFileCheck::Verdict cdrVerdict_ = TPPrintFileCheck::Verdict::PrintData;
    std::optional<PwValues> clearedPw_;
};
