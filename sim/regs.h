// Register addresses of the card as the virtual card uses them. Per-axis registers live in the
// axis's block of 1024 words; global registers live in the block of axis 0.
#pragma once

#include <cstdint>

namespace zeq::sim::reg {

// Profile generator `mcs` (per axis)
constexpr uint16_t mcsvel = 4, mcstgvel = 6, mcsslope = 8, mcspos = 10, mcstgpos = 12, mcsdist = 14,
                   mcsmaxvel = 16, mcsaccel = 18, mcsdecel = 20, mcstrack = 22, mcsgo = 23,
                   mcsmoving = 25;
// Superimposed generator `pcs` (per axis)
constexpr uint16_t pcsvel = 27, pcstgvel = 29, pcsslope = 31, pcspos = 33, pcstgpos = 35,
                   pcsdist = 37, pcsmaxvel = 39, pcsaccel = 41, pcsdecel = 43, pcstrack = 45,
                   pcsgo = 46, pcsmoving = 48;
// Encoders (per axis)
constexpr uint16_t encpfactor = 73, encpvel = 75, encp = 78, encsfactor = 81, encsvel = 83,
                   encs = 86;
// Axis control and status (per axis)
constexpr uint16_t run = 128, status = 129, error = 130, poserrlim = 131, smooth = 132,
                   psoftlim = 139, nsoftlim = 141, homepos = 145, lowvel = 147, highvel = 149,
                   homeseq = 151, gohome = 152, sethome = 153, homed = 154, capture = 155,
                   captured = 156, clear = 157, vellim = 158, accellim = 160, master = 169,
                   gearsrc = 170, engear = 171, gearoutmod = 172, shiftmaster = 174,
                   gearratio = 175, gearoutvel = 178, enasyn = 188, startsyn = 189, syntype = 190,
                   synsrc = 191, synaxis = 192, synsrcvar = 193, slavedist = 197, slaveabs = 199,
                   profiling = 215, smoothing = 216, contouring = 217, moving = 218, motion = 219,
                   outsettle = 220, outtrack = 221, poserr = 223, curpos = 225, curvel = 227,
                   cappos = 229, ena = 550, aio = 562;
// Address 163: the gear-sync flag written by the host (`homeSTpos` shares the address).
constexpr uint16_t gearsync = 163;
// Groups and contour (global)
constexpr uint16_t startgroup = 256, groupnum = 257, group_x = 258, groupsmooth = 274;
// User registers, waits, events, card state (global)
constexpr uint16_t waitfilt = 479, waitequ = 480, timer = 481, events = 489, emstop = 500,
                   hpause = 501, ticks = 502, clkdiv = 509, fwversion = 511, clrififo = 513,
                   cfifocnt = 519, clrqfifo = 521, eventid = 549, eventbase = 568, sysclk = 628,
                   naxis = 634, hwversion = 635;

}  // namespace zeq::sim::reg
