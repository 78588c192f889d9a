/* The public header as a C program sees it. */
#include "ovem32.h"

const char* ovem_c_header_check(void);
const char* ovem_c_header_check(void) {
    OvEmModel* model = 0;
    int rc = OvEmLoadModel(OVEM_MODEL_EMBEDDING128, 0, 0, &model);
    return OvEmResultText(rc);
}
