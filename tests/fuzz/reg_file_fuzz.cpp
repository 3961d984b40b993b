// Fuzz target: the registry editor's file format, as the fixtures and the export files are
// read. Any input either loads or fails with RegFileError (never another exception, a crash
// or a hang); a failure leaves the registry exactly as it was, and loading a file that
// loaded once changes nothing the second time.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "support/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    ft::MemoryRegistry registry;
    registry.SetString(L".kept", L"", L"before");
    const std::wstring before = registry.Dump();
    try {
        ft::LoadRegFile(bytes, registry);
    } catch (const ft::RegFileError&) {
        if (registry.Dump() != before) {
            std::fprintf(stderr, "fault: a file that failed to load changed the registry\n");
            std::abort();
        }
        return 0;
    }
    const std::wstring once = registry.Dump();
    ft::LoadRegFile(bytes, registry);
    if (registry.Dump() != once) {
        std::fprintf(stderr, "fault: loading the same file twice gave another tree\n");
        std::abort();
    }
    return 0;
}
