// The serial-flash exports against the virtual card: the frames on the wire, the argument
// checks, and the flash contents actually changing.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "maint_fixture.h"
#include "transport/device.h"
#include "transport/flash.h"
#include "transport/maintenance.h"

namespace zeq::test {
namespace {

using Bytes = std::vector<uint8_t>;

void add_word(Bytes& b, uint8_t reg, uint16_t v) {
    b.insert(b.end(), {static_cast<uint8_t>(0x80 | reg), 0x01, static_cast<uint8_t>(v & 0xFF),
                       static_cast<uint8_t>(v >> 8)});
}
void add_select(Bytes& b) {
    add_word(b, 56, 0);
}
void add_release(Bytes& b) {
    add_word(b, 56, 1);
}
void add_out(Bytes& b, uint8_t v) {
    add_word(b, 60, v);
}

// The page program transfer a card must receive for `data` at `address`.
Bytes page_program(uint32_t address, const Bytes& data) {
    Bytes b;
    add_select(b);
    add_out(b, 0x06);
    add_release(b);
    add_select(b);
    add_out(b, 0x02);
    add_out(b, static_cast<uint8_t>(address >> 16));
    add_out(b, static_cast<uint8_t>(address >> 8));
    add_out(b, static_cast<uint8_t>(address));
    for (size_t i = 0; i < 256; ++i) add_out(b, i < data.size() ? data[i] : 0xFF);
    add_release(b);
    return b;
}

Bytes pattern(size_t n, uint8_t seed) {
    Bytes d(n);
    for (size_t i = 0; i < n; ++i) d[i] = static_cast<uint8_t>(seed + i * 7);
    return d;
}

// Index of the first trace entry equal to `frame` at or after `from`, or -1.
int find_from(const std::vector<std::string>& lines, const std::string& frame, size_t from = 0) {
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i] == frame) return static_cast<int>(i);
    return -1;
}

class FlashTest : public MaintTest {
  protected:
    void writePassword(const std::string& pw) {
        card().set_flash_byte(0x3E700, static_cast<uint8_t>(pw.size()));
        for (size_t i = 0; i < pw.size(); ++i)
            card().set_flash_byte(0x3E708 + static_cast<uint32_t>(i), static_cast<uint8_t>(pw[i]));
    }
};

TEST_F(FlashTest, PageProgramIsOneOrderedByteStreamAndChangesTheFlash) {
    const Bytes data = pattern(256, 3);
    ASSERT_EQ(ZEQ_ReserveWEB(h_, 0x1200, 256, data.data()), ZEQ_OK);
    const auto w = written();
    ASSERT_EQ(w.size(), 1u) << "the 1060-byte transfer goes out as one bridge write";
    EXPECT_EQ(w[0], hex(page_program(0x1200, data)));
    ASSERT_EQ(ZEQ_ReserveWFWE(h_), ZEQ_OK);
    for (uint32_t i = 0; i < 256; ++i) ASSERT_EQ(card().flash_byte(0x1200 + i), data[i]) << i;
}

TEST_F(FlashTest, ShortProgramPadsWithErasedBytesAndLeavesTheRestOfThePage) {
    card().set_flash_byte(0x2010, 0x5A);  // a programmed byte the padding must not disturb
    const Bytes data = {0x11, 0x22, 0x33, 0x44};
    ASSERT_EQ(ZEQ_ReserveWEB(h_, 0x2000, 4, data.data()), ZEQ_OK);
    EXPECT_EQ(written().at(0), hex(page_program(0x2000, data)));
    ASSERT_EQ(ZEQ_ReserveWFWE(h_), ZEQ_OK);
    Bytes back(17);
    ASSERT_EQ(ZEQ_ReserveREB(h_, 0x2000, back.data(), 17), ZEQ_OK);
    EXPECT_EQ(back, (Bytes{0x11, 0x22, 0x33, 0x44, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                           0xFF, 0xFF, 0xFF, 0xFF, 0x5A}));
}

TEST_F(FlashTest, BadArgumentsAreRefusedBeforeAnythingIsSent) {
    const Bytes data(300, 0);
    Bytes buf(16);
    struct Case {
        const char* what;
        int rc;
    } cases[] = {
        {"page program over the page end", ZEQ_ReserveWEB(h_, 0x20F0, 17, data.data())},
        {"page program of more than a page", ZEQ_ReserveWEB(h_, 0x2000, 257, data.data())},
        {"page program, negative count", ZEQ_ReserveWEB(h_, 0x2000, -1, data.data())},
        {"page program, no data", ZEQ_ReserveWEB(h_, 0x2000, 4, nullptr)},
        {"page program beyond 24-bit addresses", ZEQ_ReserveWEB(h_, 0x1000000, 1, data.data())},
        {"read, negative address", ZEQ_ReserveREB(h_, -1, buf.data(), 1)},
        {"read, no buffer", ZEQ_ReserveREB(h_, 0, nullptr, 4)},
        {"erase of a page beyond 24-bit addresses", ZEQ_ReserveEP(h_, 0x10000)},
        {"erase of a negative page", ZEQ_ReserveEP(h_, -1)},
        {"user info 200 + 57", ZEQ_WriteUserInfo(h_, 200, data.data(), 57)},
        {"user info 0 + 257", ZEQ_WriteUserInfo(h_, 0, data.data(), 257)},
        {"user info negative offset", ZEQ_WriteUserInfo(h_, -1, data.data(), 1)},
        {"user info read 250 + 7", ZEQ_ReadUserInfo(h_, 250, buf.data(), 7)},
        {"user info read negative count", ZEQ_ReadUserInfo(h_, 0, buf.data(), -2)},
    };
    for (const Case& c : cases) EXPECT_EQ(c.rc, ZEQ_ERR_ARGUMENT) << c.what;
    EXPECT_TRUE(trace().empty());
}

