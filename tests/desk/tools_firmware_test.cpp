// The firmware update and the card password on a virtual card.
#include <gtest/gtest.h>

#include <cstring>

#include "desk/tools_card_fixture.h"
#include "tools/firmware/bit_file.h"
#include "tools/firmware/firmware_messages.h"
#include "tools/firmware/firmware_update.h"
#include "tools/firmware/password_record.h"

namespace zeq::desk::test {
namespace {

using namespace zeq::desk::firmware;

// A firmware file: header words (little-endian), then the image.
std::string bitFile(std::uint16_t axes, std::uint16_t version, std::uint16_t monthDay,
                    std::uint16_t kind, const std::string& image, std::uint32_t tail = 0xFFFFFFFF,
                    const char* magic = "ZEQ") {
    std::string s(magic, 3);
    s.push_back('\0');
    auto put16 = [&](std::uint16_t v) {
        s.push_back(static_cast<char>(v & 0xFF));
        s.push_back(static_cast<char>(v >> 8));
    };
    put16(axes);
    put16(version);
    put16(monthDay);
    put16(kind);
    put16(static_cast<std::uint16_t>(tail));
    put16(static_cast<std::uint16_t>(tail >> 16));
    return s + image;
}

std::string pattern(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 256) & 0xFF);
    return s;
}

class RecordingObserver : public FirmwareObserver {
  public:
    void status(std::string_view t) override {
        lines.emplace_back(t);
        if (onStatus) onStatus(t);
    }
    void runningChanged(bool r) override { captions.push_back(r ? "停止" : "更新"); }
    std::vector<std::string> lines;
    std::vector<std::string> captions;
    std::function<void(std::string_view)> onStatus;
};

class YesDialogs : public RecordingDialogs {
  public:
    Answer askYesNo(std::string_view text, Answer) override {
        messages.emplace_back(text);
        return Answer::Yes;
    }
};

class Firmware : public ToolsTest {
  protected:
    explicit Firmware(int axes = 4) : ToolsTest(axes) {}
    void SetUp() override {
        ToolsTest::SetUp();
        ASSERT_EQ(readCardInfo(handle, card), 0);
        ASSERT_EQ(ZEQ_ErasePage(handle, 999), 0);  // no password
    }
    std::string flash(int at, int n) {
        std::string s(static_cast<std::size_t>(n), '\0');
        EXPECT_EQ(ZEQ_ReadEEPBlock(handle, at, reinterpret_cast<std::uint8_t*>(s.data()), n), 0);
        return s;
    }
    // A matching image for the virtual card (same version bits, same date).
    std::string matching(const std::string& image) {
        return bitFile(static_cast<std::uint16_t>(card.axisCount()), card.hwversion, card.fwversion,
                       0, image);
    }
    UpdateResult update(const std::string& fileBytes, std::string oldPw = "",
                        std::string newPw = "") {
        FirmwareUpdate u(dialogs, observer, clock);
        updater = &u;
        UpdateRequest r{handle, card, writeFile("f.bit", fileBytes), oldPw, newPw};
        const UpdateResult result = u.run(r);
        updater = nullptr;
        return result;
    }
    std::string lastMessage() const {
        return dialogs.messages.empty() ? "" : dialogs.messages.back();
    }
    CardInfo card;
    RecordingObserver observer;
    FirmwareUpdate* updater = nullptr;
};

TEST_F(Firmware, CardInformationLines) {
    EXPECT_EQ(card.versionText(), "0408");
    EXPECT_EQ(card.kindText(), "USB");
    EXPECT_EQ(card.dateText(), "2018/06/15");
    EXPECT_EQ(card.axisCount(), 4);
    EXPECT_TRUE(card.canUpdate());
    EXPECT_FALSE((CardInfo{0x2400, 0x1001}).canUpdate());
    EXPECT_FALSE((CardInfo{0x2600, 0x1001}).canUpdate());
    EXPECT_TRUE((CardInfo{0x2600, 0x1002}).canUpdate());
    EXPECT_EQ((CardInfo{0x0412, 0x0101}).kindText(), "PCI");
}

