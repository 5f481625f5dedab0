// The libftdi1 backend: what holds without a bridge attached (the factory, listing, opening a
// device that is not there) and its pure parts: status mapping, location ids, EEPROM decoding.
#include "transport/backend_ftdi.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace zeq::bridge {
namespace {

TEST(FtdiFactory, BuiltExactlyWhenLibftdiIs) {
    std::unique_ptr<Backend> backend = make_ftdi_backend();
#ifdef ZEQ_TEST_HAVE_LIBFTDI
    EXPECT_NE(backend, nullptr);
#else
    EXPECT_EQ(backend, nullptr);
#endif
}

TEST(FtdiBackend, ListsWithoutErrorAndRefusesIndexesBeyondTheList) {
    std::unique_ptr<Backend> backend = make_ftdi_backend();
    if (!backend) GTEST_SKIP() << "built without libftdi1";
    std::vector<DeviceInfo> list = backend->list();  // empty on a machine without a bridge
    std::unique_ptr<Port> port;
    EXPECT_EQ(backend->open(list.size(), &port), ZEQ_FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(port, nullptr);
    EXPECT_EQ(backend->open(list.size() + 5, &port), ZEQ_FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(backend->list().size(), list.size());  // listing again sees the same devices
}

TEST(FtdiStatus, MapsLibftdiResultsOntoBridgeStatuses) {
    struct Case {
        FtdiCall call;
        int rc;
        Status expected;
    };
    const Case cases[] = {
        {FtdiCall::open, 0, ZEQ_FT_OK},
        {FtdiCall::open, -4, ZEQ_FT_DEVICE_NOT_OPENED},   // unable to open (access)
        {FtdiCall::open, -5, ZEQ_FT_DEVICE_NOT_OPENED},   // unable to claim (busy)
        {FtdiCall::open, -11, ZEQ_FT_DEVICE_NOT_OPENED},  // kernel driver not detachable
        {FtdiCall::read, 7, ZEQ_FT_OK},
        {FtdiCall::read, -1, ZEQ_FT_IO_ERROR},  // LIBUSB_ERROR_IO
        {FtdiCall::read, -4, ZEQ_FT_IO_ERROR},  // LIBUSB_ERROR_NO_DEVICE (unplugged)
        {FtdiCall::read, -9, ZEQ_FT_IO_ERROR},  // LIBUSB_ERROR_PIPE
        {FtdiCall::read, -666, ZEQ_FT_INVALID_HANDLE},
        {FtdiCall::write, 64, ZEQ_FT_OK},
        {FtdiCall::write, -1, ZEQ_FT_FAILED_TO_WRITE_DEVICE},
        {FtdiCall::write, -666, ZEQ_FT_INVALID_HANDLE},
        {FtdiCall::purge, -1, ZEQ_FT_IO_ERROR},
        {FtdiCall::purge, -2, ZEQ_FT_INVALID_HANDLE},
        {FtdiCall::reset, -1, ZEQ_FT_IO_ERROR},
        {FtdiCall::reset, -2, ZEQ_FT_INVALID_HANDLE},
        {FtdiCall::latency, -1, ZEQ_FT_INVALID_PARAMETER},
        {FtdiCall::latency, -2, ZEQ_FT_IO_ERROR},
        {FtdiCall::latency, -3, ZEQ_FT_INVALID_HANDLE},
        {FtdiCall::eeRead, 0, ZEQ_FT_OK},
        {FtdiCall::eeRead, -1, ZEQ_FT_EEPROM_READ_FAILED},
        {FtdiCall::eeRead, -2, ZEQ_FT_EEPROM_READ_FAILED},
        {FtdiCall::eeProgram, 96, ZEQ_FT_OK},  // ftdi_eeprom_build returns the user area size
        {FtdiCall::eeProgram, -1, ZEQ_FT_EEPROM_WRITE_FAILED},
        {FtdiCall::eeProgram, -3, ZEQ_FT_EEPROM_WRITE_FAILED},
        {FtdiCall::close, -1, ZEQ_FT_IO_ERROR},
        {FtdiCall::close, -3, ZEQ_FT_INVALID_HANDLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "call " << static_cast<int>(c.call) << " rc " << c.rc);
        EXPECT_EQ(ftdi_status(c.call, c.rc), c.expected);
    }
}

TEST(FtdiLocation, FoldsBusAndPortPath) {
    struct Case {
        uint8_t bus;
        std::vector<uint8_t> ports;
        uint32_t expected;
    };
    const Case cases[] = {
        {1, {}, 0x01000000u},
        {1, {3}, 0x01030000u},
        {1, {3, 2}, 0x01032000u},
        {2, {14, 4, 2, 1}, 0x020E4210u},
        {3, {26, 1, 2, 3, 4}, 0x031A1234u},  // a root hub with many ports keeps its number
        {255, {255}, 0xFFFF0000u},
        {1, {3, 0x12}, 0x01033000u},           // hub port 18 folds to digit 1 ^ 2
        {1, {3, 1, 2, 3, 4, 5}, 0x01034234u},  // a sixth level folds into the first hub digit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.expected);
        EXPECT_EQ(fold_usb_location(c.bus, c.ports.data(), static_cast<int>(c.ports.size())),
                  c.expected);
    }
    const uint8_t a[] = {1, 2};
    const uint8_t b[] = {2, 1};
    EXPECT_NE(fold_usb_location(1, a, 2), fold_usb_location(1, b, 2));
    EXPECT_NE(fold_usb_location(1, a, 2), fold_usb_location(2, a, 2));
}

// An EEPROM image laid out as FTDI's chips read it: ids, config, power, and the three string
// descriptors behind their offset/length bytes.
struct Image {
    std::vector<uint8_t> bytes;
    explicit Image(int size) : bytes(static_cast<size_t>(size), 0) {
        bytes[0x02] = 0x03;
        bytes[0x03] = 0x04;  // 0x0403
        bytes[0x04] = 0x14;
        bytes[0x05] = 0x60;  // 0x6014
        bytes[0x08] = 0xA0;  // bus powered, remote wake-up
        bytes[0x09] = 50;    // 100 mA
    }
    // Puts `text` as a string descriptor at `offset` and points the field at 0x0E/0x10/0x12 to it.
    void string(int field, int offset, const std::u16string& text) {
        int length = 2 + 2 * static_cast<int>(text.size());
        bytes[field] = static_cast<uint8_t>(0x80 | offset);
        bytes[field + 1] = static_cast<uint8_t>(length);
        bytes[offset] = static_cast<uint8_t>(length);
        bytes[offset + 1] = 0x03;
        for (size_t i = 0; i < text.size(); ++i) {
            bytes[offset + 2 + 2 * i] = static_cast<uint8_t>(text[i] & 0xFF);
            bytes[offset + 3 + 2 * i] = static_cast<uint8_t>(text[i] >> 8);
        }
    }
    int size() const { return static_cast<int>(bytes.size()); }
};

TEST(FtdiEeprom, DecodesTheHeadOfASoundImage) {
    Image image(0x80);
    image.string(0x0E, 0x1A, u"ZEQ Motion");
    image.string(0x10, 0x30, u"ZEQ-USB 8");
    image.string(0x12, 0x44, u"ZQ4711");
    FtdiEepromHead head;
    ASSERT_TRUE(decode_ftdi_eeprom(image.bytes.data(), image.size(), &head));
    EXPECT_EQ(head.vendorId, 0x0403);
    EXPECT_EQ(head.productId, 0x6014);
    EXPECT_EQ(head.maxPowerMa, 100);
    EXPECT_FALSE(head.selfPowered);
    EXPECT_TRUE(head.remoteWakeup);
    EXPECT_EQ(head.manufacturer, "ZEQ Motion");
    EXPECT_EQ(head.description, "ZEQ-USB 8");
    EXPECT_EQ(head.serial, "ZQ4711");
}

TEST(FtdiEeprom, EmptyStringsAndWideCharacters) {
    Image image(0x100);
    image.string(0x10, 0xA0, u"A\u4E2DB");  // a character beyond one byte
    FtdiEepromHead head;
    ASSERT_TRUE(decode_ftdi_eeprom(image.bytes.data(), image.size(), &head));
    EXPECT_EQ(head.manufacturer, "");
    EXPECT_EQ(head.description, "A?B");
    EXPECT_EQ(head.serial, "");
}

TEST(FtdiEeprom, RejectsBlankUnknownAndOutOfBoundsImages) {
    FtdiEepromHead head;
    head.description = "untouched";

    std::vector<uint8_t> blank(0x80, 0xFF);
    EXPECT_FALSE(decode_ftdi_eeprom(blank.data(), 0x80, &head));
    EXPECT_FALSE(decode_ftdi_eeprom(blank.data(), -1, &head));  // libftdi's blank size

    Image sound(0x80);
    sound.string(0x10, 0x20, u"ZEQ");
    EXPECT_FALSE(decode_ftdi_eeprom(sound.bytes.data(), 0x60, &head));  // not a chip size
    EXPECT_FALSE(decode_ftdi_eeprom(nullptr, 0x80, &head));

    // A descriptor running past the end of the image.
    Image overrun(0x80);
    overrun.bytes[0x12] = 0x80 | 0x70;
    overrun.bytes[0x13] = 0x20;  // 0x70 + 0x20 > 0x80
    EXPECT_FALSE(decode_ftdi_eeprom(overrun.bytes.data(), overrun.size(), &head));

    // An offset byte pointing into the upper half of a small image wraps modulo its size, as the
    // chip reads it; it then runs past the end.
    Image wrapped(0x40);
    wrapped.bytes[0x0E] = 0xF8;  // -> 0x38
    wrapped.bytes[0x0F] = 0x12;  // 0x38 + 0x12 > 0x40
    EXPECT_FALSE(decode_ftdi_eeprom(wrapped.bytes.data(), wrapped.size(), &head));

    EXPECT_EQ(head.description, "untouched");  // a failed decode leaves the output alone
}

}  // namespace
}  // namespace zeq::bridge