TEST_F(FlashTest, UnknownHandleGivesSix) {
    const ZEQ_HANDLE bad = h_ + 1000;
    Bytes buf(4);
    int code = 12345;
    EXPECT_EQ(ZEQ_ReserveWFWE(bad), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_ReserveEC(bad), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_ReserveEP(bad, 1), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_ReserveWEB(bad, 0, 4, buf.data()), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_ReserveREB(bad, 0, buf.data(), 4), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_WriteUserInfo(bad, 0, buf.data(), 4), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_ReadUserInfo(bad, 0, buf.data(), 4), ZEQ_ERR_HANDLE);
    EXPECT_EQ(ZEQ_ReserveRID(bad, &code), ZEQ_ERR_HANDLE);
    EXPECT_EQ(code, 12345) << "the out code stays untouched for an unknown handle";
    EXPECT_TRUE(trace().empty());
}

TEST_F(FlashTest, SignatureIsTheFlashsOwn) {
    int code = -1;
    EXPECT_EQ(ZEQ_ReserveRID(h_, &code), 0x12);
    EXPECT_EQ(code, ZEQ_OK);
    const auto w = written();
    ASSERT_GE(w.size(), 6u);
    EXPECT_EQ(w[0], "B8 01 00 00");
    EXPECT_EQ(w[1], "BC 01 AB 00");
    EXPECT_EQ(w[2], "BC 01 00 00");
    EXPECT_EQ(w.back(), "B8 01 01 00");
}

TEST_F(FlashTest, SectorEraseAddressesBytesEightOfThePageAndErasesItsSector) {
    card().set_flash_byte(0x30000, 0x00);
    card().set_flash_byte(0x3FFFF, 0x01);
    card().set_flash_byte(0x2FFFF, 0x02);  // the sector below stays
    ASSERT_EQ(ZEQ_ReserveEP(h_, 0x3E8), ZEQ_OK);
    const auto w = written();
    const int cmd = find_from(w, "BC 01 D8 00");
    ASSERT_GE(cmd, 0);
    ASSERT_GT(w.size(), static_cast<size_t>(cmd + 4));
    EXPECT_EQ(w[cmd + 1], "BC 01 03 00");
    EXPECT_EQ(w[cmd + 2], "BC 01 E8 00");
    EXPECT_EQ(w[cmd + 3], "BC 01 08 00");
    EXPECT_EQ(w[cmd + 4], "B8 01 01 00");
    EXPECT_FALSE(card().flash_busy()) << "the erase waits for the flash";
    EXPECT_EQ(card().flash_byte(0x30000), 0xFF);
    EXPECT_EQ(card().flash_byte(0x3FFFF), 0xFF);
    EXPECT_EQ(card().flash_byte(0x2FFFF), 0x02);
}

TEST_F(FlashTest, ChipEraseErasesEverythingAndWaits) {
    card().set_flash_byte(0x00000, 0x00);
    card().set_flash_byte(0x7FFFF, 0x00);
    ASSERT_EQ(ZEQ_ReserveEC(h_), ZEQ_OK);
    EXPECT_NE(find_from(written(), "BC 01 C7 00"), -1);
    EXPECT_FALSE(card().flash_busy());
    EXPECT_EQ(card().flash_byte(0x00000), 0xFF);
    EXPECT_EQ(card().flash_byte(0x7FFFF), 0xFF);
}

TEST_F(FlashTest, BusyWaitIsBounded) {
    zeq::link::DeviceRecord* dev = zeq::link::find_device(h_);
    ASSERT_NE(dev, nullptr);
    // Start a chip erase without waiting for it, then wait with no time to spare.
    ASSERT_EQ(zeq::link::flash_write_enable(dev), ZEQ_OK);
    ASSERT_EQ(zeq::link::flash_select(dev), ZEQ_OK);
    ASSERT_EQ(zeq::link::flash_byte_out(dev, 0xC7), ZEQ_OK);
    ASSERT_EQ(zeq::link::flash_release(dev), ZEQ_OK);
    ASSERT_TRUE(card().flash_busy());
    EXPECT_EQ(zeq::link::flash_wait_ready(dev, std::chrono::milliseconds(0)), ZEQ_ERR_TIMEOUT);
    EXPECT_EQ(ZEQ_ReserveWFWE(h_), ZEQ_OK) << "the export's bound outlasts a chip erase";
    EXPECT_FALSE(card().flash_busy());
}

