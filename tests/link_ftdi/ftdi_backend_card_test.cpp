// The libftdi backend on a USB bus of virtual cards (the stand-in libftdi1): enumeration and
// opening as libftdi shows the devices, the chip settings of the open, partial reads, read
// time-outs, purges, the EEPROM, and an axis moved end to end.
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "ftdi_standin.h"
#include "link_fixture.h"

namespace zeq::test {
namespace {

class FtdiCard : public LinkTest {
  protected:
    void SetUp() override {
        LinkTest::SetUp();
        ftdi_standin_reset();  // power-on chips: ids, latency timer, counters
    }

    static std::string listed(uint32_t index, uint32_t what) {
        char text[64] = {};
        if (ZEQ_ListDevices(reinterpret_cast<void*>(uintptr_t{index}), text,
                            ZEQ_FT_LIST_BY_INDEX | what) != ZEQ_OK)
            return "(none)";
        return text;
    }

    static uint32_t location(uint32_t index) {
        uint32_t loc = 0;
        EXPECT_EQ(ZEQ_ListDevices(reinterpret_cast<void*>(uintptr_t{index}), &loc,
                                  ZEQ_FT_LIST_BY_INDEX | ZEQ_FT_OPEN_BY_LOCATION),
                  ZEQ_OK);
        return loc;
    }

