#include "desk/fuzz/compile_fuzz_entry.h"

#include <string>
#include <string_view>

#include "catalogue/param_catalogue.h"
#include "compiler/script_compiler.h"
#include "core/stdout_sink.h"

namespace zeq::test {

int compileFuzzInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    desk::ParamCatalogue catalogue;
    catalogue.loadSystemRows();
    desk::StringSink sink;
    desk::ScriptCompiler compiler(catalogue, &sink);
    compiler.compileText(bytes, std::string(), "fuzz.zeq");
    // The instruction box gets the first line.
    const size_t eol = bytes.find('\n');
    compiler.compileImmediate(bytes.substr(0, eol));
    return 0;
}

}  // namespace zeq::test

#ifdef ZEQ_LIBFUZZER
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return zeq::test::compileFuzzInput(data, size);
}
#endif
