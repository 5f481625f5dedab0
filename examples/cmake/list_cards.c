/* Lists the cards the library finds, opens each one and prints its axis count. */
#include <stdint.h>
#include <stdio.h>
#include <zeqlink.h>

int main(void) {
    uint32_t count = 0;
    int rc = ZEQ_ListDevices(&count, NULL, ZEQ_FT_LIST_NUMBER_ONLY);
    if (rc != ZEQ_OK) {
        fprintf(stderr, "device list: %s\n", ZEQ_ErrorText(rc));
        return 1;
    }
    printf("zeqlink %s: %u device(s)\n", ZEQ_GetLibraryVersion(), (unsigned)count);
    for (uint32_t i = 0; i < count; ++i) {
        char description[64] = {0};
        ZEQ_ListDevices((void*)(uintptr_t)i, description,
                        ZEQ_FT_LIST_BY_INDEX | ZEQ_FT_OPEN_BY_DESCRIPTION);
        ZEQ_HANDLE card = 0;
        rc = ZEQ_Open((int)i, &card);
        if (rc != ZEQ_OK) {
            printf("%u  %s  (%s)\n", (unsigned)i, description, ZEQ_ErrorText(rc));
            continue;
        }
        int64_t naxis = 0;
        rc = ZEQ_RDParamStr(card, "RD naxis", &naxis, 0);
        if (rc == ZEQ_OK) {
            printf("%u  %s  %d axes\n", (unsigned)i, description, (int)naxis);
        } else {
            printf("%u  %s  (naxis: %s)\n", (unsigned)i, description, ZEQ_ErrorText(rc));
        }
        ZEQ_Close(card);
    }
    return 0;
}
