// The reader contract over the real registry. Run it in a prefix the fixture
// tests/fixtures/reader_contract.reg was imported into (scripts/with-prefix.sh does that).
#include <gtest/gtest.h>

#include "contract/registry_contract.h"
#include "registry/win32_registry.h"

std::unique_ptr<ft::Registry> MakeContractRegistry() { return std::make_unique<ft::Win32Registry>(); }

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
