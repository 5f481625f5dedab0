// Boards connected at start-up from the environment, for pictures and demonstrations of the
// tools before anyone has clicked a connect button:
//
//   ZEQDESK_CONNECT=B=I[,B=I…]   connect device I of the search as board B
//
// Each connection reports to the output box as a connect button would. Entries that do not
// read as two numbers are skipped.
#pragma once

namespace zeq::desk {

class Boards;

void connectBoardsFromEnvironment(Boards& boards);

}  // namespace zeq::desk