    static uint32_t count() {
        uint32_t n = 0;
        EXPECT_EQ(ZEQ_ListDevices(&n, nullptr, ZEQ_FT_LIST_NUMBER_ONLY), ZEQ_OK);
        return n;
    }
};

TEST_F(FtdiCard, BridgesAreListedInBusOrderBeforeTheBuiltInCards) {
    // libusb enumerates the bus backwards here; the backend orders by bus and port path.
    ASSERT_EQ(count(), 4u);
    EXPECT_EQ(listed(0, ZEQ_FT_OPEN_BY_DESCRIPTION), "ZEQ-SIM0");
    EXPECT_EQ(listed(1, ZEQ_FT_OPEN_BY_DESCRIPTION), "ZEQ-SIM1");
    EXPECT_EQ(listed(1, ZEQ_FT_OPEN_BY_SERIAL_NUMBER), "ZEQSIM1");
    EXPECT_EQ(location(0), 0x01021000u);  // bus 1, ports 2.1
    EXPECT_EQ(location(1), 0x01022000u);
    EXPECT_EQ(location(2), 0x1000u);  // the built-in virtual card 0

    // A chip with another product id is not an FTDI bridge of ours.
    ftdi_standin_set(0, "pid", 0x1234);
    ASSERT_EQ(count(), 3u);
    EXPECT_EQ(location(0), 0x01022000u);
    ZEQ_HANDLE h = open(0);
    EXPECT_EQ(ftdi_standin_query(1, "opened"), 1);
    EXPECT_EQ(ftdi_standin_query(0, "opened"), 0);
    EXPECT_EQ(ZEQ_Close(h), ZEQ_OK);
    forget(h);
}

TEST_F(FtdiCard, OpenBySerialAndLocationReachTheBridge) {
    char serial[] = "ZEQSIM1";
    ZEQ_HANDLE h = 0;
    ASSERT_EQ(ZEQ_OpenEx(serial, ZEQ_FT_OPEN_BY_SERIAL_NUMBER, &h), ZEQ_OK);
    EXPECT_EQ(ftdi_standin_query(1, "opened"), 1);
    EXPECT_EQ(ZEQ_Close(h), ZEQ_OK);
    ASSERT_EQ(
        ZEQ_OpenEx(reinterpret_cast<void*>(uintptr_t{0x01021000}), ZEQ_FT_OPEN_BY_LOCATION, &h),
        ZEQ_OK);
    EXPECT_EQ(ftdi_standin_query(0, "opened"), 1);
    EXPECT_EQ(ZEQ_Close(h), ZEQ_OK);
    EXPECT_EQ(ftdi_standin_query(0, "opened"), 0);
}

TEST_F(FtdiCard, OpenSetsUpTheChipAndCloseReleasesIt) {
    ZEQ_HANDLE h = open(0);
    EXPECT_EQ(ftdi_standin_query(0, "opened"), 1);
    EXPECT_EQ(ftdi_standin_query(0, "latency"), 2);
    EXPECT_EQ(ftdi_standin_query(0, "bitmode"), 0);  // the chip's default FIFO mode
    EXPECT_EQ(ftdi_standin_query(0, "read_timeout"), 200);
    EXPECT_EQ(ftdi_standin_query(0, "write_timeout"), 200);
    EXPECT_EQ(ftdi_standin_query(0, "rx_purges"), 1);
    EXPECT_EQ(ftdi_standin_query(0, "tx_purges"), 1);
    EXPECT_GE(ftdi_standin_query(0, "resets"), 1);

    // The card is claimed: its built-in entry (index 2) cannot open it meanwhile.
    ZEQ_HANDLE other = 0;
    EXPECT_EQ(ZEQ_Open(2, &other), ZEQ_ERR_NOT_OPENED);
    EXPECT_EQ(ZEQ_SetTimeouts(h, 0, 0), ZEQ_OK);  // 0 stands for libftdi's 5 s
    EXPECT_EQ(ftdi_standin_query(0, "read_timeout"), 5000);

    ASSERT_EQ(ZEQ_Close(h), ZEQ_OK);
    forget(h);
    EXPECT_EQ(ftdi_standin_query(0, "opened"), 0);
    // And the other way round: held by its built-in entry, the bridge cannot claim it.
    ASSERT_EQ(ZEQ_Open(2, &other), ZEQ_OK);
    EXPECT_EQ(ZEQ_Open(0, &h), ZEQ_ERR_NOT_OPENED);
    EXPECT_EQ(ZEQ_Close(other), ZEQ_OK);
}

TEST_F(FtdiCard, ADeviceWithoutAccessIsListedBlankAndRefusesTheOpen) {
    ftdi_standin_set(0, "noaccess", 1);
    ASSERT_EQ(count(), 4u);
    EXPECT_EQ(listed(0, ZEQ_FT_OPEN_BY_DESCRIPTION), "");
    EXPECT_EQ(listed(0, ZEQ_FT_OPEN_BY_SERIAL_NUMBER), "");
    ZEQ_HANDLE h = 0xBEEF;
    EXPECT_EQ(ZEQ_Open(0, &h), ZEQ_ERR_NOT_OPENED);
    EXPECT_EQ(ftdi_standin_query(0, "opens"), 0);
}

TEST_F(FtdiCard, RepliesThatTrickleInAreCollectedUpToTheCount) {
    ZEQ_HANDLE h = open(0);
    ASSERT_EQ(ZEQ_SetParam48(h, 12, 0x123456789ALL, 1, 0), ZEQ_OK);
    ftdi_standin_set(0, "trickle", 1);  // one byte per latency period
    int64_t v48 = 0;
    ASSERT_EQ(ZEQ_GetParam48(h, 12, &v48, 1, 0), ZEQ_OK);
    EXPECT_EQ(v48, 0x123456789ALL);
    int32_t v32 = 0;
    ASSERT_EQ(ZEQ_GetParam32(h, 634, &v32, 0, 0), ZEQ_OK);
    EXPECT_EQ(v32 & 0xFFFF, 4);  // naxis
    EXPECT_GT(ftdi_standin_query(0, "short_reads"), 0) << "the backend met partial reads";
}

TEST_F(FtdiCard, AReadTimeOutGivesAShortReadAndKeepsTheReply) {
    ZEQ_HANDLE h = open(0);
    ASSERT_EQ(ZEQ_SetTimeouts(h, 20, 20), ZEQ_OK);
    const uint8_t query = 0x49;  // FIFO status: one byte comes back
    uint32_t n = 0;
    ASSERT_EQ(ZEQ_Write(h, const_cast<uint8_t*>(&query), 1, &n), ZEQ_OK);
    ftdi_standin_set(0, "stall", 1);
    uint8_t reply[4] = {};
    ASSERT_EQ(ZEQ_Read(h, reply, 1, &n), ZEQ_OK);
    EXPECT_EQ(n, 0u);
    ASSERT_EQ(ZEQ_Read(h, reply, 1, &n), ZEQ_OK);
    ASSERT_EQ(n, 1u);
    EXPECT_EQ(reply[0], 0x0A);  // both read-back FIFOs empty
    // Nothing more is there: the read ends at its time-out with nothing.
    ASSERT_EQ(ZEQ_Read(h, reply, 4, &n), ZEQ_OK);
    EXPECT_EQ(n, 0u);
    EXPECT_GT(ftdi_standin_query(0, "empty_transfers"), 0);
}

TEST_F(FtdiCard, PurgingTheReceiveSideDropsWhatLibftdiHeldBack) {
    ZEQ_HANDLE h = open(0);
    ASSERT_EQ(ZEQ_SetTimeouts(h, 20, 20), ZEQ_OK);
    const uint8_t queries[] = {0x49, 0x49, 0x49};
    uint32_t n = 0;
    ASSERT_EQ(ZEQ_Write(h, const_cast<uint8_t*>(queries), 3, &n), ZEQ_OK);
    uint8_t reply[3] = {};
    ASSERT_EQ(ZEQ_Read(h, reply, 1, &n), ZEQ_OK);  // the other two wait in libftdi's buffer
    ASSERT_EQ(n, 1u);
    ASSERT_EQ(ZEQ_Purge(h, ZEQ_PURGE_RX), ZEQ_OK);
    ASSERT_EQ(ZEQ_Read(h, reply, 2, &n), ZEQ_OK);
    EXPECT_EQ(n, 0u);
    // The link still works after the purge.
    uint16_t naxis = 0;
    ASSERT_EQ(ZEQ_GetParam16(h, 634, &naxis, 0, 0), ZEQ_OK);
    EXPECT_EQ(naxis, 4);
}

TEST_F(FtdiCard, EepromProgrammedThroughTheBridgeRenamesTheDevice) {
    ZEQ_HANDLE h = open(0);
    char m[64] = {}, id[64] = {}, d[64] = {}, s[64] = {};
    ZEQ_EEPROM_DATA data{};
    data.Signature2 = 0xFFFFFFFFu;
    data.Version = 2;
    data.Manufacturer = m;
    data.ManufacturerId = id;
    data.Description = d;
    data.SerialNumber = s;
    ASSERT_EQ(ZEQ_ReadProEEP(h, &data), ZEQ_OK);
    EXPECT_STREQ(d, "ZEQ-SIM0");
    EXPECT_STREQ(s, "ZEQSIM0");
    EXPECT_EQ(data.VendorId, 0x0403);

    std::strcpy(d, "ZEQ-USB 8");
    std::strcpy(s, "ZQ0815");
    data.MaxPower = 200;
    ASSERT_EQ(ZEQ_WriteProEEP(h, &data), ZEQ_OK);
    EXPECT_EQ(ftdi_standin_query(0, "latency"), 2) << "set again after programming";
    EXPECT_EQ(listed(0, ZEQ_FT_OPEN_BY_DESCRIPTION), "ZEQ-USB 8");
    EXPECT_EQ(listed(0, ZEQ_FT_OPEN_BY_SERIAL_NUMBER), "ZQ0815");
    std::memset(d, 0, sizeof d);
    data.MaxPower = 0;
    ASSERT_EQ(ZEQ_ReadProEEP(h, &data), ZEQ_OK);
    EXPECT_STREQ(d, "ZEQ-USB 8");
    EXPECT_EQ(data.MaxPower, 200);
}

TEST_F(FtdiCard, AnErasedEepromIsRefusedOnReadAndProgrammedFromDefaults) {
    ZEQ_HANDLE h = open(0);
    ftdi_standin_set(0, "blank_eeprom", 1);
    char m[64] = "Maker", id[64] = "MK", d[64] = "ZEQ-NEW", s[64] = "ZQ0001";
    ZEQ_EEPROM_DATA data{0u, 0xFFFFFFFFu, 2u, 0x0403, 0x6014, m, id, d, s, 90, 0, 1, 0};
    ZEQ_EEPROM_DATA readBack = data;
    EXPECT_EQ(ZEQ_ReadProEEP(h, &readBack), ZEQ_ERR_RECEIVE);
    ASSERT_EQ(ZEQ_WriteProEEP(h, &data), ZEQ_OK);
    EXPECT_EQ(listed(0, ZEQ_FT_OPEN_BY_DESCRIPTION), "ZEQ-NEW");
    std::memset(d, 0, sizeof d);
    std::memset(m, 0, sizeof m);
    data.SelfPowered = 0;
    ASSERT_EQ(ZEQ_ReadProEEP(h, &data), ZEQ_OK);
    EXPECT_STREQ(d, "ZEQ-NEW");
    EXPECT_STREQ(m, "Maker");
    EXPECT_EQ(data.ProductId, 0x6014);
    EXPECT_EQ(data.SelfPowered, 1);
}

TEST_F(FtdiCard, AMoveThroughTheBridgeTakesTheAxisToItsTarget) {
    ZEQ_HANDLE h = open(1);
    ASSERT_EQ(ftdi_standin_query(1, "opened"), 1);
    ASSERT_EQ(ZEQ_SetMCSmaxvel(h, 10.0, 2, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_SetMCSaccel(h, 1.0, 2, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_SetMCSdecel(h, 1.0, 2, 0), ZEQ_OK);
    ASSERT_EQ(ZEQ_MoveAbsolute(h, 5000.0, 2, 0), ZEQ_OK);
    // Card time runs with the exchanges (step clock): poll until the generator rests.
    uint16_t moving = 0xFFFF;
    for (int i = 0; i < 20000 && moving != 0; ++i)
        ASSERT_EQ(ZEQ_GetParam16(h, 25, &moving, 2, 0), ZEQ_OK);  // mcsmoving
    ASSERT_EQ(moving, 0) << "the move never ended";
    double position = 0;
    ASSERT_EQ(ZEQ_GetCurPos(h, &position, 2, 0), ZEQ_OK);
    EXPECT_DOUBLE_EQ(position, 5000.0);
    int32_t mcspos = 0;
    ASSERT_EQ(ZEQ_GetParam32(h, 10, &mcspos, 2, 0), ZEQ_OK);
    EXPECT_EQ(mcspos, 5000);
    EXPECT_EQ(zeq::sim::card(1).reg32(2, 225), 5000);  // curpos on the card
    EXPECT_EQ(zeq::sim::card(1).reg32(1, 225), 0);
}

TEST_F(FtdiCard, AnUnpluggedBridgeFailsItsCallsAndIsReleasedByTheClose) {
    ZEQ_HANDLE h = open(0, "unplug=4");
    int rc = ZEQ_OK;
    for (int i = 0; i < 10 && rc == ZEQ_OK; ++i) rc = ZEQ_SetParam16(h, 12, i, 0, 0);
    EXPECT_NE(rc, ZEQ_OK);
    uint16_t v = 0;
    EXPECT_NE(ZEQ_GetParam16(h, 12, &v, 0, 0), ZEQ_OK);
    ZEQ_Close(h);  // the chip's release fails; the port is given up all the same
    forget(h);
    EXPECT_EQ(ftdi_standin_query(0, "opened"), 0);
    // Plugged in again, it is found and opened as before.
    ASSERT_EQ(count(), 4u);
    h = open(0);
    EXPECT_EQ(ftdi_standin_query(0, "opened"), 1);
    EXPECT_EQ(ZEQ_GetParam16(h, 634, &v, 0, 0), ZEQ_OK);
    EXPECT_EQ(v, 4);
}

TEST_F(FtdiCard, BridgeCallsFromTwoThreadsNeverShareTheContext) {
    // The raw bridge calls take no exchange lock; libftdi must still see one call at a time.
    ZEQ_HANDLE h = open(0);
    ASSERT_EQ(ZEQ_SetTimeouts(h, 5, 5), ZEQ_OK);
    std::atomic<bool> reading{true};
    std::thread purger([&] {
        for (int i = 0; i < 5000 && reading; ++i) {
            ZEQ_Purge(h, ZEQ_PURGE_RX);
            std::this_thread::yield();
        }
    });
    uint8_t buffer[8];
    uint32_t n = 0;
    for (int i = 0; i < 20; ++i) EXPECT_EQ(ZEQ_Read(h, buffer, sizeof buffer, &n), ZEQ_OK);
    reading = false;
    purger.join();
    EXPECT_EQ(ftdi_standin_overlaps(), 0);
}

}  // namespace
}  // namespace zeq::test