TEST_F(FlashTest, FailedStatusReadsCountAsBusyOnlyTwice) {
    // Each status read makes one 2-byte bridge read; a short read fails it.
    struct Case {
        const char* faults;
        int rc;
    } cases[] = {{"short=2", ZEQ_OK}, {"short=3", ZEQ_ERR_TIMEOUT}};
    for (const Case& c : cases) {
        ASSERT_TRUE(card().set_faults(c.faults));
        EXPECT_EQ(ZEQ_ReserveWFWE(h_), c.rc) << c.faults;
        card().clear_faults();
    }
}

TEST_F(FlashTest, UserInfoWriteErasesPage3E8AndProgramsAt3E800) {
    const Bytes data = pattern(256, 9);
    ASSERT_EQ(ZEQ_WriteUserInfo(h_, 0, data.data(), 256), ZEQ_OK);
    const auto w = written();
    const int erase = find_from(w, "BC 01 D8 00");
    ASSERT_GE(erase, 0);
    EXPECT_EQ(w.at(erase + 1), "BC 01 03 00");
    EXPECT_EQ(w.at(erase + 2), "BC 01 E8 00");
    EXPECT_EQ(w.at(erase + 3), "BC 01 08 00");
    EXPECT_GT(find_from(w, hex(page_program(0x3E800, data)), erase), erase);
    for (uint32_t i = 0; i < 256; ++i) ASSERT_EQ(card().flash_byte(0x3E800 + i), data[i]) << i;
}

TEST_F(FlashTest, UserInfoWriteAtAnOffsetLeavesTheRestErased) {
    card().set_flash_byte(0x3E800, 0x00);
    const Bytes data = pattern(20, 1);
    ASSERT_EQ(ZEQ_WriteUserInfo(h_, 100, data.data(), 20), ZEQ_OK);
    Bytes page(256);
    ASSERT_EQ(ZEQ_ReadUserInfo(h_, 0, page.data(), 256), ZEQ_OK);
    for (int i = 0; i < 256; ++i) {
        const uint8_t want = (i >= 100 && i < 120) ? data[i - 100] : 0xFF;
        ASSERT_EQ(page[i], want) << i;
    }
}

TEST_F(FlashTest, UserInfoReadStartsAtTheOffset) {
    for (uint32_t i = 0; i < 256; ++i) card().set_flash_byte(0x3E800 + i, static_cast<uint8_t>(i));
    Bytes buf(20);
    ASSERT_EQ(ZEQ_ReadUserInfo(h_, 10, buf.data(), 20), ZEQ_OK);
    const auto w = written();
    ASSERT_GE(w.size(), 5u);
    EXPECT_EQ(w[0], "B8 01 00 00");
    EXPECT_EQ(w[1], "BC 01 03 00");
    EXPECT_EQ(w[2], "BC 01 03 00");
    EXPECT_EQ(w[3], "BC 01 E8 00");
    EXPECT_EQ(w[4], "BC 01 0A 00");
    for (int i = 0; i < 20; ++i) EXPECT_EQ(buf[i], 10 + i);
}

TEST_F(FlashTest, UserInfoWriteKeepsTheCardPassword) {
    writePassword("secret7");
    card().set_flash_byte(0x3E701, 0x42);  // bytes between length and characters stay too
    const Bytes data = pattern(256, 5);
    ASSERT_EQ(ZEQ_WriteUserInfo(h_, 0, data.data(), 256), ZEQ_OK);
    EXPECT_EQ(card().flash_byte(0x3E700), 7);
    EXPECT_EQ(card().flash_byte(0x3E701), 0x42);
    for (uint32_t i = 0; i < 7; ++i)
        EXPECT_EQ(card().flash_byte(0x3E708 + i), static_cast<uint8_t>("secret7"[i]));
    EXPECT_EQ(card().flash_byte(0x3E800), data[0]);

    // The card still opens with its password, and refuses another one.
    ZEQ_HANDLE h2 = 0;
    ASSERT_EQ(ZEQ_Close(h_), ZEQ_OK);
    forget(h_);
    ASSERT_EQ(ZEQ_OpenUsePassword(0, &h2, "secret7"), ZEQ_OK);
    ASSERT_EQ(ZEQ_Close(h2), ZEQ_OK);
    EXPECT_EQ(ZEQ_OpenUsePassword(0, &h2, "secret8"), ZEQ_ERR_PASSWORD);
}

TEST_F(FlashTest, UserInfoWriteWithoutPasswordProgramsOnlyTheUserPage) {
    card().set_flash_byte(0x3E708, 0x33);  // no length byte: not a record, erased with the rest
    const Bytes data = pattern(8, 2);
    ASSERT_EQ(ZEQ_WriteUserInfo(h_, 0, data.data(), 8), ZEQ_OK);
    const auto w = written();
    EXPECT_EQ(
        std::count_if(w.begin(), w.end(), [](const std::string& l) { return l.size() > 1000; }), 1)
        << "one page program only";
    EXPECT_EQ(card().flash_byte(0x3E700), 0xFF);
    EXPECT_EQ(card().flash_byte(0x3E708), 0xFF);
}

}  // namespace
}  // namespace zeq::test
