// libFuzzer target for the virtual printer's EEPROM file: any content of an existing file
// is taken only when it is a whole 256-byte image, and a file refused is left as it was.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "eepromstore.h"
#include "factoryimage.h"

namespace
{

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// A scratch folder for the fuzzing run, removed at exit.
class ScratchFolder
{
public:
    ScratchFolder()
    {
        char pattern[] = "/tmp/fuzz-eeprom-XXXXXX";
        Check(mkdtemp(pattern) != nullptr);
        path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::remove(File().c_str());
        rmdir(path_.c_str());
    }
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;
    std::string File() const { return path_ + "/eeprom.bin"; }

private:
    std::string path_;
};

void WriteFile(const std::string &path, const uint8_t *data, size_t size)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    Check(file != nullptr);
    Check(std::fwrite(data, 1, size, file) == size);
    Check(std::fclose(file) == 0);
}

std::vector<uint8_t> ReadFile(const std::string &path)
{
    std::vector<uint8_t> content;
    std::FILE *file = std::fopen(path.c_str(), "rb");
    Check(file != nullptr);
    for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file))
        content.push_back(static_cast<uint8_t>(c));
    std::fclose(file);
    return content;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static ScratchFolder folder;
    const std::string path = folder.File();
    WriteFile(path, data, size);

    sim::EepromStore store(path);
    const std::string why =
        store.Open(sim::FactoryImage(sim::Model::Q510, sim::Destination::UsEuro));
    if (size != sim::EepromImage().size()) {
        Check(!why.empty());
        Check(ReadFile(path) == std::vector<uint8_t>(data, data + size));
        return 0;
    }
    Check(why.empty());
    Check(std::memcmp(store.Bytes().data(), data, size) == 0);
    // A byte written goes through to the file at once.
    const uint8_t address = data[0];
    Check(store.Write(address, static_cast<uint8_t>(data[address] ^ 0xFF)));
    const std::vector<uint8_t> saved = ReadFile(path);
    Check(saved.size() == size && saved[address] == static_cast<uint8_t>(data[address] ^ 0xFF));
    return 0;
}
