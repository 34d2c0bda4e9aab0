// A channel library that writes every data byte to a file instead of a printer, and a port
// library that opens nothing: lets the print stream write a print job to disk. The file is
// chosen with FileSinkOpen before the first send.
#include "novari_link.h"

#include <cstdio>

namespace
{
std::FILE *sinkFile = nullptr;
} // namespace

extern "C" {
int FileSinkOpen(const char *path)
{
    if (sinkFile)
        std::fclose(sinkFile);
    sinkFile = std::fopen(path, "wb");
    return sinkFile != nullptr;
}

int FileSinkClose(void)
{
    const bool closed = sinkFile && std::fclose(sinkFile) == 0;
    sinkFile = nullptr;
    return closed;
}

#ifdef FILE_SINK_CHANNEL
uint16_t ChanSendData(const uint8_t *bytes, int32_t count, void *)
{
    if (!sinkFile)
        return NOVARI_CHANNEL_ERROR;
    if (count > 0 &&
        std::fwrite(bytes, 1, static_cast<size_t>(count), sinkFile) != static_cast<size_t>(count))
        return NOVARI_CHANNEL_ERROR;
    return NOVARI_OK;
}
int16_t ChanGetErrorCode(void)
{
    return 0;
}
#endif
}
