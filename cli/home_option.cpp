// --home DIR: the application home (dat/ inside holds zeq.ini and the build files). Sets
// ZEQ_HOME for this process and everything it starts.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include "commands.h"

namespace zeq::cli {
namespace {

const bool registered = [] {
    auto home = std::make_shared<std::string>();
    return registerGlobalOption(GlobalOption{
        [home](CLI::App& app) {
            app.add_option("--home", *home,
                           "application home (sets ZEQ_HOME; dat/ inside holds the build files)");
        },
        [home]() {
            if (home->empty()) return true;
            std::error_code ec;
            const std::filesystem::path abs = std::filesystem::absolute(*home, ec);
            if (ec) {
                std::fprintf(stderr, "zeq: invalid home folder: %s\n", home->c_str());
                return false;
            }
            ::setenv("ZEQ_HOME", abs.lexically_normal().string().c_str(), 1);
            return true;
        }});
}();

}  // namespace
}  // namespace zeq::cli