TEST_F(Firmware, CompleteUpdateLeavesTheImageInFlash) {
    const std::string image = pattern(25 * 256 + 17);
    EXPECT_EQ(update(matching(image)), UpdateResult::Complete);
    EXPECT_EQ(flash(0, static_cast<int>(image.size())), image);
    EXPECT_EQ(lastMessage(), msg::kUpdateComplete);
    const std::vector<std::string> expected{msg::kPreparing, msg::kReady, "已更新 79%",
                                            msg::kVerifyingUsb};
    EXPECT_EQ(observer.lines, expected);
    EXPECT_EQ(observer.captions, (std::vector<std::string>{"停止", "更新"}));
    EXPECT_GE(clock.slept, std::chrono::milliseconds(500));
}

TEST_F(Firmware, HostileOrForeignFilesAreRefusedBeforeTheFlashIsTouched) {
    const std::string image = pattern(300);
    struct Case {
        const char* name;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"empty", "", msg::kNotFirmwareFile},
        {"truncated header", matching(image).substr(0, 10), msg::kNotFirmwareFile},
        {"binary junk", pattern(4000), msg::kNotFirmwareFile},
        {"wrong magic", bitFile(4, card.hwversion, card.fwversion, 0, image, 0xFFFFFFFF, "ZEP"),
         msg::kNotFirmwareFile},
        {"wrong word at 12", bitFile(4, card.hwversion, card.fwversion, 0, image, 0xFFFFFFFE),
         msg::kNotFirmwareFile},
        {"header only", matching(""), msg::kFileEmptyImage},
        {"4-axis image on 8 axes", bitFile(8, card.hwversion, card.fwversion, 0, image),
         msg::kMismatch},
        {"other card kind", bitFile(4, card.hwversion | 0x10, card.fwversion, 0, image),
         msg::kMismatch},
        {"larger than the flash", matching(pattern(0x80000 + 1)), msg::kUpdateFailed},
        {"larger than any flash", matching(pattern(kMaxImageSize + 1)), msg::kFileTooLarge},
    };
    const std::uint8_t mark = 0x5A;
    ASSERT_EQ(myWriteEEPROMBlock(handle, 0x100, 1, &mark), 0);
    ASSERT_EQ(EEPWaitForWrite(handle), 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs.messages.clear();
        EXPECT_EQ(update(c.bytes), UpdateResult::Failed);
        EXPECT_EQ(lastMessage(), c.message);
        EXPECT_EQ(flash(0x100, 1), "\x5A");  // nothing erased
    }
}

TEST_F(Firmware, NewerCardAsksWithTheMendedLineBreakAndNoEndsIt) {
    const std::string older =
        bitFile(4, card.hwversion, static_cast<std::uint16_t>(card.fwversion - 1), 0, "abc");
    EXPECT_EQ(update(older), UpdateResult::Declined);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0], "控制卡中的固件比文件中的固件版本新\r\n\r\n是否要继续更新？");
    // A later year digit in the file is never older, whatever its date.
    const BitHeader later{4, static_cast<std::uint16_t>(card.hwversion + 1), 0x0101, 0};
    EXPECT_FALSE(cardIsNewer(later, card));
}

TEST_F(Firmware, StopDuringWritingVerifiesTheWrittenPartAndSkipsThePassword) {
    // The "停止" button asks its warning; Yes stops before the next block.
    observer.onStatus = [this](std::string_view t) {
        if (!t.starts_with("已更新")) return;
        ASSERT_TRUE(updater->running());
        YesDialogs yes;
        EXPECT_TRUE(updater->confirmStop(yes));
        EXPECT_EQ(yes.messages, std::vector<std::string>{msg::kConfirmStop});
    };
    const std::string image = pattern(50 * 256);
    EXPECT_EQ(update(matching(image), "", "abcd"), UpdateResult::WritingStopped);
    EXPECT_EQ(lastMessage(), msg::kUpdateStopped);
    EXPECT_EQ(flash(0, 20 * 256), image.substr(0, 20 * 256));
    EXPECT_EQ(flash(20 * 256, 1), "\xFF");
    EXPECT_EQ(flash(0x3E700, 1), "\xFF");  // no password record
}

