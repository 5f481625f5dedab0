// The homing sequence register `homeseq` as the homing dialog edits it (bit 0 least
// significant):
//
//   bits 0-1, 4-5, 8-9   action of phase 1, 2, 3: 0 none (the phase only moves), 1 set the
//                        origin on the ORG edge, 2 count index pulses after the ORG edge,
//                        3 count index pulses from the start of the phase
//   bits 2, 6, 10        speed of phase 1, 2, 3: 0 `lowvel`, 1 `highvel`
//   bits 3, 7, 11, 13    fixed by the card; carried unchanged
//   bit 12               after the home: 0 decelerate and stop, 1 move to `homeSTpos`
//   bit 14               active ORG edge: 1 rising, 0 falling
//   bit 15               starting direction: 0 positive, 1 negative
//
// A final action is 0, 1 or 2 (written into the last phase's field plus one), kNoAction for
// none. Phases are counted 1..3.
#pragma once

#include <cstdint>
#include <string>

namespace zeq::desk::homeseq {

inline constexpr int kNoAction = -1;
inline constexpr std::uint16_t kMoveAfterHomeBit = 1u << 12;
inline constexpr std::uint16_t kRisingEdgeBit = 1u << 14;
inline constexpr std::uint16_t kNegativeBit = 1u << 15;
inline constexpr int kGenericPicture = 6;

// The action field (0..3) of phase 1..3.
int actionField(std::uint16_t seq, int phase);
std::uint16_t withActionField(std::uint16_t seq, int phase, int action);
// 2 when phase 2 has an action, else 3 when phase 3 has one, else 1.
int phasesShown(std::uint16_t seq);
// The first non-zero action field minus one, kNoAction when every field is 0.
int finalActionShown(std::uint16_t seq);
// Whether some phase has an action (a search can start).
bool hasAction(std::uint16_t seq);

std::uint16_t withBit(std::uint16_t seq, std::uint16_t bit, bool set);
// The speed bit of phase 1..3.
std::uint16_t speedBit(int phase);

// The phase count buttons: every action field cleared, the last phase's field gets the final
// action plus one. The third action exists only with one phase: with 2 or 3 phases it is
// dropped (`finalAction` becomes kNoAction).
std::uint16_t withPhases(std::uint16_t seq, int phases, int& finalAction);
// The final action buttons: action + 1 into the last phase's field. Action 2 only with one
// phase (returns `seq` unchanged otherwise).
std::uint16_t withFinalAction(std::uint16_t seq, int phases, int action);

// The picture index n * 10 + final action, and the picture (0..5 for 10, 11, 12, 20, 21, 30;
// kGenericPicture for any other index).
int pictureIndex(int phases, int finalAction);
int pictureNumber(int index);
// The 16 bits as text, bit 15 first: "0000-0000-0000-0000".
std::string bitsText(std::uint16_t seq);

}  // namespace zeq::desk::homeseq
