// Fuzz entry of the script compiler: runs the whole compile driver (spell check, syntax
// analysis, end checks) and the one-statement compile on arbitrary bytes. No files are written.
//
// Built into the test program; for a libFuzzer run compile compile_fuzz_entry.cpp with
// -DZEQ_LIBFUZZER -fsanitize=fuzzer,address and link zeqcore.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zeq::test {
int compileFuzzInput(const uint8_t* data, size_t size);
}
