// The wire protocol of the virtual card, byte for byte through a raw bridge port.
#include "sim_fixture.h"

using namespace simtest;
namespace reg = zeq::sim::reg;

using DeviceList = SimFixture;
using Protocol = SimFixture;

TEST_F(DeviceList, ListsConfiguredCardsWithDescriptionSerialAndLocation) {
    auto list = backend->list();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].description, "ZEQ-SIM0");
    EXPECT_EQ(list[1].description, "ZEQ-SIM1");
    EXPECT_EQ(list[0].serial, "ZEQSIM0");
    EXPECT_EQ(list[1].serial, "ZEQSIM1");
    EXPECT_NE(list[0].location, list[1].location);
    setenv("ZEQLINK_SIM", "0", 1);
    EXPECT_TRUE(backend->list().empty());
    std::unique_ptr<zeq::bridge::Port> p;
    EXPECT_EQ(backend->open(0, &p), ZEQ_FT_DEVICE_NOT_FOUND);
}

TEST_F(DeviceList, OneOpenPerCardAndStateSurvivesReopen) {
    std::unique_ptr<zeq::bridge::Port> second;
    EXPECT_EQ(backend->open(0, &second), ZEQ_FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(backend->open(1, &second), ZEQ_FT_OK);
    EXPECT_EQ(backend->open(2, &second), ZEQ_FT_DEVICE_NOT_FOUND);

    send(write16(0, 0, 307, 0x4321));
    card->set_flash_byte(0x100, 0x5A);
    EXPECT_EQ(port->close(), ZEQ_FT_OK);
    uint8_t b = 0;
    uint32_t n = 0;
    EXPECT_EQ(port->write(&b, 1, &n), ZEQ_FT_INVALID_HANDLE);
    EXPECT_EQ(port->close(), ZEQ_FT_INVALID_HANDLE);

    ASSERT_EQ(backend->open(0, &port), ZEQ_FT_OK);
    EXPECT_EQ(card->reg16(0, 307), 0x4321);
    EXPECT_EQ(card->flash_byte(0x100), 0x5A);
}

TEST_F(DeviceList, AxisCountComesFromTheEnvironment) {
    port.reset();
    setenv("ZEQLINK_SIM_AXES", "6", 1);
    ASSERT_EQ(backend->open(0, &port), ZEQ_FT_OK);
    EXPECT_EQ(card->reg16(0, reg::naxis), 6);
    EXPECT_EQ(card->reg16(0, reg::hwversion) & 0x0F00, 0x0600);
    EXPECT_EQ(card->reg16(0, reg::hwversion) & 0x00F0, 0);  // USB card
}

TEST_F(Protocol, Write16ThroughImmediateFifo) {
    send({0x80, 0x05, 0x0C, 0x84, 0x34, 0x12, 0x40, 0x96});
    EXPECT_EQ(card->reg16(1, 12), 0x1234);
    EXPECT_EQ(status(0x4C), 0x00);
    EXPECT_EQ(card->executed(0), 1u);
}

TEST_F(Protocol, ReadNaxisRepliesValueThenChecksum) {
    send({0x80, 0x03, 0x7A, 0x02, 0x7A, 0x02});
    EXPECT_EQ(status(0x4C), 0x00);
    EXPECT_EQ(status(0x49) & 0x08, 0);  // immediate read-back FIFO no longer empty
    send({0xC0, 0x01});
    EXPECT_EQ(recv(2), (Bytes{0x04, 0x00}));
    send({0xC0, 0x01});
    EXPECT_EQ(recv(2), (Bytes{0x7E, 0x02}));  // 0x027A + 4
    EXPECT_EQ(status(0x49) & 0x08, 0x08);
}

TEST_F(Protocol, Read32And48WithChecksums) {
    card->poke16(1, 225, 0x2345);
    card->poke16(1, 226, 0x0001);
    send(read_cmd(4, 32, 1, 225));
    send({0xC4, 0x03, 0xC4, 0x01});  // value, then checksum, in one write
    EXPECT_EQ(recv(6), (Bytes{0x45, 0x23, 0x01, 0x00, 0x27, 0x48}));

    card->write48(2, 337, -5);
    send(read_cmd(0, 48, 2, 337));
    send({0xC0, 0x05});
    Bytes v = recv(6);
    EXPECT_EQ(v, (Bytes{0xFB, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}));
    uint16_t c = word(0);
    EXPECT_EQ(c, static_cast<uint16_t>(cmd(2, 2, 337) + 0xFFFB + 0xFFFF + 0xFFFF));
}

TEST_F(Protocol, BadChecksumBlockIsNotTakenUntilSentRight) {
    Bytes bad = write16(0, 0, 307, 7);
    bad.back() ^= 0x01;
    send(bad);
    EXPECT_EQ(status(0x4C), 0x02);
    EXPECT_EQ(card->reg16(0, 307), 0);
    EXPECT_EQ(card->refused(0), 1u);
    Bytes badq = write16(4, 0, 308, 7);
    badq[3] ^= 0x40;
    send(badq);
    EXPECT_EQ(status(0x4C), 0x03);
    send(write16(0, 0, 307, 7));
    EXPECT_EQ(status(0x4C), 0x01);
    send(write16(4, 0, 308, 7));
    EXPECT_EQ(status(0x4C), 0x00);
    EXPECT_EQ(card->reg16(0, 307), 7);
    EXPECT_EQ(card->reg16(0, 308), 7);
}

TEST_F(Protocol, FramesMayShareAWriteOrBeSplitAcrossWrites) {
    Bytes all = write16(0, 0, 307, 1);
    Bytes second = write32(0, 0, 317, 0x12345678);
    all.insert(all.end(), second.begin(), second.end());
    all.push_back(0x4C);
    send(all);
    EXPECT_EQ(recv(4), (Bytes{0x00}));
    EXPECT_EQ(card->reg16(0, 307), 1);
    EXPECT_EQ(card->reg32(0, 317), 0x12345678);

    Bytes w = write32(4, 3, 12, 0xCAFEBABE);
    for (uint8_t b : w) {
        EXPECT_EQ(card->reg32(3, 12), 0);
        send({b});
    }
    EXPECT_EQ(static_cast<uint32_t>(card->reg32(3, 12)), 0xCAFEBABEu);
}

TEST_F(Protocol, RawWordsAssembleIntoABlock) {
    // ZEQ_SetWordData sends one word per transfer; the card assembles them into a block.
    const uint16_t c = cmd(4, 0, 309);
    for (uint16_t w : {c, uint16_t(99), uint16_t(c + 99)}) {
        send({0x80, 0x01, static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8)});
        if (w != c + 99) {
            EXPECT_EQ(status(0x4C), 0x02);
        }
    }
    EXPECT_EQ(status(0x4C), 0x00);
    EXPECT_EQ(card->reg16(0, 309), 99);
}

