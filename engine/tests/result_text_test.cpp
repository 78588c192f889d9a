// The text of every result code of the C interface.
#include <gtest/gtest.h>

#include "ovfc32.h"
#include "result_codes.h"

namespace {

TEST(ResultText, EveryNamedCodeHasItsOwnText) {
    const auto codes = testing_codes::namedCodes(OVFC_HEADER, {"OVFC_OK", "OVFC_E_"});
    EXPECT_EQ(testing_codes::valuesOf(codes), (std::set<long>{0, 1, 2, 3, 25, 26, 27, 28, 29, 30}))
        << "the codes the library returns";
    testing_codes::expectTextPerCode(codes, OvfcResultText, {-1, 4, 24, 31, 8300});
    EXPECT_STREQ(OvfcResultText(OVFC_E_NO_FACE), "no face");
}

}  // namespace
