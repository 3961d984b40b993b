// The reader contract over the fixture loaded into an in-memory registry.
#include <filesystem>

#include "contract/registry_contract.h"
#include "support/reg_file.h"

std::unique_ptr<ft::Registry> MakeContractRegistry() {
    auto registry = std::make_unique<ft::MemoryRegistry>();
    ft::LoadRegFile(std::filesystem::path(FIXTURES_DIR) / "reader_contract.reg", *registry);
    return registry;
}
