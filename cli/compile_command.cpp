// zeq compile FILE: the compile driver on FILE (its absolute path is recorded in binfo.dat);
// the build files go to dat/ of the application home. Exit 0 without errors, 1 with.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "catalogue/param_catalogue.h"
#include "commands.h"
#include "compiler/script_compiler.h"
#include "core/app_home.h"
#include "core/build_lock.h"
#include "core/stdout_sink.h"

namespace zeq::cli {
namespace {

const bool registered = registerCommand("compile", [](CLI::App& app) -> Runner {
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
        desk::BuildFolderLock buildLock(home);  // no run of this home loads a half-made build
        desk::StdoutSink sink;
        desk::ScriptCompiler compiler(desk::paramCatalogue(), &sink);
        return compiler.compile(home, path.lexically_normal().string()) ? 0 : 1;
    };
});

}  // namespace
}  // namespace zeq::cli
