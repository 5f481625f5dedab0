// The serial flash through ports 56 (chip select) and 60 (data), byte by byte as the host
// drives it.
#include "sim_fixture.h"

using namespace simtest;

namespace {

class Flash : public SimFixture {
  protected:
    void select() { send({0xB8, 0x01, 0x00, 0x00}); }
    void release() { send({0xB8, 0x01, 0x01, 0x00}); }
    void out(uint8_t b) { send({0xBC, 0x01, b, 0x00}); }
    uint8_t in() {
        out(0x00);
        send({0xFC, 0x01});
        Bytes b = recv(2);
        EXPECT_EQ(b.size(), 2u);
        return b.empty() ? 0 : b[0];
    }
    uint8_t status() {
        select();
        out(0x05);
        uint8_t s = in();
        release();
        return s;
    }
    int wait_ready() {
        int polls = 0;
        while (status() & 1) {
            if (++polls > 100000) break;
        }
        return polls;
    }
    void write_enable() {
        select();
        out(0x06);
        release();
    }
    void addr(uint32_t a) {
        out(static_cast<uint8_t>(a >> 16));
        out(static_cast<uint8_t>(a >> 8));
        out(static_cast<uint8_t>(a));
    }
    Bytes read(uint32_t a, size_t n) {
        select();
        out(0x03);
        addr(a);
        Bytes r;
        for (size_t i = 0; i < n; ++i) r.push_back(in());
        release();
        return r;
    }
    // The page-program transfer as the host sends it: one write of 1060 bytes.
    void program(uint32_t a, const Bytes& data) {
        Bytes t;
        auto frame = [&](uint8_t port, uint8_t v) { t.insert(t.end(), {port, 0x01, v, 0x00}); };
        frame(0xB8, 0);
        frame(0xBC, 0x06);
        frame(0xB8, 1);
        frame(0xB8, 0);
        frame(0xBC, 0x02);
        frame(0xBC, static_cast<uint8_t>(a >> 16));
        frame(0xBC, static_cast<uint8_t>(a >> 8));
        frame(0xBC, static_cast<uint8_t>(a));
        for (size_t i = 0; i < 256; ++i) frame(0xBC, i < data.size() ? data[i] : 0xFF);
        frame(0xB8, 1);
        ASSERT_EQ(t.size(), 1060u);
        send(t);
    }
};

}  // namespace

TEST_F(Flash, SignatureIdentifiesA4MbitPart) {
    select();
    out(0xAB);
    addr(0);
    EXPECT_EQ(in(), 0x12);
    release();
}

TEST_F(Flash, FreshCardIsErasedAndHasNoPassword) {
    EXPECT_EQ(read(0x3E700, 1), (Bytes{0xFF}));
    EXPECT_EQ(status() & 1, 0);
}

TEST_F(Flash, PageProgramNeedsWriteEnableAndTakesTime) {
    // Without write enable nothing is programmed.
    select();
    out(0x02);
    addr(0x3E800);
    out(0x11);
    release();
    EXPECT_EQ(card->flash_byte(0x3E800), 0xFF);

    program(0x3E800, {0x10, 0x20, 0x30});
    EXPECT_EQ(status() & 1, 1);  // write in progress right after the transfer
    EXPECT_GT(wait_ready(), 0);
    EXPECT_EQ(read(0x3E800, 4), (Bytes{0x10, 0x20, 0x30, 0xFF}));
    // Programming only clears bits.
    program(0x3E800, {0xFF, 0x0F});
    wait_ready();
    EXPECT_EQ(read(0x3E800, 2), (Bytes{0x10, 0x00}));
}

TEST_F(Flash, BusyPartAnswersOnlyItsStatus) {
    program(0x1000, {0x01});
    EXPECT_EQ(read(0x1000, 1), (Bytes{0xFF}));  // read ignored while busy
    wait_ready();
    EXPECT_EQ(read(0x1000, 1), (Bytes{0x01}));
}

TEST_F(Flash, SectorEraseClearsTheWhole64KSector) {
    card->set_flash_byte(0x3E700, 4);  // password length
    card->set_flash_byte(0x3E8FF, 0x00);
    card->set_flash_byte(0x2FFFF, 0x00);  // previous sector
    write_enable();
    select();
    out(0xD8);
    addr(0x3E808);
    release();
    EXPECT_GT(wait_ready(), 0);
    EXPECT_EQ(card->flash_byte(0x3E700), 0xFF);
    EXPECT_EQ(card->flash_byte(0x3E8FF), 0xFF);
    EXPECT_EQ(card->flash_byte(0x30000), 0xFF);
    EXPECT_EQ(card->flash_byte(0x2FFFF), 0x00);
}

TEST_F(Flash, ChipEraseTakesLongerThanASectorErase) {
    card->set_flash_byte(0, 0);
    card->set_flash_byte(0x7FFFF, 0);
    write_enable();
    select();
    out(0xD8);
    addr(0);
    release();
    int sector = wait_ready();
    write_enable();
    select();
    out(0xC7);
    release();
    int chip = wait_ready();
    EXPECT_GT(chip, sector);
    EXPECT_EQ(card->flash_byte(0x7FFFF), 0xFF);
}

TEST_F(Flash, WriteEnableLatchShowsInStatusAndClearsAfterProgram) {
    write_enable();
    EXPECT_EQ(status() & 2, 2);
    program(0, {0});
    wait_ready();
    EXPECT_EQ(status() & 2, 0);
}