TEST_F(Protocol, FifoStatusBits) {
    EXPECT_EQ(status(0x49), 0x0A);  // both read-back FIFOs empty, nothing half full
    send(read_cmd(4, 16, 0, reg::naxis));
    EXPECT_EQ(status(0x49), 0x08);
    send(read_cmd(0, 16, 0, reg::naxis));
    EXPECT_EQ(status(0x49), 0x00);
    // Holding the queue fills it: a wait-to-zero on a non-zero register.
    card->poke16(0, 310, 1);
    send(block(4, {cmd(7, 0, 310)}));
    for (int i = 0; i < 256; ++i) send(write16(4, 0, 311, static_cast<uint16_t>(i)));
    EXPECT_EQ(status(0x49) & 0x10, 0x10);
    EXPECT_EQ(status(0x49) & 0x40, 0x00);
}

TEST_F(Protocol, DataStatusReportsReadBackHalfFull) {
    EXPECT_EQ(status(0x48), 0x00);
    for (int i = 0; i < 64; ++i) send(read_cmd(0, 16, 0, reg::naxis));  // 128 words = half
    EXPECT_EQ(status(0x48) & 0x05, 0x04);
    for (int i = 0; i < 64; ++i) send(read_cmd(4, 16, 0, reg::naxis));
    EXPECT_EQ(status(0x48) & 0x05, 0x05);
}

TEST_F(Protocol, ReadBackFifoFullHoldsTheReadUntilDrained) {
    for (int i = 0; i < 130; ++i) send(read_cmd(0, 16, 0, reg::naxis));
    EXPECT_EQ(card->readback_words(0), 256u);
    EXPECT_EQ(card->fifo_words(0), 2u);  // two reads wait for room
    for (int i = 0; i < 4; ++i) word(0);
    EXPECT_EQ(card->fifo_words(0), 0u);
    EXPECT_EQ(card->readback_words(0), 256u);
}