TEST_F(Firmware, StopDuringVerificationIsNotReportedAsComplete) {
    // Closing the dialog is refused while the update runs; its question's Yes stops it.
    observer.onStatus = [this](std::string_view t) {
        if (t != msg::kVerifyingUsb) return;
        YesDialogs yes;
        EXPECT_FALSE(updater->mayClose(yes));
        EXPECT_EQ(yes.messages.front(), msg::kStopFirst);
    };
    EXPECT_EQ(update(matching(pattern(600))), UpdateResult::VerifyStopped);
    EXPECT_EQ(lastMessage(), msg::kVerifyStopped);
}

TEST_F(Firmware, UpdateStoresTheNewPassword) {
    EXPECT_EQ(update(matching(pattern(300)), "", "secret"), UpdateResult::Complete);
    EXPECT_EQ(flash(0x3E700, 1), "\x06");
    EXPECT_EQ(flash(0x3E708, 6), "secret");
}

TEST_F(Firmware, PasswordRules) {
    // Erased record: any old password passes, also an empty one.
    EXPECT_TRUE(checkPassword(handle, CardKind::Usb, "", "", dialogs));
    EXPECT_TRUE(checkPassword(handle, CardKind::Usb, "whatever", "", dialogs));
    // A 3-character new password is refused before anything is erased.
    ASSERT_EQ(writePasswordRecord(handle, CardKind::Usb, "abcd"), 0);
    EXPECT_FALSE(changePassword(handle, card, "abcd", "xyz", dialogs));
    EXPECT_EQ(lastMessage(), msg::kNewPasswordLength);
    EXPECT_EQ(flash(0x3E708, 4), "abcd");
    EXPECT_EQ(update(matching(pattern(300)), "abcd", "xyz"), UpdateResult::Failed);
    EXPECT_EQ(lastMessage(), msg::kNewPasswordLength);
    EXPECT_EQ(flash(0x3E708, 4), "abcd");  // the chip was not erased
    struct Case {
        const char* oldPw;
        const char* newPw;
        bool ok;
        const char* message;
    } cases[] = {
        {"abc", "efgh", false, msg::kWrongPassword},
        {"abcde", "efgh", false, msg::kWrongPassword},
        {"abcd", "efgh", true, msg::kPasswordChanged},
        {"abcd", "zzzz", false, msg::kWrongPassword},
        {"efgh", "", true, msg::kPasswordCleared},
        {"anything", "", true, msg::kPasswordCleared},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.oldPw) + " -> " + c.newPw);
        EXPECT_EQ(changePassword(handle, card, c.oldPw, c.newPw, dialogs), c.ok);
        EXPECT_EQ(lastMessage(), c.message);
    }
    EXPECT_EQ(flash(0x3E700, 1), "\xFF");
}

TEST_F(Firmware, CardWithoutTheFunctionsRefuses) {
    const CardInfo old{0x2400, 0x1001};
    EXPECT_FALSE(changePassword(handle, old, "", "abcd", dialogs));
    EXPECT_EQ(lastMessage(), msg::kNoPasswordFunction);
    FirmwareUpdate u(dialogs, observer, clock);
    EXPECT_EQ(u.run(UpdateRequest{handle, old, "x.bit", "", ""}), UpdateResult::Failed);
    EXPECT_EQ(lastMessage(), msg::kNoUpdateFunction);
    EXPECT_EQ(u.run(UpdateRequest{handle, card, "", "", ""}), UpdateResult::Failed);
    EXPECT_EQ(lastMessage(), msg::kChooseFileFirst);
    EXPECT_TRUE(u.mayClose(dialogs));  // nothing runs: the dialog closes without a question
}

}  // namespace
}  // namespace zeq::desk::test
