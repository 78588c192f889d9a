// The text of every result code of the exported functions.
#include <gtest/gtest.h>

#include "ovf32.h"
#include "result_codes.h"

namespace {

TEST(ResultText, EveryNamedCodeHasItsOwnText) {
    const auto codes = testing_codes::namedCodes(OVF_HEADER, {"OVF_OK", "OVF_E_"});
    EXPECT_EQ(testing_codes::valuesOf(codes), (std::set<long>{0, 1, 2, 3, 10, 12, 13}))
        << "the codes the library returns";
    testing_codes::expectTextPerCode(codes, OvfResultText, {-1, 4, 6, 7, 11, 14, 8300});
}

}  // namespace
