// Temporary: proves the contract fixture runs on both backends.
#include "tests/support/ContractFixture.h"

namespace qm::test {

TEST_F(Contract, ScratchFolderExists) {
    EXPECT_NE(P().GetFileAttributesA(Scratch().c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

}  // namespace qm::test
