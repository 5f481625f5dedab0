#include "shell/source_editor.h"

#include <QFile>
#include <QSettings>
#include <algorithm>
#include <vector>

#include "shell/editor_font.h"
#include "shell/rules/atomic_file.h"
#include "shell/shell_messages.h"
#include "shell/zeq_lexer.h"

namespace zeq::desk {
namespace {

constexpr int kRunMarker = 1;
constexpr int kBreakMarker = 2;
constexpr int kNumberMargin = 0;
constexpr int kBreakMargin = 1;
constexpr int kBreakMarginWidth = 14;
constexpr qint64 kMaxFileBytes = 64LL * 1024 * 1024;

QColor fromBgr(std::uint32_t v) {
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

// The rule set shared by every editor, and the editors that colour with it.
std::shared_ptr<const SyntaxRules>& sharedRules() {
    static std::shared_ptr<const SyntaxRules> rules =
        std::make_shared<SyntaxRules>(SyntaxRules::defaults(kLanguageZeq));
    return rules;
}
std::vector<SourceEditor*>& liveEditors() {
    static std::vector<SourceEditor*> editors;
    return editors;
}

}  // namespace

void SourceEditor::reloadSyntaxRules(int language) {
    // The framework store `ZeqDesk`: read only, never written.
    QSettings store(QStringLiteral("ZeqDesk"), QStringLiteral("ZeqDesk"));
    const RuleLookup lookup = [&store](std::string_view section,
                                       std::string_view key) -> std::optional<std::string> {
        const QString name = QString::fromUtf8(section.data(), section.size()) + QLatin1Char('/') +
                             QString::fromUtf8(key.data(), key.size());
        const QVariant v = store.value(name);
        if (!v.isValid()) return std::nullopt;
        // A list value (a comma in an INI value) comes back split; join it again.
        if (v.typeId() == QMetaType::QStringList) {
            return v.toStringList().join(QLatin1Char(',')).toStdString();
        }
        return v.toString().toStdString();
    };
    sharedRules() = std::make_shared<SyntaxRules>(loadSyntaxRules(language, lookup));
    for (SourceEditor* e : liveEditors()) {
        e->m_lexer->setRules(sharedRules());
        e->recolourAll();
    }
}

SourceEditor::SourceEditor(QWidget* parent) : QsciScintilla(parent), m_lexer(new ZeqLexer(this)) {
    liveEditors().push_back(this);
    setUtf8(true);
    m_lexer->setRules(sharedRules());
    setLexer(m_lexer);
    setTabWidth(4);
    setIndentationsUseTabs(true);
    SendScintilla(SCI_SETSCROLLWIDTH, 1);
    SendScintilla(SCI_SETSCROLLWIDTHTRACKING, 1);
    setMarginType(kNumberMargin, QsciScintilla::TextMarginRightJustified);
    // The breakpoint gutter between the numbers and the text; margin 1 carries the break
    // marker only, so the running line's background never shows there.
    setMarginType(kBreakMargin, QsciScintilla::SymbolMargin);
    setMarginWidth(kBreakMargin, kBreakMarginWidth);
    setMarginMarkerMask(kBreakMargin, 1 << kBreakMarker);
    setMarginSensitivity(kBreakMargin, true);
    setMarginWidth(2, 0);
    markerDefine(QsciScintilla::Background, kRunMarker);
    markerDefine(QsciScintilla::Circle, kBreakMarker);
    setMarkerBackgroundColor(QColor(0xC8, 0x20, 0x20), kBreakMarker);
    setMarkerForegroundColor(QColor(0x80, 0x10, 0x10), kBreakMarker);
    connect(this, &QsciScintilla::marginClicked, this,
            [this](int margin, int line, Qt::KeyboardModifiers) {
                if (margin == kBreakMargin) toggleBreakpoint(line);
            });
    connect(this, &QsciScintilla::linesChanged, this, [this] {
        if (markerFindNext(0, 1 << kBreakMarker) >= 0) emit breakpointsChanged();
    });
    setCallTipsStyle(QsciScintilla::CallTipsNoContext);
    connect(this, &QsciScintillaBase::SCN_CHARADDED, this, &SourceEditor::onCharAdded);
    connect(this, &QsciScintillaBase::SCN_UPDATEUI, this, &SourceEditor::onUpdateUi);
    applySettings(EditorSettings());
}

SourceEditor::~SourceEditor() {
    auto& list = liveEditors();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void SourceEditor::applySettings(const EditorSettings& settings) {
    m_settings = settings;
    const EditorSwitches& s = m_settings.switches;
    m_settings.switches.tabSize = 4;
    m_settings.switches.undoLimits = 100;
    setTabWidth(4);
    setWrapMode(s.wrapMode ? QsciScintilla::WrapWord : QsciScintilla::WrapNone);
    setReadOnly(s.readOnly);
    setWhitespaceVisibility(s.showTabSpace ? QsciScintilla::WsVisible : QsciScintilla::WsInvisible);
    setEolVisibility(s.showReturnLineToken);
    const QFont font = fontFromDescription(m_settings.font);
    m_lexer->setEditorFont(font);
    setMarginsFont(font);
    applyColours();
    m_numberWidth = 0;
    refreshLineNumbers();
    updateCaretMarks();
}

void SourceEditor::applyColours() {
    const auto& c = m_settings.colours;
    std::array<QColor, kColourKindCount> kinds;
    kinds[kColourComment] = fromBgr(c[kClrComment]);
    kinds[kColourKeyword] = fromBgr(c[kClrSyntax]);
    kinds[kColourNormal] = fromBgr(c[kClrNormal]);
    kinds[kColourNumber] = fromBgr(c[kClrNumber]);
    kinds[kColourString] = fromBgr(c[kClrString]);
    kinds[kColourChar] = fromBgr(c[kClrChar]);
    m_lexer->setColours(kinds, fromBgr(c[kClrBk]));
    setPaper(fromBgr(c[kClrBk]));
    setMarginsBackgroundColor(fromBgr(c[kClrLinNumberBk]));
    setMarginsForegroundColor(fromBgr(c[kClrLinNumberNormal]));
    setMarginBackgroundColor(kNumberMargin, fromBgr(c[kClrLinNumberBk]));
    setMarkerBackgroundColor(fromBgr(c[kClrBkRunLine]), kRunMarker);
    setSelectionBackgroundColor(fromBgr(c[kClrBkSelText]));
    setSelectionForegroundColor(Qt::white);
    setWhitespaceForegroundColor(fromBgr(c[kClrTab]));
    setEdgeColor(fromBgr(c[kClrCross]));
    const QFont font = m_lexer->defaultFont(0);
    m_numberStyle = std::make_unique<QsciStyle>(-1, QStringLiteral("line number"),
                                                fromBgr(c[kClrLinNumberNormal]),
                                                fromBgr(c[kClrLinNumberBk]), font);
    m_currentNumberStyle = std::make_unique<QsciStyle>(-1, QStringLiteral("current line number"),
                                                       fromBgr(c[kClrCurLinNumber]),
                                                       fromBgr(c[kClrLinNumberBk]), font);
    recolourAll();
}

void SourceEditor::recolourAll() {
    m_lexer->setRules(sharedRules());
    SendScintilla(SCI_COLOURISE, 0L, -1L);
    update();
}

void SourceEditor::setLanguage(int language) {
    m_settings.switches.language = language == kLanguagePlain ? kLanguagePlain : kLanguageZeq;
    reloadSyntaxRules(m_settings.switches.language);
}

void SourceEditor::setDocumentText(const QString& text) {
    setText(text);
    SendScintilla(SCI_EMPTYUNDOBUFFER);
    setModified(false);
    m_tips.reset();
    m_runningLine = -1;
    markerDeleteAll(kRunMarker);
    markerDeleteAll(kBreakMarker);
    m_numberWidth = 0;
    refreshLineNumbers();
    emit documentReplaced();
}

bool SourceEditor::loadFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    if (file.size() > kMaxFileBytes) {
        if (error) *error = QString::fromUtf8(msg::kOpenTooLarge);
        return false;
    }
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    if (bytes.size() > kMaxFileBytes || file.error() != QFileDevice::NoError) {
        if (error)
            *error = bytes.size() > kMaxFileBytes ? QString::fromUtf8(msg::kOpenTooLarge)
                                                  : file.errorString();
        return false;
    }
    // The editor cannot hold a NUL byte; saving such a file would cut it short.
    if (bytes.contains('\0')) {
        if (error) *error = QString::fromUtf8(msg::kOpenNotText);
        return false;
    }
    const std::string_view raw(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    const TextEncoding enc = detectScriptEncoding(raw);
    const std::string utf8 = enc == TextEncoding::Utf8 ? std::string(raw) : gbkToUtf8(raw);
    // Bytes that are neither UTF-8 nor GBK would not survive a save: refuse rather than change
    // the file behind the user's back.
    if (enc == TextEncoding::Gbk && utf8ToGbk(utf8) != raw) {
        if (error) *error = QString::fromUtf8(msg::kOpenBadEncoding);
        return false;
    }
    if (bytes.contains("\r\n")) {
        setEolMode(EolWindows);
    } else if (bytes.contains('\r')) {
        setEolMode(EolMac);
    } else {
        setEolMode(EolUnix);
    }
    m_encoding = enc;
    setDocumentText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    return true;
}

QByteArray SourceEditor::encodedText() const {
    const QByteArray utf8 = text().toUtf8();
    if (m_encoding == TextEncoding::Utf8) return utf8;
    const std::string gbk = utf8ToGbk(std::string_view(utf8.constData(), utf8.size()));
    return QByteArray(gbk.data(), static_cast<qsizetype>(gbk.size()));
}

bool SourceEditor::saveFile(const QString& path, QString* error) {
    const QByteArray bytes = encodedText();
    std::string why;
    if (!writeFileAtomically(path.toStdString(), std::string_view(bytes.constData(), bytes.size()),
                             &why)) {
        if (error) *error = QString::fromStdString(why);
        return false;
    }
    setModified(false);
    return true;
}

int SourceEditor::caretLine() const {
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    return line + 1;
}

int SourceEditor::caretColumn() const {
    int line = 0, index = 0;
    getCursorPosition(&line, &index);
    return index + 1;
}

QString SourceEditor::lineText(int line, bool* endsWithCr) const {
    QString t = text(line);
    bool cr = false;
    if (t.endsWith(QLatin1Char('\n'))) t.chop(1);
    if (t.endsWith(QLatin1Char('\r'))) {
        t.chop(1);
        cr = true;
    }
    if (endsWithCr) *endsWithCr = cr;
    return t;
}

void SourceEditor::markRunningLine(int line) {
    markerDeleteAll(kRunMarker);
    m_runningLine = line;
    if (line >= 0 && line < lines()) markerAdd(line, kRunMarker);
}

void SourceEditor::clearRunningLine() {
    markerDeleteAll(kRunMarker);
    m_runningLine = -1;
}

void SourceEditor::toggleBreakpoint(int line) {
    if (line < 0 || line >= lines()) return;
    if (markersAtLine(line) & (1u << kBreakMarker)) {
        markerDelete(line, kBreakMarker);
    } else {
        markerAdd(line, kBreakMarker);
    }
    emit breakpointsChanged();
}

void SourceEditor::setBreakpointLines(const std::vector<int>& lineList) {
    markerDeleteAll(kBreakMarker);
    for (int line : lineList)
        if (line >= 0 && line < lines()) markerAdd(line, kBreakMarker);
    emit breakpointsChanged();
}

std::vector<int> SourceEditor::breakpointLines() const {
    std::vector<int> out;
    for (int line = markerFindNext(0, 1 << kBreakMarker); line >= 0;
         line = markerFindNext(line + 1, 1 << kBreakMarker))
        out.push_back(line);
    return out;
}

void SourceEditor::onCharAdded(int ch) {
    if (ch == '\n' || (ch == '\r' && eolMode() == EolMac)) {
        int line = 0, index = 0;
        getCursorPosition(&line, &index);
        if (line > 0) {
            const QByteArray prev = lineText(line - 1).toUtf8();
            const std::string indent = indentAfter(std::string_view(prev.constData(), prev.size()));
            if (!indent.empty()) {
                insertAt(QString::fromStdString(indent), line, 0);
                setCursorPosition(line, static_cast<int>(indent.size()));
            }
        }
        m_tips.reset();
        return;
    }
    const std::string_view usage = m_tips.type(ch < 0x80 ? static_cast<char>(ch) : ' ');
    if (!usage.empty()) {
        m_lastTip = QString::fromUtf8(usage.data(), static_cast<qsizetype>(usage.size()));
        const QByteArray tip(usage.data(), static_cast<qsizetype>(usage.size()));
        SendScintilla(SCI_CALLTIPSHOW, SendScintilla(SCI_GETCURRENTPOS), tip.constData());
    }
}

void SourceEditor::onUpdateUi(int) {
    refreshLineNumbers();
    updateCaretMarks();
}

void SourceEditor::refreshLineNumbers() {
    if (!m_settings.switches.showLineNumber) {
        setMarginWidth(kNumberMargin, 0);
        return;
    }
    const int total = std::max(1, lines());
    const int digits = static_cast<int>(QString::number(total).size());
    const int caret = caretLine() - 1;
    if (digits != m_numberWidth) {
        m_numberWidth = digits;
        setMarginWidth(kNumberMargin, QString(digits + 1, QLatin1Char('0')));
    }
    // Only the lines on screen carry a number: a long file costs nothing more.
    const int first = static_cast<int>(SendScintilla(SCI_GETFIRSTVISIBLELINE));
    const int onScreen = static_cast<int>(SendScintilla(SCI_LINESONSCREEN)) + 2;
    const int firstDoc = static_cast<int>(SendScintilla(SCI_DOCLINEFROMVISIBLE, first));
    const int lastDoc = std::min(
        total - 1, static_cast<int>(SendScintilla(SCI_DOCLINEFROMVISIBLE, first + onScreen)));
    for (int line = firstDoc; line <= lastDoc; ++line) {
        const QString number = QStringLiteral("%1").arg(line + 1, digits, 10, QLatin1Char('0'));
        const QsciStyle& style = line == caret ? *m_currentNumberStyle : *m_numberStyle;
        char current[32] = {};
        const long len = SendScintilla(SCI_MARGINGETTEXT, line, static_cast<void*>(nullptr));
        if (len > 0 && len < 31) SendScintilla(SCI_MARGINGETTEXT, line, current);
        const int currentStyle = static_cast<int>(SendScintilla(SCI_MARGINGETSTYLE, line));
        if (number.toLatin1() != QByteArray(current) || currentStyle != style.style()) {
            setMarginText(line, number, style);
        }
    }
}

void SourceEditor::updateCaretMarks() {
    const EditorSwitches& s = m_settings.switches;
    const auto& c = m_settings.colours;
    const bool lineShown = s.showSelectLine || s.showUnderLine || s.showCross;
    setCaretLineVisible(lineShown);
    if (s.showSelectLine) {
        setCaretLineFrameWidth(0);
        setCaretLineBackgroundColor(fromBgr(c[kClrBkCurLine]));
    } else if (lineShown) {
        // Underline and the cross-hair's horizontal stroke: a frame round the caret line.
        setCaretLineFrameWidth(1);
        setCaretLineBackgroundColor(fromBgr(s.showCross ? c[kClrCross] : c[kClrUnderLine]));
    }
    if (s.showCross) {
        setEdgeMode(EdgeLine);
        const long pos = SendScintilla(SCI_GETCURRENTPOS);
        setEdgeColumn(static_cast<int>(SendScintilla(SCI_GETCOLUMN, pos)));
    } else {
        setEdgeMode(EdgeNone);
    }
    const int line = caretLine();
    const int column = caretColumn();
    if (line != m_lastCaretLine || column != m_lastCaretColumn) {
        m_lastCaretLine = line;
        m_lastCaretColumn = column;
        emit caretMoved(line, column);
    }
}

}  // namespace zeq::desk
