// zeq params: the listing of the card's parameter catalogue.
#include "catalogue/param_catalogue.h"
#include "commands.h"
#include "core/stdout_sink.h"

namespace zeq::cli {
namespace {

const bool registered = registerCommand("params", [](CLI::App& app) -> Runner {
    app.add_subcommand("params", "list the card's parameters");
    return []() {
        desk::StdoutSink sink;
        sink.append(desk::ParamCatalogue::listing());
        sink.append("\n");
        return 0;
    };
});

}  // namespace
}  // namespace zeq::cli
