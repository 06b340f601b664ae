// The contract suite's backend on Linux: a fresh simulated machine per test.
#include "platform/sim/SimPlatform.h"
#include "tests/support/ContractFixture.h"

namespace qm::test {

namespace {

class SimBackend : public ContractBackend {
public:
    Platform& platform() override { return machine_; }
    std::string ScratchRoot() override { return "C:\\scratch"; }
    bool IsSimulated() const override { return true; }
    bool IsWine() const override { return false; }

private:
    sim::SimPlatform machine_;
};

}  // namespace

std::unique_ptr<ContractBackend> MakeContractBackend() {
    auto backend = std::make_unique<SimBackend>();
    backend->platform().CreateDirectoryA("C:\\scratch", nullptr);
    return backend;
}

}  // namespace qm::test
