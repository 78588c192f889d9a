// The text of every result code of the file functions.
#include <gtest/gtest.h>

#include "ovio32.h"
#include "result_codes.h"

namespace {

TEST(ResultText, EveryNamedCodeHasItsOwnText) {
    const auto codes = testing_codes::namedCodes(OVIO_HEADER, {"OVIO_OK", "OVIO_E_"});
    EXPECT_EQ(testing_codes::valuesOf(codes), (std::set<long>{0, 1, 3, 20, 21, 22, 23}))
        << "the codes the library returns";
    testing_codes::expectTextPerCode(codes, OvIOResultText, {-1, 2, 4, 19, 24, 8300});
}

TEST(ResultText, AFailedCallReadsAsItsCode) {
    char frame[256 * 255];
    EXPECT_STREQ(OvIOResultText(OvReadImage("picture.xyz", frame, OVIO_FORMAT_BY_NAME)),
                 "file-name extension not known (.PIC, .TIF, .BMP, .CMP)");
}

}  // namespace
