#include "shell/rules/editor_settings.h"

namespace zeq::desk {

const std::array<EditorColourKey, kEditorColourCount> kEditorColourKeys = {{
    {"m_clrBkColor", 0xFFFFFF, "背景"},
    {"m_clrCommentColor", 0x008000, "注释"},
    {"m_clrSyntaxColor", 0xFF0000, "关键字"},
    {"m_clrNormalColor", 0x000000, "普通文字"},
    {"m_clrStringColor", 0x000080, "字符串"},
    {"m_clrCharColor", 0x000080, "字符常量"},
    {"m_clrNumberColor", 0x0000FF, "数字"},
    {"m_clrUnderLine", 0xC8C8C8, "当前行下划线"},
    {"m_clrLineEnd", 0xC80000, "行尾标记"},
    {"m_clrBkCurLine", 0xC8C8C8, "当前行背景"},
    {"m_clrBkRunLine", 0x96C896, "执行行背景"},
    {"m_clrLinNumberBkColor", 0xFFFFFF, "行号背景"},
    {"m_clrLinNumberNormal", 0xC0C0C0, "行号"},
    {"m_clrCurLinNumber", 0x800000, "当前行号"},
    {"m_clrLinNumberSep", 0xC0C0C0, "行号分隔线"},
    {"m_clrCross", 0x800000, "十字线"},
    {"m_clrTab", 0x808080, "制表符标记"},
    {"m_clrBKSelText", 0x800000, "选中文字背景"},
}};

namespace {

struct SwitchKey {
    std::string_view key;
    int EditorSwitches::*intField;
    bool EditorSwitches::*boolField;
};

constexpr SwitchKey kSwitchKeys[] = {
    {"m_nWrapMode", &EditorSwitches::wrapMode, nullptr},
    {"m_bShowLineNumber", nullptr, &EditorSwitches::showLineNumber},
    {"m_bShowSelectLine", nullptr, &EditorSwitches::showSelectLine},
    {"m_bShowUnderLine", nullptr, &EditorSwitches::showUnderLine},
    {"m_bShowReturnLineToken", nullptr, &EditorSwitches::showReturnLineToken},
    {"m_bShowCross", nullptr, &EditorSwitches::showCross},
    {"m_bShowTabSpace", nullptr, &EditorSwitches::showTabSpace},
    {"m_nLanguage", &EditorSwitches::language, nullptr},
    {"m_bReadOnly", nullptr, &EditorSwitches::readOnly},
    {"m_bAutoWordSelect", nullptr, &EditorSwitches::autoWordSelect},
    {"m_nTabSize", &EditorSwitches::tabSize, nullptr},
    {"m_nUndoLimits", &EditorSwitches::undoLimits, nullptr},
};

struct FontKey {
    std::string_view key;
    long FontDescription::*field;
};

constexpr FontKey kFontKeys[] = {
    {"lfHeight", &FontDescription::height},
    {"lfWidth", &FontDescription::width},
    {"lfEscapement", &FontDescription::escapement},
    {"lfOrientation", &FontDescription::orientation},
    {"lfWeight", &FontDescription::weight},
    {"lfItalic", &FontDescription::italic},
    {"lfUnderline", &FontDescription::underline},
    {"lfStrikeOut", &FontDescription::strikeOut},
    {"lfCharSet", &FontDescription::charSet},
    {"lfOutPrecision", &FontDescription::outPrecision},
    {"lfClipPrecision", &FontDescription::clipPrecision},
    {"lfQuality", &FontDescription::quality},
    {"lfPitchAndFamily", &FontDescription::pitchAndFamily},
};

constexpr std::size_t kFaceNameMax = 32;

}  // namespace

EditorSettings::EditorSettings() {
    for (int i = 0; i < kEditorColourCount; ++i) colours[i] = kEditorColourKeys[i].defaultValue;
}

void EditorSettings::load(const IniStore& ini) {
    const EditorSwitches defaults;
    for (const SwitchKey& k : kSwitchKeys) {
        // Tab size and undo limit are written only.
        if (k.key == "m_nTabSize" || k.key == "m_nUndoLimits") continue;
        if (k.intField) {
            switches.*k.intField =
                static_cast<int>(ini.getInt(kEditorValSection, k.key, defaults.*k.intField));
        } else {
            switches.*k.boolField =
                ini.getInt(kEditorValSection, k.key, defaults.*k.boolField ? 1 : 0) != 0;
        }
    }
    if (switches.language != 0 && switches.language != 1) switches.language = 0;
    for (int i = 0; i < kEditorColourCount; ++i) {
        colours[i] =
            static_cast<std::uint32_t>(ini.getInt(kEditorColorSection, kEditorColourKeys[i].key,
                                                  kEditorColourKeys[i].defaultValue)) &
            0xFFFFFFu;
    }
    const FontDescription fontDefaults;
    for (const FontKey& k : kFontKeys) {
        font.*k.field = ini.getInt(kEditorFontSection, k.key, fontDefaults.*k.field);
    }
    font.faceName =
        ini.getString(kEditorFontSection, "lfFaceName", fontDefaults.faceName, kFaceNameMax);
}

void EditorSettings::save(IniStore& ini) const {
    for (const SwitchKey& k : kSwitchKeys) {
        const long v = k.intField ? switches.*k.intField : (switches.*k.boolField ? 1 : 0);
        ini.setInt(kEditorValSection, k.key, v);
    }
    for (int i = 0; i < kEditorColourCount; ++i) {
        ini.setInt(kEditorColorSection, kEditorColourKeys[i].key, colours[i]);
    }
    for (const FontKey& k : kFontKeys) ini.setInt(kEditorFontSection, k.key, font.*k.field);
    ini.setString(kEditorFontSection, "lfFaceName", font.faceName.substr(0, kFaceNameMax));
}

int loadEditorLanguage(const IniStore& ini) {
    const long v = ini.getInt(kEditorValSection, "m_nLanguage", 0);
    return v == 1 ? 1 : 0;
}

}  // namespace zeq::desk
