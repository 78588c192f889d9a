#pragma once
// The largest heap allocation of the test program since the last reset (all threads).

#include <cstddef>

namespace largest_new {

void reset();
std::size_t largest();

}  // namespace largest_new