TEST_F(Protocol, ClearFifoWritesEmptyTheOtherFifo) {
    card->poke16(0, 310, 1);
    send(block(4, {cmd(7, 0, 310)}));
    send(write16(4, 0, 311, 5));
    EXPECT_GT(card->fifo_words(1), 0u);
    send({0x80, 0x05, 0x09, 0x82, 0xFF, 0xFF, 0x08, 0x82});  // clrqfifo through the immediate FIFO
    EXPECT_EQ(card->fifo_words(1), 0u);
    card->poke16(0, 310, 0);
    card->run_ticks(2);
    EXPECT_EQ(card->reg16(0, 311), 0);  // the cleared write never ran

    // The immediate FIFO, stalled by a wait, is cleared through the queue FIFO.
    card->poke16(0, 310, 1);
    send(block(0, {cmd(7, 0, 310)}));
    send(write16(0, 0, 311, 6));
    EXPECT_GT(card->fifo_words(0), 0u);
    send({0x84, 0x05, 0x01, 0x82, 0xFF, 0xFF, 0x00, 0x82});
    EXPECT_EQ(card->fifo_words(0), 0u);
}

TEST_F(Protocol, QueueHoldsOnWaitTokenUntilMaskedValueMatches) {
    send(write16(0, 0, reg::waitfilt, 0x00FF));
    send(write16(0, 0, reg::waitequ, 0x0012));
    send({0x84, 0x03, 0x33, 0x69, 0x33, 0x69});  // wait token on address 307 of axis 2
    send(write16(4, 0, 308, 42));
    card->run_ticks(3);
    EXPECT_EQ(card->reg16(0, 308), 0);
    card->poke16(2, 307, 0x3412);  // high byte is masked off
    card->run_ticks(1);
    EXPECT_EQ(card->reg16(0, 308), 42);
    EXPECT_EQ(card->executed(1), 2u);
}

TEST_F(Protocol, QueueHoldsOnWaitToZero) {
    card->poke16(1, 312, 3);
    send(block(4, {cmd(7, 1, 312)}));
    send(write32(4, 0, 319, 77));
    send(read_cmd(4, 16, 0, 319));
    card->run_ticks(5);
    EXPECT_EQ(card->reg32(0, 319), 0);
    EXPECT_EQ(status(0x49) & 0x02, 0x02);
    card->poke16(1, 312, 0);
    card->run_ticks(1);
    EXPECT_EQ(card->reg32(0, 319), 77);
    EXPECT_EQ(word(4), 77);
}

TEST_F(Protocol, ReadOnlyRegistersIgnoreWrites) {
    send(write16(0, 0, reg::naxis, 7));
    EXPECT_EQ(card->reg16(0, reg::naxis), 4);
    EXPECT_EQ(status(0x4C), 0x00);  // the block is taken all the same
}

TEST_F(Protocol, VersionRegistersArePlausible) {
    EXPECT_EQ(card->reg16(0, reg::hwversion), 0x0408);
    EXPECT_NE(card->reg16(0, reg::fwversion), 0);
    EXPECT_EQ(card->reg32(0, reg::sysclk), 100'000'000);
}

TEST_F(Protocol, InternalRegisterWindow) {
    card->set_internal_reg(5, 0xBEEF);
    send({0x88, 0x01, 0x05, 0x80, 0x88, 0x01, 0x05, 0x80, 0xCC, 0x01});
    EXPECT_EQ(recv(2), (Bytes{0xEF, 0xBE}));
    send({0x88, 0x01, 0x06, 0x80, 0x8C, 0x01, 0x34, 0x12});
    EXPECT_EQ(card->internal_reg(6), 0x1234);
}

TEST_F(Protocol, CardResetHaltsImmediateFifoUntilStarted) {
    send(write16(0, 0, 307, 9));
    send({0x7F, 0x5A});
    EXPECT_EQ(card->reg16(0, 307), 0);  // registers back to power-on
    send(write16(0, 0, 307, 10));
    EXPECT_EQ(status(0x4C), 0x00);      // taken …
    EXPECT_EQ(card->reg16(0, 307), 0);  // … but not run
    send({0x88, 0x01, 0x00, 0x00});
    EXPECT_EQ(card->reg16(0, 307), 10);
}

TEST_F(Protocol, PurgeDropsRepliesAndPartialFrames) {
    send({0x49, 0x49});
    EXPECT_EQ(port->purge(ZEQ_PURGE_RX), ZEQ_FT_OK);
    EXPECT_TRUE(recv(4).empty());
    send({0x80, 0x05, 0x33});  // an unfinished frame …
    EXPECT_EQ(port->purge(ZEQ_PURGE_TX), ZEQ_FT_OK);
    send({0x4C});  // … no longer swallows what follows
    EXPECT_EQ(recv(1), (Bytes{0x00}));
}

