// The text of every result code of the exported functions.
#include <gtest/gtest.h>

#include "ovvfw32.h"
#include "result_codes.h"

namespace {

TEST(ResultText, EveryNamedCodeHasItsOwnText) {
    const auto codes = testing_codes::namedCodes(OVVFW_HEADER, {"OVVFW_OK", "OVVFW_E_"});
    EXPECT_EQ(testing_codes::valuesOf(codes), (std::set<long>{0, 1, 2, 10, 25}))
        << "the codes the library returns";
    testing_codes::expectTextPerCode(codes, OvVFWResultText, {-1, 3, 11, 24, 26, 8300});
}

}  // namespace
