#include "text/param_table.h"

#include <iterator>

#include "text/text_tokens.h"

namespace zeq::link::text {
namespace {

constexpr TextParam kParams[] = {
#define ZEQ_PARAM(name, format, address, kind, readOnly, global) \
    {#name, format, address, kind, readOnly, global},
#include "card/system_params.inc"
#undef ZEQ_PARAM
};
static_assert(std::size(kParams) == kTextParamCount, "the catalogue has 237 system rows");

}  // namespace

const TextParam* text_params() {
    return kParams;
}

const TextParam* find_text_param(std::string_view name) {
    for (const TextParam& p : kParams)
        if (equals_ignore_case(name, std::string_view(p.name))) return &p;
    return nullptr;
}

}  // namespace zeq::link::text
