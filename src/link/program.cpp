#include "program.h"

#include <new>

TPProgram::TPProgram(const QString &libraryFolder) : dll(libraryFolder) {}

std::unique_ptr<TPProgram> TPProgram::Create(const QString &libraryFolder, Failure *failure)
{
    *failure = Failure::None;
    std::unique_ptr<TPProgram> program;
    try {
        program = std::make_unique<TPProgram>(libraryFolder);
    } catch (const std::bad_alloc &) {
        *failure = Failure::OutOfMemory;
        return nullptr;
    }
    if (!program->dll.IsLoaded()) {
        *failure = Failure::MissingLibraries;
        return nullptr;
    }
    return program;
}
