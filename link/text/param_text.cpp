// WR / RD / WZ / WT text lines: a parameter named as the catalogue spells it, resolved to its
// address and width, then written, read or waited on through the parameter services.
#include <string_view>

#include "text/param_table.h"
#include "text/text_tokens.h"
#include "zeqlink.h"

using namespace zeq::link::text;

namespace {

// The command token must start with the two given letters (either case).
bool command_is(std::string_view token, char first, char second) {
    return token.size() >= 2 && ascii_upper(token[0]) == first && ascii_upper(token[1]) == second;
}

// The optional axis token that ends a line: absent = axis 0; a single digit; nothing after it.
bool parse_tail_axis(Tokens& tokens, int* axis) {
    std::string_view token;
    *axis = 0;
    if (!tokens.next(&token)) return true;
    return parse_axis(token, axis) && tokens.atEnd();
}

int bits_of(ParamWidth width) {
    switch (width) {
        case ParamWidth::Bits32:
            return 32;
        case ParamWidth::Bits48:
            return 48;
        case ParamWidth::Bits16:
            break;
    }
    return 16;
}

}  // namespace

int ZEQ_WRParamStr(ZEQ_HANDLE handle, const char* text, int selector) {
    Tokens tokens(text);
    std::string_view command, name, valueToken;
    if (!tokens.next(&command) || !command_is(command, 'W', 'R')) return ZEQ_ERR_ARGUMENT;
    if (!tokens.next(&name)) return ZEQ_ERR_ARGUMENT;
    const TextParam* param = find_text_param(name);
    if (!param || param->readOnly) return ZEQ_ERR_ARGUMENT;
    if (!tokens.next(&valueToken)) return ZEQ_ERR_ARGUMENT;

    int64_t value = 0;
    if (valueToken.front() == '&') {
        // "&name" stands for the address of that parameter.
        const TextParam* target = find_text_param(valueToken.substr(1));
        if (!target) return ZEQ_ERR_ARGUMENT;
        value = target->address;
    } else if (!parse_value(valueToken, &value)) {
        return ZEQ_ERR_ARGUMENT;
    }
    const ParamWidth width = param_width(*param);
    if (!fits_bits(value, bits_of(width))) return ZEQ_ERR_ARGUMENT;

    int axis = 0;
    if (!parse_tail_axis(tokens, &axis)) return ZEQ_ERR_ARGUMENT;

    switch (width) {
        case ParamWidth::Bits32:
            return ZEQ_SetParam32(handle, param->address, static_cast<int32_t>(value), axis,
                                  selector);
        case ParamWidth::Bits48:
            return ZEQ_SetParam48(handle, param->address, value, axis, selector);
        case ParamWidth::Bits16:
            break;
    }
    return ZEQ_SetParam16(handle, param->address, static_cast<int>(value & 0xFFFF), axis, selector);
}

int ZEQ_RDParamStr(ZEQ_HANDLE handle, const char* text, int64_t* value, int selector) {
    if (!value) return ZEQ_ERR_ARGUMENT;
    Tokens tokens(text);
    std::string_view command, name;
    if (!tokens.next(&command) || !command_is(command, 'R', 'D')) return ZEQ_ERR_ARGUMENT;
    if (!tokens.next(&name)) return ZEQ_ERR_ARGUMENT;
    const TextParam* param = find_text_param(name);  // read-only rows may be read
    if (!param) return ZEQ_ERR_ARGUMENT;
    int axis = 0;
    if (!parse_tail_axis(tokens, &axis)) return ZEQ_ERR_ARGUMENT;

    const bool isSigned = param_signed(*param);
    int rc = ZEQ_OK;
    int64_t result = 0;
    switch (param_width(*param)) {
        case ParamWidth::Bits32: {
            int32_t v = 0;
            rc = ZEQ_GetParam32(handle, param->address, &v, axis, selector);
            result = isSigned ? int64_t{v} : int64_t{static_cast<uint32_t>(v)};
            break;
        }
        case ParamWidth::Bits48:
            rc = ZEQ_GetParam48(handle, param->address, &result, axis, selector);
            break;
        case ParamWidth::Bits16: {
            uint16_t v = 0;
            rc = ZEQ_GetParam16(handle, param->address, &v, axis, selector);
            result = isSigned ? int64_t{static_cast<int16_t>(v)} : int64_t{v};
            break;
        }
    }
    // A reply whose checksum kept failing still hands over the last value read, as the
    // parameter reads do; other failures leave the caller's value alone.
    if (rc == ZEQ_OK || rc == ZEQ_ERR_CHECKSUM) *value = result;
    return rc;
}

int ZEQ_WTParamStr(ZEQ_HANDLE handle, const char* text) {
    Tokens tokens(text);
    std::string_view command, name;
    if (!tokens.next(&command) || command.size() < 2 || ascii_upper(command[0]) != 'W')
        return ZEQ_ERR_ARGUMENT;
    const char kind = ascii_upper(command[1]);
    const bool toZero = kind == 'Z';
    if (!toZero && kind != 'T') return ZEQ_ERR_ARGUMENT;
    if (!tokens.next(&name)) return ZEQ_ERR_ARGUMENT;
    const TextParam* param = find_text_param(name);
    if (!param) return ZEQ_ERR_ARGUMENT;
    int axis = 0;
    if (!parse_tail_axis(tokens, &axis)) return ZEQ_ERR_ARGUMENT;
    // Both wait commands always go through the queue FIFO.
    return toZero ? ZEQ_WaitToZero(handle, param->address, axis)
                  : ZEQ_WaitToken(handle, param->address, axis);
}
