#include "tools/homing/homeseq_bits.h"

#include <cstdio>

#include "tools/homing/homing_messages.h"

namespace zeq::desk::homeseq {
namespace {
int shiftOf(int phase) {
    return (phase - 1) * 4;
}
}  // namespace

int actionField(std::uint16_t seq, int phase) {
    if (phase < 1 || phase > 3) return 0;
    return (seq >> shiftOf(phase)) & 3;
}

std::uint16_t withActionField(std::uint16_t seq, int phase, int action) {
    if (phase < 1 || phase > 3) return seq;
    const int s = shiftOf(phase);
    return static_cast<std::uint16_t>((seq & ~(3u << s)) |
                                      ((static_cast<unsigned>(action) & 3u) << s));
}

int phasesShown(std::uint16_t seq) {
    if (actionField(seq, 2) != 0) return 2;
    if (actionField(seq, 3) != 0) return 3;
    return 1;
}

int finalActionShown(std::uint16_t seq) {
    for (int p = 1; p <= 3; ++p)
        if (actionField(seq, p) != 0) return actionField(seq, p) - 1;
    return kNoAction;
}

bool hasAction(std::uint16_t seq) {
    return finalActionShown(seq) != kNoAction;
}

std::uint16_t withBit(std::uint16_t seq, std::uint16_t bit, bool set) {
    return static_cast<std::uint16_t>(set ? seq | bit : seq & ~bit);
}

std::uint16_t speedBit(int phase) {
    return phase >= 1 && phase <= 3 ? static_cast<std::uint16_t>(1u << (shiftOf(phase) + 2)) : 0;
}

std::uint16_t withPhases(std::uint16_t seq, int phases, int& finalAction) {
    if (phases < 1 || phases > 3) return seq;
    for (int p = 1; p <= 3; ++p) seq = withActionField(seq, p, 0);
    if (phases > 1 && finalAction == 2) finalAction = kNoAction;
    if (finalAction != kNoAction) seq = withActionField(seq, phases, finalAction + 1);
    return seq;
}

std::uint16_t withFinalAction(std::uint16_t seq, int phases, int action) {
    if (action < 0 || action > 2 || phases < 1 || phases > 3) return seq;
    if (action == 2 && phases != 1) return seq;
    return withActionField(seq, phases, action + 1);
}

int pictureIndex(int phases, int finalAction) {
    return phases * 10 + finalAction;
}

int pictureNumber(int index) {
    switch (index) {
        case 10:
            return 0;
        case 11:
            return 1;
        case 12:
            return 2;
        case 20:
            return 3;
        case 21:
            return 4;
        case 30:
            return 5;
        default:
            return kGenericPicture;
    }
}

std::string bitsText(std::uint16_t seq) {
    int b[16];
    for (int i = 0; i < 16; ++i) b[i] = (seq >> (15 - i)) & 1;
    char text[32];
    std::snprintf(text, sizeof text, homing_text::kBitsFormat, b[0], b[1], b[2], b[3], b[4], b[5],
                  b[6], b[7], b[8], b[9], b[10], b[11], b[12], b[13], b[14], b[15]);
    return text;
}

}  // namespace zeq::desk::homeseq
