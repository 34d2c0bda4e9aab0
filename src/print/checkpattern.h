#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>

struct TPProgram;
class TPWindowLink;

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
    // The window that repaints between CD-R send attempts and asks for paper.
    void SetWindowLink(TPWindowLink *window);

    // Each gives the first result code that is not 1, else 1.
    uint16_t A4NormalPrint();
    // SendPaperSettings (5), then the photo quality print.
    uint16_t A4PhotoQualityPrint();
    // SendPaperSettings (6), then the photo paper print.
    uint16_t A4PhotoPaperPrint();
    uint16_t NozzleCheckPrint();
    uint16_t HeadCheckPrint();
    // Sends the CD-R print file unchanged; 0x2001 when it cannot be opened, 0xC000 when the
    // read buffer cannot be had.
    uint16_t CdrFilePrint();
    // Writes 0 to the eight PW sensor bytes, commits, and prints the PW sensor pattern.
    uint16_t PwSensorPattern();

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
    uint16_t SendCdrChunk(const uint8_t *bytes, int count);
    uint16_t WaitReady();

    TPProgram &program_;
    TPWindowLink *window_ = nullptr;
    QStringList cdrFolders_;
    QString cdrFilePath_;
};
