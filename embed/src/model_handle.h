// The C interface's model handle: a loaded network behind the opaque OvEmModel.
#ifndef OVEM_MODEL_HANDLE_H
#define OVEM_MODEL_HANDLE_H

#include "model.h"
#include "ovem32.h"

struct OvEmModel {
    ovem::Model model;
};

#endif  // OVEM_MODEL_HANDLE_H
