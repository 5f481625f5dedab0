// The firmware dialog "更新固件": the board list and the card's information lines, the .bit
// file with its own lines, the update button ("停止" while an update runs), the old and new
// password with "更新密码", the status line and the notes. Reading the card information, the
// update and the password change run on the dialog's worker; the window's thread only sets the
// stop flag. The dialog does not close while an update runs.
#pragma once

#include <QDialog>
#include <atomic>

#include "binding/boards.h"
#include "tools/card_worker.h"
#include "tools/common/ui/worker_dialogs.h"
#include "tools/firmware/card_info.h"
#include "tools/firmware/firmware_update.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace zeq::desk {
class ShellDialogs;
}

namespace zeq::desk::firmware {

class FirmwareDialog : public QDialog, private FirmwareObserver {
    Q_OBJECT
  public:
    FirmwareDialog(Boards& boards, int board, ShellDialogs& shell, QWidget* parent = nullptr);
    ~FirmwareDialog() override;

    QComboBox* cardList() const { return m_cards; }
    QLabel* cardLines() const { return m_cardLines; }
    QLabel* fileLines() const { return m_fileLines; }
    QLineEdit* fileField() const { return m_file; }
    QPushButton* fileButton() const { return m_fileButton; }
    QLineEdit* oldPassword() const { return m_old; }
    QLineEdit* newPassword() const { return m_new; }
    QPushButton* updateButton() const { return m_update; }
    QPushButton* passwordButton() const { return m_password; }
    QLabel* statusLine() const { return m_status; }
    // An update was started and has not ended (also during the bridge reset before it runs).
    bool updating() const { return m_updating; }
    bool cardKnown() const { return m_cardKnown; }

    // The buttons (as clicked).
    void chooseFile();
    void updateOrStop();
    void changePassword();

    void reject() override;

  signals:
    // The worker has reported (card information read, update or password change ended).
    void workerReported();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    // FirmwareObserver, on the worker.
    void status(std::string_view text) override;
    void runningChanged(bool running) override;

    void chooseBoard(int board);
    bool mayClose();
    void setControlsEnabled(bool enabled);
    void report(std::function<void()> onWindowThread);

    Boards& m_boards;
    ShellDialogs& m_shell;
    WorkerDialogs m_dialogs;
    FirmwareUpdate m_updater;
    CardInfo m_card;
    bool m_cardKnown = false;
    int m_board = 0;
    bool m_updating = false;
    bool m_busy = false;  // a card information read or a password change runs

    QComboBox* m_cards = nullptr;
    QLabel* m_cardLines = nullptr;
    QLineEdit* m_file = nullptr;
    QPushButton* m_fileButton = nullptr;
    QLabel* m_fileLines = nullptr;
    QPushButton* m_update = nullptr;
    QLineEdit* m_old = nullptr;
    QLineEdit* m_new = nullptr;
    QPushButton* m_password = nullptr;
    QLabel* m_status = nullptr;
    CardWorker m_worker;  // last: joined before the members its tasks use go away
};

}  // namespace zeq::desk::firmware
