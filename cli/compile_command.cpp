#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <system_error>

#include "catalogue/param_catalogue.h"
#include "commands.h"
#include "compiler/script_compiler.h"
#include "core/app_home.h"
#include "core/stdout_sink.h"

namespace zeq::cli {

bool applyGlobalOptions(const GlobalOptions& options) {
    if (options.home.empty()) return true;
    std::error_code ec;
    const std::filesystem::path home = std::filesystem::absolute(options.home, ec);
    if (ec) {
        std::fprintf(stderr, "zeq: invalid home folder: %s\n", options.home.c_str());
        return false;
    }
    ::setenv("ZEQ_HOME", home.string().c_str(), 1);
    return true;
}

std::function<int()> addCompileCommand(CLI::App& app, const GlobalOptions&) {
    auto file = std::make_shared<std::string>();
    CLI::App* sub =
        app.add_subcommand("compile", "compile a script into dat/build.dat and dat/binfo.dat");
    sub->add_option("FILE", *file, "script file (.zeq)")->required();
    return [file]() {
        std::error_code ec;
        std::filesystem::path path = std::filesystem::absolute(*file, ec);
        if (ec) path = *file;
        const std::string home = desk::applicationHome();
        if (!desk::ensureDirectory(home + "/dat")) {
            std::fprintf(stderr, "zeq: cannot create %s/dat\n", home.c_str());
        }
        desk::StdoutSink sink;
        desk::ScriptCompiler compiler(desk::paramCatalogue(), &sink);
        return compiler.compile(home, path.lexically_normal().string()) ? 0 : 1;
    };
}

std::function<int()> addParamsCommand(CLI::App& app, const GlobalOptions&) {
    app.add_subcommand("params", "list the card's parameters");
    return []() {
        desk::StdoutSink sink;
        sink.append(desk::ParamCatalogue::listing());
        sink.append("\n");
        return 0;
    };
}

}  // namespace zeq::cli
