// Firmware files (".bit"): a 16-byte header, then the image. Little-endian words.
//
//   offset 0   4 bytes  magic "ZEQ" and a zero byte
//   offset 4   u16      number of axes the image is built for
//   offset 6   u16      version word: bits 0-3 year digit, bits 4-11 as in `hwversion`
//   offset 8   u16      month (high byte) and day (low byte)
//   offset 10  u16      card kind: 1 = PCI card, 0 = USB card
//   offset 12  u32      always 0xFFFFFFFF
//   offset 16  rest     image bytes
//
// The file is hostile input: its size is checked before it is read, and nothing of it reaches
// a card unless the whole header checks out.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "tools/firmware/card_info.h"

namespace zeq::desk::firmware {

struct BitHeader {
    std::uint16_t axes = 0;
    std::uint16_t version = 0;
    std::uint16_t monthDay = 0;
    std::uint16_t kind = 0;

    int yearDigit() const { return version & 0xF; }
    bool isPci() const { return kind == 1; }
};

struct BitFile {
    BitHeader header;
    std::vector<std::uint8_t> image;
};

enum class BitFileError { None, CannotOpen, NotFirmware, EmptyImage, TooLarge };

constexpr std::size_t kBitHeaderSize = 16;
// The largest flash a card carries (identifier 0x15).
constexpr std::size_t kMaxImageSize = 0x400000;

// The file's text for an error ("" for None).
const char* bitFileErrorText(BitFileError error);

BitFileError parseBitFile(std::span<const std::uint8_t> bytes, BitFile& out);
// Reads and parses the file; a file larger than header + kMaxImageSize is refused unread.
BitFileError loadBitFile(const std::string& path, BitFile& out);

// The axis count equals the card's, and bits 4-11 of the version word equal those of
// `hwversion`.
bool matchesCard(const BitHeader& header, const CardInfo& card);
// The card's firmware date is later than the file's (year digit, then month and day).
bool cardIsNewer(const BitHeader& header, const CardInfo& card);

// The file's version, axis count, date and kind, as the dialog shows them.
std::vector<std::string> bitHeaderLines(const BitHeader& header);

}  // namespace zeq::desk::firmware
