#include "tools/firmware/firmware_update.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "binding/device_wrappers.h"
#include "tools/firmware/firmware_messages.h"
#include "tools/firmware/password_record.h"

namespace zeq::desk::firmware {

using namespace std::chrono_literals;

std::uint32_t flashCapacity(int identifier) {
    switch (identifier) {
        case 0x10:
            return 0x20000;
        case 0x11:
            return 0x40000;
        case 0x12:
            return 0x80000;
        case 0x13:
            return 0x100000;
        case 0x14:
            return 0x200000;
        case 0x15:
            return 0x400000;
        default:
            return 0;
    }
}

bool FirmwareUpdate::confirmStop(UserDialogs& dialogs) {
    if (!m_running) return false;
    if (dialogs.askYesNo(msg::kConfirmStop, UserDialogs::Answer::No) != UserDialogs::Answer::Yes)
        return false;
    requestStop();
    return true;
}

bool FirmwareUpdate::mayClose(UserDialogs& dialogs) {
    if (!m_running) return true;
    if (dialogs.askYesNo(msg::kStopFirst, UserDialogs::Answer::No) == UserDialogs::Answer::Yes)
        confirmStop(dialogs);
    return false;
}

UpdateResult FirmwareUpdate::run(const UpdateRequest& request) {
    if (request.handle == 0) {
        m_dialogs.message(msg::kChooseDevice);
        return UpdateResult::Failed;
    }
    if (!request.card.canUpdate()) {
        m_dialogs.message(msg::kNoUpdateFunction);
        return UpdateResult::Failed;
    }
    m_stop = false;
    // A USB card's bridge is reset first, so that nothing left in its buffers meets the
    // flash commands.
    if (request.card.kind() == CardKind::Usb) {
        ResetDevice(request.handle);
        m_clock.sleepFor(500ms);
    }
    if (request.path.empty()) {
        m_dialogs.message(msg::kChooseFileFirst);
        return UpdateResult::Failed;
    }
    m_running = true;
    m_observer.runningChanged(true);
    const UpdateResult result = sequence(request);
    if (request.card.kind() == CardKind::Usb) ResetDevice(request.handle);
    m_running = false;
    m_observer.runningChanged(false);
    return result;
}

UpdateResult FirmwareUpdate::sequence(const UpdateRequest& request) {
    const ZEQ_HANDLE h = request.handle;
    BitFile file;
    if (const BitFileError e = loadBitFile(request.path, file); e != BitFileError::None) {
        m_dialogs.message(bitFileErrorText(e));
        return UpdateResult::Failed;
    }
    if (!matchesCard(file.header, request.card)) {
        m_dialogs.message(msg::kMismatch);
        return UpdateResult::Failed;
    }
    if (cardIsNewer(file.header, request.card) &&
        m_dialogs.askYesNo(msg::kCardIsNewer, UserDialogs::Answer::No) != UserDialogs::Answer::Yes)
        return UpdateResult::Declined;
    const CardKind fileKind = file.header.isPci() ? CardKind::Pci : CardKind::Usb;
    // A PCI card loads its configuration with the bit order of every byte mirrored.
    if (fileKind == CardKind::Pci)
        for (std::uint8_t& b : file.image) b = static_cast<std::uint8_t>(Reverse(b));
    if (!checkPassword(h, fileKind, request.oldPassword, request.newPassword, m_dialogs))
        return UpdateResult::Failed;

    m_observer.status(msg::kPreparing);
    int code = ZEQ_OK;
    const int identifier = ReadID25(h, &code);
    const std::uint32_t capacity = code == ZEQ_OK ? flashCapacity(identifier) : 0;
    // An image that does not fit would be written past the chip's end; refused before the
    // chip is erased.
    if (capacity == 0 || file.image.size() > capacity) {
        m_dialogs.message(msg::kUpdateFailed);
        return UpdateResult::Failed;
    }
    if (!probeCapacity(h, capacity) || myEraseChip(h) != ZEQ_OK) {
        m_dialogs.message(msg::kUpdateFailed);
        return UpdateResult::Failed;
    }
    m_observer.status(msg::kReady);

    const std::size_t size = file.image.size();
    std::size_t written = 0;
    int blocks = 0;
    while (written < size) {
        if (m_stop) break;
        const std::size_t n = std::min(kBlockSize, size - written);
        int status = myWriteEEPROMBlock(h, static_cast<int>(written), static_cast<int>(n),
                                        file.image.data() + written);
        if (status == ZEQ_OK) {
            m_clock.sleepFor(1ms);
            status = EEPWaitForWrite(h);
        }
        if (status != ZEQ_OK) {
            m_dialogs.message(msg::kWriteFailed);
            return UpdateResult::Failed;
        }
        written += n;
        if (++blocks % kProgressEvery == 0) {
            char line[64];
            std::snprintf(line, sizeof line, msg::kProgressFormat,
                          static_cast<int>(static_cast<std::uint64_t>(written) * 100 / size));
            m_observer.status(line);
        }
    }
    const bool writingStopped = written < size;
    if (!writingStopped && !request.newPassword.empty() &&
        writePasswordRecord(h, fileKind, request.newPassword) != ZEQ_OK)
        m_dialogs.message(msg::kPasswordChangeFailed);

    // The stop that ended the writing is spent: the written part is still verified, and a new
    // stop ends the verification.
    m_stop = false;
    m_observer.status(fileKind == CardKind::Pci ? msg::kVerifyingPci : msg::kVerifyingUsb);
    const int verified = verify(h, file.image, written);
    UpdateResult result;
    if (verified < 0) {
        m_dialogs.message(msg::kVerifyFailed);
        result = UpdateResult::Failed;
    } else if (writingStopped) {
        m_dialogs.message(msg::kUpdateStopped);
        result = UpdateResult::WritingStopped;
    } else if (verified == 0) {
        m_dialogs.message(msg::kVerifyStopped);
        result = UpdateResult::VerifyStopped;
    } else {
        m_dialogs.message(msg::kUpdateComplete);
        result = UpdateResult::Complete;
    }
    return result;
}

bool FirmwareUpdate::probeCapacity(ZEQ_HANDLE h, std::uint32_t capacity) {
    const std::uint32_t at = capacity - 16;
    const std::uint8_t word[4] = {
        static_cast<std::uint8_t>(kProbeWord), static_cast<std::uint8_t>(kProbeWord >> 8),
        static_cast<std::uint8_t>(kProbeWord >> 16), static_cast<std::uint8_t>(kProbeWord >> 24)};
    std::uint8_t back[4] = {};
    return ZEQ_ErasePage(h, static_cast<int>(at / 256)) == ZEQ_OK &&
           myWriteEEPROMBlock(h, static_cast<int>(at), 4, word) == ZEQ_OK &&
           EEPWaitForWrite(h) == ZEQ_OK &&
           ZEQ_ReadEEPBlock(h, static_cast<int>(at), back, 4) == ZEQ_OK &&
           std::memcmp(word, back, 4) == 0;
}

int FirmwareUpdate::verify(ZEQ_HANDLE h, const std::vector<std::uint8_t>& image,
                           std::size_t length) {
    std::uint8_t block[kBlockSize];
    for (std::size_t at = 0; at < length; at += kBlockSize) {
        if (m_stop) return 0;
        const std::size_t n = std::min(kBlockSize, length - at);
        if (ZEQ_ReadEEPBlock(h, static_cast<int>(at), block, static_cast<int>(n)) != ZEQ_OK ||
            std::memcmp(block, image.data() + at, n) != 0)
            return -1;
    }
    return 1;
}

}  // namespace zeq::desk::firmware
