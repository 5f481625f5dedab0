// The register configuration of one board: every register of every page for each of its axes
// and the board's time factor, read from the card, written back, saved as a .cfg block,
// imported from one, and turned into an instruction file.
//
// .cfg block: little-endian 16-bit words, page group after page group (main encoder, encsctr,
// aiod, aioctr, stepmod, error filters, other registers); each group holds the values of every
// axis in turn, each axis its registers in the order of kRegisters (32-bit values as two
// words, low word first), and the other-registers group ends each axis with its distance
// factor and the board's time factor (IEEE doubles, four words each, low word first). So a
// block is 44 words (88 bytes) per axis, and a block for another axis count is refused.
//
// Threads: the card calls (readFromCard, apply) belong on a worker in the window; the rest
// works on memory and files.
#pragma once

#include <string>
#include <vector>

#include "binding/device_types.h"
#include "core/interfaces.h"
#include "tools/regconfig/register_set.h"

namespace zeq::desk::regconfig {

constexpr int kMaxConfigAxes = 16;
constexpr std::size_t kCfgWordsPerAxis = 44;

enum class CfgImport { Ok, CannotOpen, Mismatch, ReadFailed };

class RegisterConfig {
  public:
    int axisCount() const { return static_cast<int>(m_axes.size()); }
    int naxis() const { return m_naxis; }
    // The aiod page exists on cards below 7 axes.
    bool hasAiod() const { return m_naxis < 7; }
    AxisRegisters& axis(int i) { return m_axes.at(static_cast<std::size_t>(i)); }
    const AxisRegisters& axis(int i) const { return m_axes.at(static_cast<std::size_t>(i)); }
    double timeScale() const { return m_timeScale; }
    void setTimeScale(double t) { m_timeScale = t; }
    // Changes not yet applied or saved.
    bool saved() const { return m_saved; }
    void markChanged() { m_saved = false; }

    // Reads `naxis` and every register of every page for axes 0..axisCount-1 (the board's
    // axis count, at most 16). 0 or the first failing status.
    int readFromCard(ZEQ_HANDLE handle, int axisCount);
    // Writes every axis in page order (main encoder, encsctr, aiod, aioctr, stepmod, error
    // filters, other registers); the first failure stops, leaving what was written. 0 or the
    // status.
    int apply(ZEQ_HANDLE handle);
    // The instruction file text: the header comment, then per axis the line groups.
    std::string instructionText() const;

    std::vector<std::uint8_t> cfgBlock() const;
    // Takes the values of a block made for the same axis count; changes nothing otherwise.
    CfgImport takeCfgBlock(const std::vector<std::uint8_t>& block);

    bool saveCfg(const std::string& path) const;
    CfgImport importCfg(const std::string& path);
    // Writes the instruction text to `path`; false when the file cannot be written.
    bool writeInstructionFile(const std::string& path) const;

    // Another card chosen: with changes not saved, asks "寄存器配置还没保存!是否要保存?"; true
    // (keep the current card) on Yes. Without changes, false at once.
    bool keepUnsavedCard(UserDialogs& dialogs) const;

    // The dialog's buttons with their messages. applyReporting: "配置成功" or
    // "配置失败!请重新再试一次!"; generateReporting: "文件创建失败!" or the open question
    // (true when the answer asks to open the file); saveReporting: "文件创建失败!";
    // importReporting: "无法打开文件!", "配置文件不匹配!" or "读取文件失败!".
    bool applyReporting(ZEQ_HANDLE handle, UserDialogs& dialogs);
    bool generateReporting(const std::string& path, UserDialogs& dialogs) const;
    bool saveReporting(const std::string& path, UserDialogs& dialogs);
    bool importReporting(const std::string& path, UserDialogs& dialogs);

    // For tests and the window: a configuration of `count` axes without a card.
    void resize(int count, int naxis);

  private:
    std::vector<AxisRegisters> m_axes;
    double m_timeScale = 1.0;
    int m_naxis = 0;
    bool m_saved = true;
};

}  // namespace zeq::desk::regconfig
