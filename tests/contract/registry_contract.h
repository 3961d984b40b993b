#pragma once
// The registry reader's contract: one suite that runs over the fixture loaded into memory
// and over the real registry of a Wine prefix the same fixture was imported into, so that
// both backends are held to what the platform does.
#include <memory>

#include "registry/registry.h"

// Each test program supplies the registry that holds tests/fixtures/reader_contract.reg.
std::unique_ptr<ft::Registry> MakeContractRegistry();
