#include "tools/axis_list.h"

#include "binding/device_wrappers.h"

namespace zeq::desk {

int toolAxisCount(const Boards& boards, int board) {
    if (board < 0 || board >= Boards::kBoardCount) return 0;
    const ZEQ_HANDLE h = boards.handle(board);
    if (h != 0) {
        const int n = readAxisCount(h);
        if (n > 0 && n <= Boards::kMaxAxisCount) return n;
    }
    return boards.axisCount(board);
}

std::vector<std::string> axisListEntries(int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back("轴 " + std::to_string(i));
    return out;
}

}  // namespace zeq::desk
