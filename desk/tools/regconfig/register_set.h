// The registers the configuration dialog holds for every axis, described once: their names
// (catalogue names), their width in card words, and the page group each belongs to. The order
// of kRegisters is the order of the page groups (main encoder, encsctr, aiod, aioctr, stepmod,
// error filters, other registers) and, inside a group, the order of the .cfg block.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zeq::desk::regconfig {

enum class RegId {
    encpctr,
    encpfactor,  // main encoder
    encsctr,
    encsfactor,  // auxiliary encoder
    aiod,        // axis I/O direction
    aioctr,      // axis I/O control
    stepmod,
    steptime,
    dirtime,  // pulse output
    stopfilt,
    exitfilt,  // error filters
    smooth,
    poserrlim,
    trackwin,
    settlewin,
    settlen,
    mcstrack,
    pcstrack,  // 16-bit fields
    nsoftlim,
    psoftlim,  // 32-bit fields
    mcsmaxvel,
    pcsmaxvel,
    mcsaccel,
    pcsaccel,
    mcsdecel,
    pcsdecel,  // motion limits
    count
};
constexpr std::size_t kRegCount = static_cast<std::size_t>(RegId::count);

enum class Group { MainEncoder, AuxEncoder, Aiod, Aioctr, Stepmod, ErrorFilters, Other };

struct RegisterInfo {
    RegId id;
    const char* name;  // catalogue name
    int words;         // 1: 16 bits, 2: 32 bits
    Group group;
};

inline constexpr std::array<RegisterInfo, kRegCount> kRegisters{{
    {RegId::encpctr, "encpctr", 1, Group::MainEncoder},
    {RegId::encpfactor, "encpfactor", 2, Group::MainEncoder},
    {RegId::encsctr, "encsctr", 1, Group::AuxEncoder},
    {RegId::encsfactor, "encsfactor", 2, Group::AuxEncoder},
    {RegId::aiod, "aiod", 1, Group::Aiod},
    {RegId::aioctr, "aioctr", 1, Group::Aioctr},
    {RegId::stepmod, "stepmod", 1, Group::Stepmod},
    {RegId::steptime, "steptime", 1, Group::Stepmod},
    {RegId::dirtime, "dirtime", 1, Group::Stepmod},
    {RegId::stopfilt, "stopfilt", 1, Group::ErrorFilters},
    {RegId::exitfilt, "exitfilt", 1, Group::ErrorFilters},
    {RegId::smooth, "smooth", 1, Group::Other},
    {RegId::poserrlim, "poserrlim", 1, Group::Other},
    {RegId::trackwin, "trackwin", 1, Group::Other},
    {RegId::settlewin, "settlewin", 1, Group::Other},
    {RegId::settlen, "settlen", 1, Group::Other},
    {RegId::mcstrack, "mcstrack", 1, Group::Other},
    {RegId::pcstrack, "pcstrack", 1, Group::Other},
    {RegId::nsoftlim, "nsoftlim", 2, Group::Other},
    {RegId::psoftlim, "psoftlim", 2, Group::Other},
    {RegId::mcsmaxvel, "mcsmaxvel", 2, Group::Other},
    {RegId::pcsmaxvel, "pcsmaxvel", 2, Group::Other},
    {RegId::mcsaccel, "mcsaccel", 2, Group::Other},
    {RegId::pcsaccel, "pcsaccel", 2, Group::Other},
    {RegId::mcsdecel, "mcsdecel", 2, Group::Other},
    {RegId::pcsdecel, "pcsdecel", 2, Group::Other},
}};

constexpr bool registersInEnumOrder() {
    for (std::size_t i = 0; i < kRegCount; ++i)
        if (static_cast<std::size_t>(kRegisters[i].id) != i) return false;
    return true;
}
static_assert(registersInEnumOrder(), "kRegisters follows the order of RegId");

constexpr const RegisterInfo& registerInfo(RegId id) {
    return kRegisters[static_cast<std::size_t>(id)];
}

// The values of one axis: 16-bit registers as their unsigned word, 32-bit ones as signed
// numbers; the distance factor of the axis beside them.
struct AxisRegisters {
    std::array<std::int32_t, kRegCount> values{};
    double distScale = 1.0;

    std::int32_t& operator[](RegId id) { return values[static_cast<std::size_t>(id)]; }
    std::int32_t operator[](RegId id) const { return values[static_cast<std::size_t>(id)]; }
    bool operator==(const AxisRegisters&) const = default;
};

}  // namespace zeq::desk::regconfig
