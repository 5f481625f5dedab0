// Maps the pages of a large buffer that is about to be filled in one call, instead of taking a
// page fault on each first touch (costly under virtualisation). Only an optimisation: where the
// platform has no such call, or it fails, the pages are faulted in as they are touched.
#pragma once

#include <cstddef>

namespace zeq::desk {

void prefaultForWriting(void* data, std::size_t bytes);

}  // namespace zeq::desk
