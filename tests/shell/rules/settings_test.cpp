// zeq.ini: defaults, partial files, the editor keys' round trip, the frame's sections, the
// syntax rules read from the per-user store, and the atomic write.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "shell/rules/atomic_file.h"
#include "shell/rules/editor_settings.h"
#include "shell/rules/ini_store.h"
#include "shell/rules/shell_settings.h"
#include "shell/rules/syntax_rules.h"

namespace zeq::desk {
namespace {

namespace fs = std::filesystem;

class TempDir {
  public:
    TempDir() {
        char tmpl[] = "/tmp/zeq-shell-XXXXXX";
        m_path = ::mkdtemp(tmpl);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    std::string file(const std::string& name) const { return (m_path / name).string(); }
    const fs::path& path() const { return m_path; }

  private:
    fs::path m_path;
};

void writeText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}
std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(Settings, MissingFileGivesEveryDefault) {
    TempDir dir;
    IniStore ini;
    EXPECT_FALSE(ini.load(dir.file("absent.ini")));
    ShellSettings shell;
    shell.load(ini);
    EXPECT_TRUE(shell.zoom);  // Zoom absent: maximised
    EXPECT_EQ(shell.editSourcePath, "");
    EXPECT_EQ(shell.boardType, 0);
    EXPECT_TRUE(shell.commandLines.empty());
    EditorSettings editor;
    editor.load(ini);
    const EditorSettings defaults;
    EXPECT_EQ(editor.colours, defaults.colours);
    EXPECT_EQ(editor.font, FontDescription{});
    EXPECT_EQ(editor.font.faceName, "宋体");
    EXPECT_EQ(editor.colours[kClrBkRunLine], 0x96C896u);
    EXPECT_TRUE(editor.switches.showLineNumber);
    EXPECT_EQ(loadEditorLanguage(ini), 0);
}

TEST(Settings, MissingKeysFallBackOneByOne) {
    TempDir dir;
    writeText(dir.file("zeq.ini"),
              "[Toolcfg]\nZoom=0\n[ZEQEDIT_Color]\nm_clrSyntaxColor=255\n"
              "[ZEQEDIT_VAL]\nm_bShowCross=1\nm_nTabSize=8\n[ZEQEDIT_Font]\nlfWeight=700\n");
    IniStore ini;
    ASSERT_TRUE(ini.load(dir.file("zeq.ini")));
    ShellSettings shell;
    shell.load(ini);
    EXPECT_FALSE(shell.zoom);
    EditorSettings editor;
    editor.load(ini);
    EXPECT_EQ(editor.colours[kClrSyntax], 255u);
    EXPECT_EQ(editor.colours[kClrComment], 0x008000u);
    EXPECT_TRUE(editor.switches.showCross);
    EXPECT_FALSE(editor.switches.showTabSpace);
    EXPECT_EQ(editor.switches.tabSize, 4);  // a view always starts with 4
    EXPECT_EQ(editor.font.weight, 700);
    EXPECT_EQ(editor.font.height, -12);
}

TEST(Settings, EveryEditorKeyRoundTrips) {
    TempDir dir;
    EditorSettings out;
    out.switches = {1, false, true, true, true, true, true, 1, true, true, 4, 100};
    for (int i = 0; i < kEditorColourCount; ++i) out.colours[i] = 0x010203u * (i + 1);
    out.font = {-20, 3, 4, 5, 700, 1, 1, 1, 134, 3, 2, 5, 49, "Noto Sans Mono CJK SC"};
    IniStore ini;
    out.save(ini);
    ASSERT_TRUE(ini.save(dir.file("zeq.ini")));
    IniStore back;
    ASSERT_TRUE(back.load(dir.file("zeq.ini")));
    EditorSettings in;
    in.load(back);
    EXPECT_EQ(in.colours, out.colours);
    EXPECT_EQ(in.font, out.font);
    const auto& a = in.switches;
    const auto& b = out.switches;
    EXPECT_EQ(std::tie(a.wrapMode, a.showLineNumber, a.showSelectLine, a.showUnderLine,
                       a.showReturnLineToken, a.showCross, a.showTabSpace, a.language, a.readOnly,
                       a.autoWordSelect),
              std::tie(b.wrapMode, b.showLineNumber, b.showSelectLine, b.showUnderLine,
                       b.showReturnLineToken, b.showCross, b.showTabSpace, b.language, b.readOnly,
                       b.autoWordSelect));
    // Written, though never read back.
    EXPECT_EQ(back.getInt(kEditorValSection, "m_nTabSize", -1), 4);
    EXPECT_EQ(back.getInt(kEditorValSection, "m_nUndoLimits", -1), 100);
}

TEST(Settings, IntegerReadsAsPrivateProfileReads) {
    TempDir dir;
    writeText(dir.file("a.ini"), "[s]\na=  12abc\nb=-5\nc=0xFF\nd=abc\n");
    IniStore ini;
    ini.load(dir.file("a.ini"));
    const std::map<std::string, long> expected = {
        {"a", 12}, {"b", -5}, {"c", 255}, {"d", 0}, {"missing", 77}};
    for (const auto& [key, value] : expected) EXPECT_EQ(ini.getInt("s", key, 77), value) << key;
}

TEST(Settings, CloseRewritesItsSectionsAndKeepsTheOthers) {
    TempDir dir;
    writeText(dir.file("zeq.ini"),
              "[Toolcfg]\nListGetTime=100\nZoom=1\n[Drevices]\nZEQ-SIM0=2\nBoardType=0\n"
              "[CommandLeft]\nCommandTotal=3\n1=a\n2=b\n3=c\n[ListView]\nkeep=yes\n");
    IniStore ini;
    ini.load(dir.file("zeq.ini"));
    ShellSettings s;
    s.load(ini);
    EXPECT_EQ(s.commandLines, (std::vector<std::string>{"a", "b", "c"}));
    s.zoom = false;
    s.boardType = 1;
    s.commandLines = commandBoxLines("wr x, 0\r\n\r\nrd y, 1\n");
    s.save(ini);
    ini.save(dir.file("zeq.ini"));
    IniStore back;
    back.load(dir.file("zeq.ini"));
    EXPECT_FALSE(back.has("Toolcfg", "ListGetTime"));  // the section was deleted first
    EXPECT_FALSE(back.has("Toolcfg", "editsourcepath"));
    EXPECT_EQ(back.getInt("Toolcfg", "Zoom", -1), 0);
    EXPECT_EQ(back.getString("Drevices", "ZEQ-SIM0", ""), "2");
    EXPECT_EQ(back.getInt("Drevices", "BoardType", -1), 1);
    // An empty line between two commands stores two lines.
    EXPECT_EQ(back.getInt("CommandLeft", "CommandTotal", -1), 2);
    EXPECT_EQ(back.getString("CommandLeft", "1", ""), "wr x, 0");
    EXPECT_EQ(back.getString("CommandLeft", "2", ""), "rd y, 1");
    EXPECT_FALSE(back.has("CommandLeft", "3"));
    EXPECT_EQ(back.getString("ListView", "keep", ""), "yes");
}

TEST(Settings, CommandLinesAreBounded) {
    const std::string longLine(3000, 'x');
    const auto lines = commandBoxLines(longLine + "\n\n\r\n");
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].size(), kCommandLineMax);
}

