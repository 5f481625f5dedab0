// The source editor's settings in zeq.ini: switches (ZEQEDIT_VAL), colours as 0x00BBGGRR
// (ZEQEDIT_Color) and the font description (ZEQEDIT_Font). Every key has a default.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "shell/rules/ini_store.h"

namespace zeq::desk {

inline constexpr std::string_view kEditorValSection = "ZEQEDIT_VAL";
inline constexpr std::string_view kEditorColorSection = "ZEQEDIT_Color";
inline constexpr std::string_view kEditorFontSection = "ZEQEDIT_Font";

struct EditorSwitches {
    int wrapMode = 0;                  // m_nWrapMode
    bool showLineNumber = true;        // m_bShowLineNumber
    bool showSelectLine = false;       // m_bShowSelectLine
    bool showUnderLine = false;        // m_bShowUnderLine
    bool showReturnLineToken = false;  // m_bShowReturnLineToken
    bool showCross = false;            // m_bShowCross
    bool showTabSpace = false;         // m_bShowTabSpace
    int language = 0;                  // m_nLanguage
    bool readOnly = false;             // m_bReadOnly
    bool autoWordSelect = false;       // m_bAutoWordSelect
    int tabSize = 4;                   // m_nTabSize: written only; a view starts with 4
    int undoLimits = 100;              // m_nUndoLimits: written only; a view starts with 100
};

// The colours, indexed by EditorColour, in the order of the settings section.
enum EditorColour : int {
    kClrBk,
    kClrComment,
    kClrSyntax,
    kClrNormal,
    kClrString,
    kClrChar,
    kClrNumber,
    kClrUnderLine,
    kClrLineEnd,
    kClrBkCurLine,
    kClrBkRunLine,
    kClrLinNumberBk,
    kClrLinNumberNormal,
    kClrCurLinNumber,
    kClrLinNumberSep,
    kClrCross,
    kClrTab,
    kClrBkSelText,
    kEditorColourCount
};

struct EditorColourKey {
    std::string_view key;
    std::uint32_t defaultValue;  // 0x00BBGGRR
    std::string_view label;      // shown in the colour dialog
};
extern const std::array<EditorColourKey, kEditorColourCount> kEditorColourKeys;

// A platform font description, field for field.
struct FontDescription {
    long height = -12;
    long width = 0;
    long escapement = 0;
    long orientation = 0;
    long weight = 400;
    long italic = 0;
    long underline = 0;
    long strikeOut = 0;
    long charSet = 0;
    long outPrecision = 1;
    long clipPrecision = 1;
    long quality = 2;
    long pitchAndFamily = 0;
    std::string faceName = "宋体";  // at most 32 characters
    bool operator==(const FontDescription&) const = default;
};

struct EditorSettings {
    EditorSwitches switches;
    std::array<std::uint32_t, kEditorColourCount> colours{};
    FontDescription font;

    EditorSettings();  // every default
    // Reads the three sections; absent keys keep their defaults. Tab size and undo limit are
    // not read: a view always starts with 4 and 100.
    void load(const IniStore& ini);
    // Writes every key of the three sections.
    void save(IniStore& ini) const;
};

// The language stored for the editor (ZEQEDIT_VAL/m_nLanguage), 0 when absent.
int loadEditorLanguage(const IniStore& ini);

}  // namespace zeq::desk
