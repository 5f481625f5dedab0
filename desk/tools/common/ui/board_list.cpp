#include "tools/common/ui/board_list.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace zeq::desk {

int fillBoardList(QComboBox* list, const Boards& boards, int preferred) {
    const QSignalBlocker block(list);
    list->clear();
    for (int b = 0; b < Boards::kBoardCount; ++b)
        if (boards.handle(b) != 0) list->addItem(QStringLiteral("Board %1").arg(b), b);
    const int at = list->findData(preferred);
    list->setCurrentIndex(at >= 0 ? at : (list->count() > 0 ? 0 : -1));
    return selectedBoard(list);
}

int selectedBoard(const QComboBox* list) {
    return list->currentIndex() >= 0 ? list->currentData().toInt() : -1;
}

}  // namespace zeq::desk
