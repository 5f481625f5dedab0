// The card password in the configuration flash: one length byte at the record base (0xFF when
// erased: no password), the password's bytes at base + 8. The device library's password-taking
// open functions compare against it.
//
// These functions talk to the card: in the window they run on a worker, and `dialogs` is
// called on that worker.
#pragma once

#include <string>
#include <string_view>

#include "binding/device_types.h"
#include "core/interfaces.h"
#include "tools/firmware/card_info.h"

namespace zeq::desk::firmware {

constexpr std::size_t kMinPasswordLength = 4;
constexpr std::size_t kMaxPasswordLength = 100;

// The old password against the record of a card of `kind`, then the new password's length
// (empty or 4..100). Shows the failure and returns false; nothing is written.
bool checkPassword(ZEQ_HANDLE handle, CardKind kind, std::string_view oldPassword,
                   std::string_view newPassword, UserDialogs& dialogs);

// Writes a new record into an erased record page: length byte, wait, bytes, wait. 0 or the
// status of the first failing call.
int writePasswordRecord(ZEQ_HANDLE handle, CardKind kind, std::string_view password);

// The "更新密码" button: capability, check, erase of the record's page, the new record (none
// for an empty password), the result message, and the reset of a USB card. True on success.
bool changePassword(ZEQ_HANDLE handle, const CardInfo& card, std::string_view oldPassword,
                    std::string_view newPassword, UserDialogs& dialogs);

}  // namespace zeq::desk::firmware
