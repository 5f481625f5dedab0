#include "tools/firmware/password_record.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "binding/device_wrappers.h"
#include "tools/firmware/firmware_messages.h"

namespace zeq::desk::firmware {

bool checkPassword(ZEQ_HANDLE handle, CardKind kind, std::string_view oldPassword,
                   std::string_view newPassword, UserDialogs& dialogs) {
    const PasswordRecord record = passwordRecordOf(kind);
    std::uint8_t length = 0xFF;
    if (ZEQ_ReadEEPBlock(handle, static_cast<int>(record.base), &length, 1) != ZEQ_OK) {
        dialogs.message(msg::kCannotReadCard);
        return false;
    }
    if (length != 0xFF) {
        std::vector<std::uint8_t> stored(length);
        if (length > 0 && ZEQ_ReadEEPBlock(handle, static_cast<int>(record.base + 8), stored.data(),
                                           length) != 0) {
            dialogs.message(msg::kCannotReadCard);
            return false;
        }
        if (oldPassword.size() != length ||
            !std::equal(stored.begin(), stored.end(), oldPassword.begin(),
                        [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); })) {
            dialogs.message(msg::kWrongPassword);
            return false;
        }
    }
    if (!newPassword.empty() &&
        (newPassword.size() < kMinPasswordLength || newPassword.size() > kMaxPasswordLength)) {
        dialogs.message(msg::kNewPasswordLength);
        return false;
    }
    return true;
}

int writePasswordRecord(ZEQ_HANDLE handle, CardKind kind, std::string_view password) {
    const PasswordRecord record = passwordRecordOf(kind);
    const std::uint8_t length = static_cast<std::uint8_t>(password.size());
    int status = myWriteEEPROMBlock(handle, static_cast<int>(record.base), 1, &length);
    if (status == ZEQ_OK) status = EEPWaitForWrite(handle);
    if (status != ZEQ_OK) return status;
    status = myWriteEEPROMBlock(handle, static_cast<int>(record.base + 8),
                                static_cast<int>(password.size()),
                                reinterpret_cast<const std::uint8_t*>(password.data()));
    if (status == ZEQ_OK) status = EEPWaitForWrite(handle);
    return status;
}

bool changePassword(ZEQ_HANDLE handle, const CardInfo& card, std::string_view oldPassword,
                    std::string_view newPassword, UserDialogs& dialogs) {
    if (handle == 0) {
        dialogs.message(msg::kChooseDevice);
        return false;
    }
    if (!card.canUpdate()) {
        dialogs.message(msg::kNoPasswordFunction);
        return false;
    }
    const CardKind kind = card.kind();
    if (!checkPassword(handle, kind, oldPassword, newPassword, dialogs)) return false;
    bool ok = ZEQ_ErasePage(handle, passwordRecordOf(kind).page) == ZEQ_OK;
    if (!ok) {
        dialogs.message(msg::kPasswordChangeFailed);
    } else if (newPassword.empty()) {
        dialogs.message(msg::kPasswordCleared);
    } else {
        ok = writePasswordRecord(handle, kind, newPassword) == ZEQ_OK;
        dialogs.message(ok ? msg::kPasswordChanged : msg::kPasswordChangeFailed);
    }
    if (kind == CardKind::Usb) ResetDevice(handle);
    return ok;
}

}  // namespace zeq::desk::firmware
