// Small rules of the main frame and the editor that need no window: the title, the output
// box's clearing limits, automatic indentation, call-tip lookup, the help document's places.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace zeq::desk {

// "ZeqDesk", then " - PATH" when there is a path, then " (USB)" or " (PCI)".
std::string frameTitle(std::string_view path, int cardType);

// Whether the output box is cleared before text is appended: at 2001 lines or more with
// automatic clearing on, at 5001 or more with it off.
inline constexpr int kOutputAutoClearLines = 2001;
inline constexpr int kOutputHardClearLines = 5001;
inline bool outputNeedsClear(int lineCount, bool autoClear) {
    return lineCount >= (autoClear ? kOutputAutoClearLines : kOutputHardClearLines);
}

// The indentation of the line that Enter opens after `previous`: a tab for every tab among
// its leading blanks (spaces are not copied), one more when its first word is main, while,
// for or if (any case).
std::string indentAfter(std::string_view previous);

// Collects the word being typed; when a character that is not a letter, digit or "_" is typed
// after a word, that word is looked up in the usage table.
class CallTipTracker {
  public:
    // Feeds one typed character (a byte; bytes of a multi-byte character end the word too).
    // Returns the usage text when the word just ended names a built-in, else empty.
    std::string_view type(char c);
    void reset() { m_word.clear(); }
    const std::string& word() const { return m_word; }

  private:
    std::string m_word;
};

// Places of the help document, in the order they are tried: the PDF, then the HTML of the same
// name, below each folder of `folders` in turn (empty folders are skipped).
std::vector<std::string> helpCandidates(const std::vector<std::string>& folders);

inline constexpr std::string_view kHelpDocumentStem = "doc/ZeqDesk软件操作指南";

// "%d.%d.%d.%d" of the project version.
std::string versionText();

}  // namespace zeq::desk
