// Card parameters of the coordinated group, shared by the group exports and the path planner.
#pragma once

namespace zeq::link {

// All 16-bit parameters of axis 0, except `curpos` (32-bit, per axis).
enum GroupParam : int {
    kParamStartGroup = 256,  // `startgroup`: 0xFFFF runs the group, 0 stops it
    kParamGroupNum = 257,    // `groupnum`: number of group axes
    kParamGroupX = 258,      // `group_x`, then `group_y`, `group_z`, `group_a` .. `group_m`
    kParamCfifoCnt = 519,    // `cfifocnt`: words in the contour FIFO; writing 0 clears it
    kParamCurPos = 225,      // `curpos`: current position of an axis in counts
};

// The group parameter address of a group letter (either case), or -1.
int group_letter_address(int letter);

}  // namespace zeq::link
