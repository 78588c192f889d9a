// The text of every result code of the entry point.
#include <gtest/gtest.h>

#include "result_codes.h"
#include "tablib95.h"

namespace {

TEST(ResultText, EveryNamedCodeHasItsOwnText) {
    const auto codes = testing_codes::namedCodes(TABLIB_HEADER, {"TL_OK", "TL_E_", "TL_W_"});
    const std::set<long> engineCodes{0,    8300, 8301, 8302, 8303, 8304, 8305, 8310,
                                     8311, 8312, 8313, 8314, 8315, 8316, 8317, 8320,
                                     8321, 8322, 8323, 8330, 8331, 8701, 8702};
    EXPECT_EQ(testing_codes::valuesOf(codes), engineCodes) << "the codes the engine returns";
    testing_codes::expectTextPerCode(codes, TablibResultText,
                                     {1, 21, 8299, 8306, 8332, 8700, 8703});
}

TEST(ResultText, AFailedChainHasATextOfItsOwn) {
    const char* chain = TablibResultText(-1);
    EXPECT_STRNE(chain, TablibResultText(8299)) << "not the generic text";
    EXPECT_STREQ(TablibResultText(-3), chain);
}

}  // namespace
