/* Opens the first card, moves axis 0 to 1000 counts and prints where it is.
 * Build against the installed library:  make   (uses pkg-config zeqlink)
 * Run on a virtual card:                ZEQLINK_SIM=1 ./zeq_c_example */
#include <stdio.h>
#include <zeqlink.h>

static int failed(const char* what, int code) {
    fprintf(stderr, "%s: %s (code %d)\n", what, ZEQ_ErrorText(code), code);
    return 1;
}

int main(void) {
    ZEQ_HANDLE card = 0;
    int rc = ZEQ_Open(0, &card);
    if (rc != ZEQ_OK) return failed("open", rc);

    printf("zeqlink %s, card: %s\n", ZEQ_GetLibraryVersion(), ZEQ_ReserveGInfo(card));
    const int axis = 0;
    if ((rc = ZEQ_SetMCSmaxvel(card, 50.0, axis, 0)) != ZEQ_OK ||
        (rc = ZEQ_SetMCSaccel(card, 500.0, axis, 0)) != ZEQ_OK ||
        (rc = ZEQ_SetMCSdecel(card, 500.0, axis, 0)) != ZEQ_OK ||
        (rc = ZEQ_MoveAbsolute(card, 1000.0, axis, 0)) != ZEQ_OK) {
        ZEQ_Close(card);
        return failed("move", rc);
    }

    double position = 0.0;
    for (int poll = 0; poll < 100000; ++poll) {
        if ((rc = ZEQ_GetCurPos(card, &position, axis, 0)) != ZEQ_OK) break;
        if (position == 1000.0) break;
    }
    ZEQ_Close(card);
    if (rc != ZEQ_OK) return failed("read position", rc);
    printf("axis %d at %.1f\n", axis, position);
    return position == 1000.0 ? 0 : 1;
}
