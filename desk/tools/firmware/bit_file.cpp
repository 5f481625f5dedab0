#include "tools/firmware/bit_file.h"

#include <cstdio>
#include <fstream>

#include "tools/firmware/firmware_messages.h"

namespace zeq::desk::firmware {

namespace {
std::uint16_t u16At(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t u32At(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(u16At(b, at)) |
           (static_cast<std::uint32_t>(u16At(b, at + 2)) << 16);
}
}  // namespace

const char* bitFileErrorText(BitFileError error) {
    switch (error) {
        case BitFileError::None:
            return "";
        case BitFileError::CannotOpen:
            return msg::kCannotOpenFile;
        case BitFileError::NotFirmware:
            return msg::kNotFirmwareFile;
        case BitFileError::EmptyImage:
            return msg::kFileEmptyImage;
        case BitFileError::TooLarge:
            return msg::kFileTooLarge;
    }
    return msg::kNotFirmwareFile;
}

BitFileError parseBitFile(std::span<const std::uint8_t> bytes, BitFile& out) {
    if (bytes.size() < kBitHeaderSize) return BitFileError::NotFirmware;
    if (bytes[0] != 'Z' || bytes[1] != 'E' || bytes[2] != 'Q' || bytes[3] != 0)
        return BitFileError::NotFirmware;
    if (u32At(bytes, 12) != 0xFFFFFFFFu) return BitFileError::NotFirmware;
    if (bytes.size() == kBitHeaderSize) return BitFileError::EmptyImage;
    if (bytes.size() - kBitHeaderSize > kMaxImageSize) return BitFileError::TooLarge;
    out.header.axes = u16At(bytes, 4);
    out.header.version = u16At(bytes, 6);
    out.header.monthDay = u16At(bytes, 8);
    out.header.kind = u16At(bytes, 10);
    out.image.assign(bytes.begin() + kBitHeaderSize, bytes.end());
    return BitFileError::None;
}

BitFileError loadBitFile(const std::string& path, BitFile& out) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return BitFileError::CannotOpen;
    const std::streamoff size = in.tellg();
    if (size < 0) return BitFileError::CannotOpen;
    if (static_cast<std::uint64_t>(size) > kBitHeaderSize + kMaxImageSize) {
        // Only the header decides whether it is a firmware file at all.
        std::vector<std::uint8_t> head(kBitHeaderSize);
        in.seekg(0);
        in.read(reinterpret_cast<char*>(head.data()), kBitHeaderSize);
        BitFile probe;
        if (!in || parseBitFile(head, probe) == BitFileError::NotFirmware)
            return BitFileError::NotFirmware;
        return BitFileError::TooLarge;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    in.seekg(0);
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size))
        return BitFileError::CannotOpen;
    return parseBitFile(bytes, out);
}

bool matchesCard(const BitHeader& header, const CardInfo& card) {
    return header.axes == card.axisCount() &&
           (header.version & 0x0FF0) == (card.hwversion & 0x0FF0);
}

bool cardIsNewer(const BitHeader& header, const CardInfo& card) {
    if (header.yearDigit() != card.yearDigit()) return header.yearDigit() < card.yearDigit();
    return header.monthDay < card.fwversion;
}

std::vector<std::string> bitHeaderLines(const BitHeader& header) {
    char version[16], date[32];
    std::snprintf(version, sizeof version, msg::kVersionFormat, header.version);
    std::snprintf(date, sizeof date, msg::kDateFormat, static_cast<unsigned>(header.yearDigit()),
                  static_cast<unsigned>(header.monthDay >> 8),
                  static_cast<unsigned>(header.monthDay & 0xFF));
    return {
        std::string("版本: ") + version,
        "轴数: " + std::to_string(header.axes),
        std::string("日期: ") + date,
        std::string("类型: ") + (header.isPci() ? msg::kKindPci : msg::kKindUsb),
    };
}

}  // namespace zeq::desk::firmware
