// The register configuration dialog "寄存器配置": the card and axis lists, one tab per page
// (built from the page descriptions), and the buttons apply, generate the instruction file,
// save to and import from a .cfg file, close. Reading and writing the card run on the dialog's
// worker; the dialog is disabled, with the wait cursor, until the worker reports back.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "binding/boards.h"
#include "tools/card_worker.h"
#include "tools/common/ui/worker_dialogs.h"
#include "tools/regconfig/register_config.h"

class QComboBox;
class QPushButton;
class QTabWidget;

namespace zeq::desk {
class ShellDialogs;
}

namespace zeq::desk::regconfig {

class RegisterPage;

class RegisterConfigDialog : public QDialog {
    Q_OBJECT
  public:
    // Opens on `board` (which has a device) and starts reading the card.
    RegisterConfigDialog(Boards& boards, int board, ShellDialogs& shell, QWidget* parent = nullptr);
    ~RegisterConfigDialog() override;

    // The command: "请选择设备!" without a board, "请先打开设备" without its device; otherwise
    // the dialog, opened window-modal. Null after a message.
    static RegisterConfigDialog* open(Boards& boards, int board, ShellDialogs& shell,
                                      QWidget* parent);

    // A read or write of the card is running.
    bool busy() const { return m_busy; }
    int board() const { return m_board; }
    int axis() const { return m_axis; }
    const RegisterConfig& config() const { return m_config; }
    QTabWidget* tabs() const { return m_tabs; }
    QComboBox* cardList() const { return m_cards; }
    QComboBox* axisList() const { return m_axes; }
    // The page of tab `tab` ("encpctr" …), null when the card has none.
    RegisterPage* page(const char* tab) const;
    QPushButton* button(const char* text) const;

    // The buttons (as clicked).
    void applyToCard();
    void generateFile();
    void saveToFile();
    void importFromFile();

    void reject() override;

  signals:
    // A read or write of the card has ended.
    void cardDone();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void load(int board);
    void setBusy(bool busy);
    void rebuildPages();
    void showAxis();
    // Takes the typed numbers of every page for the axis in view. False when one is refused.
    bool commitPages();
    void chooseCard(int index);
    void chooseAxis(int index);
    void chooseOption(RegId reg, int bit, bool set);
    void chooseUnits(bool user);

    Boards& m_boards;
    ShellDialogs& m_shell;
    WorkerDialogs m_dialogs;
    RegisterConfig m_config;
    int m_board = -1;
    int m_axis = 0;
    bool m_busy = false;
    bool m_largePages = false;
    bool m_userUnits = true;
    QComboBox* m_cards = nullptr;
    QComboBox* m_axes = nullptr;
    QTabWidget* m_tabs = nullptr;
    std::vector<RegisterPage*> m_pages;
    std::vector<QPushButton*> m_buttons;
    CardWorker m_worker;  // last: joined before the members its tasks use go away
};

}  // namespace zeq::desk::regconfig