TEST_F(Protocol, ContourBlocksFillTheContourFifo) {
    send({0x90, 0x07, 0x02, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0x00, 0x00});
    EXPECT_EQ(status(0x48) & 0x04, 0);
    EXPECT_EQ(card->contour_words(), 2u);
    EXPECT_EQ(card->reg16(0, reg::cfifocnt), 2);
    send({0x90, 0x07, 0x02, 0x00, 0x01, 0x00, 0xFF, 0xFF, 0x01, 0x00});  // wrong checksum
    EXPECT_EQ(status(0x48) & 0x04, 0x04);
    EXPECT_EQ(card->contour_words(), 2u);
    send(write16(0, 0, reg::cfifocnt, 0));
    EXPECT_EQ(card->contour_words(), 0u);
    EXPECT_EQ(card->reg16(0, reg::cfifocnt), 0);
}

TEST_F(Protocol, ContourFifoFullBit) {
    card->set_depths(256, 1024, 256, 256);
    Bytes b{0x90, 0xFF, 126, 0x00};
    for (int i = 0; i < 126; ++i) b.insert(b.end(), {0x01, 0x00});
    b.insert(b.end(), {126, 0x00});
    send(b);
    EXPECT_EQ(status(0x48) & 0x01, 0x00);
    send(b);
    EXPECT_EQ(status(0x48) & 0x01, 0x01);  // 4 words left: a largest block no longer fits
    EXPECT_EQ(card->contour_words(), 252u);
}

TEST_F(Protocol, MachineDataIsFourGroupsOfTenBytes) {
    card->poke16(1, reg::encp, 0x5678);
    card->poke16(1, reg::encp + 1, 0x1234);
    card->poke16(2, reg::error, 0x0003);
    send({0xD0, 0x27});
    Bytes d = recv(40);
    ASSERT_EQ(d.size(), 40u);
    EXPECT_EQ(Bytes(d.begin() + 10, d.begin() + 14), (Bytes{0x78, 0x56, 0x34, 0x12}));
    EXPECT_EQ(d[26], 0x03);
}

TEST_F(Protocol, GraphDataBecomesReadyAndDrains) {
    card->set_graph_capture(false);
    card->set_graph_capture(true);
    EXPECT_EQ(status(0x48) & 0x10, 0);
    card->run_ticks(16);
    EXPECT_EQ(status(0x48) & 0x10, 0x10);
    send({0xD0, 0xFF});
    EXPECT_EQ(recv(256).size(), 256u);
    EXPECT_EQ(status(0x48) & 0x10, 0);
}

TEST_F(Protocol, BridgeEepromReadAndProgram) {
    char m[64], mi[64], d[64], s[64];
    ZEQ_EEPROM_DATA e{};
    e.Manufacturer = m;
    e.ManufacturerId = mi;
    e.Description = d;
    e.SerialNumber = s;
    ASSERT_EQ(port->eeRead(&e), ZEQ_FT_OK);
    EXPECT_STREQ(d, "ZEQ-SIM0");
    EXPECT_STREQ(s, "ZEQSIM0");
    char nd[] = "LINE-3";
    e.Description = nd;
    ASSERT_EQ(port->eeProgram(&e), ZEQ_FT_OK);
    EXPECT_EQ(backend->list()[0].description, "LINE-3");
}

TEST_F(Protocol, ArbitraryBytesNeverBreakTheCard) {
    // Random frames of every kind (fixed seed), split at random points.
    uint32_t seed = 12345;
    auto next = [&]() {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<uint8_t>(seed >> 24);
    };
    Bytes junk;
    for (int i = 0; i < 200'000; ++i) junk.push_back(next());
    for (size_t at = 0; at < junk.size();) {
        size_t n = std::min<size_t>(1 + next() % 300, junk.size() - at);
        send(Bytes(junk.begin() + at, junk.begin() + at + n));
        at += n;
        recv(4096);
    }
    // After a card reset, a purge and the start frame, the card answers as a fresh one.
    card->clear_faults();
    send(Bytes(300, 0x00));  // ends any transfer still waiting for its data
    send({0x7F, 0x5A, 0x88, 0x01, 0x00, 0x00});
    ASSERT_EQ(port->purge(ZEQ_PURGE_RX | ZEQ_PURGE_TX), ZEQ_FT_OK);
    card->run_ticks(1);
    send({0x80, 0x03, 0x7A, 0x02, 0x7A, 0x02});
    EXPECT_EQ(word(0), 4);
    EXPECT_EQ(word(0), 0x027E);
    EXPECT_EQ(status(0x4C), 0x00);
}