TEST(SyntaxStore, ValuesFromTheStoreReplaceTheDefaults) {
    std::map<std::pair<std::string, std::string>, std::string> store = {
        {{"icrEdit__ParseRule_ZEQ", "g_bCase"}, "1"},
        {{"icrEdit__ParseRule_ZEQ", "LineCommentStr0"}, ""},  // empty: no line comment
        {{"icrEdit__ParseRule_ZEQ", "BeginStringStr0"}, " \" "},
        {{"Keywords", "_ZEQ"}, ",Zeta,alpha,Beta,"},
    };
    const RuleLookup lookup = [&](std::string_view s,
                                  std::string_view k) -> std::optional<std::string> {
        const auto it = store.find({std::string(s), std::string(k)});
        if (it == store.end()) return std::nullopt;
        return it->second;
    };
    const SyntaxRules r = loadSyntaxRules(kLanguageZeq, lookup);
    EXPECT_TRUE(r.caseSensitive);
    EXPECT_TRUE(r.lineStarters.empty());
    EXPECT_EQ(r.stringOpener, "\"");
    EXPECT_EQ(r.blockOpeners, std::vector<std::string>{"{"});
    EXPECT_EQ(r.keywords, (std::vector<std::string>{"Beta", "Zeta", "alpha"}));  // byte order
    EXPECT_TRUE(r.isKeyword("Beta"));
    EXPECT_FALSE(r.isKeyword("beta"));
    const SyntaxRules plain = loadSyntaxRules(kLanguagePlain, lookup);
    EXPECT_TRUE(plain.keywords.empty());
    EXPECT_TRUE(plain.blockOpeners.empty());
    EXPECT_FALSE(plain.isNumber("10"));
}

TEST(AtomicWrite, KeepsTheModeAndLeavesNoTemporaryFile) {
    TempDir dir;
    const std::string path = dir.file("a.zeq");
    writeText(path, "old");
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(writeFileAtomically(path, "new text"));
    EXPECT_EQ(readText(path), "new text");
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(AtomicWrite, AFailedWriteLeavesTheOldFile) {
    TempDir dir;
    const std::string path = dir.file("a.zeq");
    writeText(path, "old contents");
    // A file-size limit makes the write fail as a full disk would.
    struct rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto* previous = ::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 4;
    ::setrlimit(RLIMIT_FSIZE, &small);
    std::string error;
    const bool ok = writeFileAtomically(path, std::string(100, 'x'), &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previous);
    EXPECT_FALSE(ok);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(readText(path), "old contents");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
    // A target that cannot be replaced (a folder) fails the same way.
    fs::create_directory(dir.file("folder"));
    EXPECT_FALSE(writeFileAtomically(dir.file("folder"), "x"));
    EXPECT_TRUE(fs::is_directory(dir.file("folder")));
}

}  // namespace
}  // namespace zeq::desk
