#include "tools/common/ui/environment_boards.h"

#include <QByteArray>
#include <QList>

#include "binding/boards.h"

namespace zeq::desk {

void connectBoardsFromEnvironment(Boards& boards) {
    const QByteArray value = qgetenv("ZEQDESK_CONNECT");
    for (const QByteArray& entry : value.split(',')) {
        const QList<QByteArray> parts = entry.trimmed().split('=');
        if (parts.size() != 2) continue;
        bool boardOk = false, deviceOk = false;
        const int board = parts[0].toInt(&boardOk);
        const int device = parts[1].toInt(&deviceOk);
        if (boardOk && deviceOk && board >= 0 && board < Boards::kBoardCount && device >= 0)
            boards.connectDevice(device, board);
    }
}

}  // namespace zeq::desk
