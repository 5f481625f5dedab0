// `zeq info`, `zeq firmware FILE.bit` and `zeq password`: the firmware dialog's card
// information, update and password change on the first board given. Status lines and the
// dialog's messages go to stdout.
#include <cstdio>
#include <string>

#include "commands.h"
#include "interpreter/script_interpreter.h"
#include "tool_session.h"
#include "tools/firmware/card_info.h"
#include "tools/firmware/firmware_messages.h"
#include "tools/firmware/firmware_update.h"
#include "tools/firmware/password_record.h"

namespace zeq::cli {
namespace {

namespace fw = desk::firmware;

class StdoutObserver : public fw::FirmwareObserver {
  public:
    void status(std::string_view text) override {
        std::printf("%.*s\n", static_cast<int>(text.size()), text.data());
        std::fflush(stdout);
    }
    void runningChanged(bool) override {}
};

// Opens the session and reads the card information of its board; false after a message.
bool openCard(ToolSession& session, fw::CardInfo& card) {
    if (!session.open()) return false;
    if (session.handle() == 0) {
        session.errors().message(fw::msg::kChooseDevice);
        return false;
    }
    if (fw::readCardInfo(session.handle(), card) != ZEQ_OK) {
        session.errors().message(fw::msg::kCannotReadCard);
        return false;
    }
    return true;
}

int showInfo() {
    ToolSession session;
    fw::CardInfo card;
    if (!openCard(session, card)) return 1;
    for (const std::string& line : fw::cardInfoLines(card)) std::printf("%s\n", line.c_str());
    return 0;
}

struct FirmwareArgs {
    std::string file;
    std::string oldPassword;
    std::string newPassword;
    bool yes = false;
};

int updateFirmware(const FirmwareArgs& args) {
    ToolSession session;
    fw::CardInfo card;
    if (!openCard(session, card)) return 1;
    StdoutDialogs dialogs(args.yes ? desk::UserDialogs::Answer::Yes
                                   : desk::UserDialogs::Answer::No);
    StdoutObserver observer;
    fw::FirmwareUpdate update(dialogs, observer, desk::systemClock());
    const fw::UpdateResult result = update.run(
        fw::UpdateRequest{session.handle(), card, args.file, args.oldPassword, args.newPassword});
    return result == fw::UpdateResult::Complete ? 0 : 1;
}

int changePassword(const std::string& oldPassword, const std::string& newPassword) {
    ToolSession session;
    fw::CardInfo card;
    if (!openCard(session, card)) return 1;
    StdoutDialogs dialogs;
    return fw::changePassword(session.handle(), card, oldPassword, newPassword, dialogs) ? 0 : 1;
}

const bool infoRegistered = registerCommand("info", [](CLI::App& app) -> Runner {
    app.add_subcommand("info", "the card information of the firmware dialog")->fallthrough();
    return [] { return showInfo(); };
});

const bool firmwareRegistered = registerCommand("firmware", [](CLI::App& app) -> Runner {
    auto args = std::make_shared<FirmwareArgs>();
    CLI::App* sub = app.add_subcommand("firmware", "write a firmware file (.bit) into the card");
    sub->fallthrough();
    sub->add_option("file", args->file, "the firmware file")->required();
    sub->add_option("--old-password", args->oldPassword, "the card's current password");
    sub->add_option("--new-password", args->newPassword, "the password to store ('' for none)");
    sub->add_flag("--yes", args->yes, "continue when the card's firmware is newer");
    return [args] { return updateFirmware(*args); };
});

const bool passwordRegistered = registerCommand("password", [](CLI::App& app) -> Runner {
    auto oldPassword = std::make_shared<std::string>();
    auto newPassword = std::make_shared<std::string>();
    CLI::App* sub = app.add_subcommand("password", "change or clear the card's password");
    sub->fallthrough();
    sub->add_option("--old", *oldPassword, "the current password")->required();
    sub->add_option("--new", *newPassword, "the new password ('' clears it)")->required();
    return [oldPassword, newPassword] { return changePassword(*oldPassword, *newPassword); };
});

}  // namespace
}  // namespace zeq::cli
