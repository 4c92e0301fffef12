#pragma once

#include <cstddef>

namespace tovarune::bench {

// Heap allocations made by the whole process so far (operator new).
std::size_t allocation_count();

} // namespace tovarune::bench
