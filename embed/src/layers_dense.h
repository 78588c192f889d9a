// The fully connected layer of the embedding network. No call allocates; out must not
// overlap the input.
#ifndef OVEM_LAYERS_DENSE_H
#define OVEM_LAYERS_DENSE_H

namespace ovem::recognition {

// out[j] = sum over i in order of in[i] x weights[i][j] (weights stored [in][out], as the
// manifest gives them), plus bias[j] when bias is not null.
void fullyConnected(const float* in, int inCount, const float* weights, const float* bias,
                    int outCount, float* out);

}  // namespace ovem::recognition

#endif  // OVEM_LAYERS_DENSE_H
