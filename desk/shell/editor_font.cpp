#include "shell/editor_font.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

namespace zeq::desk {
namespace {
// Font heights in the description are device pixels at 96 dots per inch.
constexpr double kDescriptionDpi = 96.0;
}  // namespace

QString installedCjkFamily() {
    static const char* const kCandidates[] = {
        "Noto Sans Mono CJK SC",
        "Noto Sans CJK SC",
        "Noto Serif CJK SC",
        "WenQuanYi Zen Hei Mono",
        "WenQuanYi Micro Hei",
        "AR PL UMing CN",
        "SimSun",
        "NSimSun",
    };
    const QStringList families = QFontDatabase::families();
    for (const char* c : kCandidates) {
        const QString name = QString::fromLatin1(c);
        if (families.contains(name, Qt::CaseInsensitive)) return name;
    }
    return {};
}

QFont fontFromDescription(const FontDescription& desc) {
    QString family = QString::fromStdString(desc.faceName);
    if (family.isEmpty() || !QFontDatabase::families().contains(family, Qt::CaseInsensitive)) {
        const QString fallback = installedCjkFamily();
        family = fallback.isEmpty() ? QFontDatabase::systemFont(QFontDatabase::FixedFont).family()
                                    : fallback;
    }
    QFont font(family);
    // A negative height is the character height, a positive one the cell height; both are
    // close enough to a pixel size for the editor.
    const long px = desc.height == 0 ? 12 : std::clamp<long>(std::labs(desc.height), 4, 200);
    // QScintilla takes a style's size in points.
    font.setPointSizeF(static_cast<double>(px) * 72.0 / kDescriptionDpi);
    font.setWeight(
        static_cast<QFont::Weight>(std::clamp<long>(desc.weight ? desc.weight : 400, 100, 900)));
    font.setItalic(desc.italic != 0);
    font.setUnderline(desc.underline != 0);
    font.setStrikeOut(desc.strikeOut != 0);
    if (desc.width > 0) font.setStretch(QFont::Unstretched);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

FontDescription descriptionFromFont(const QFont& font, const FontDescription& base) {
    FontDescription d = base;
    d.faceName = font.family().toStdString().substr(0, 32);
    int px = font.pixelSize();
    if (px <= 0) px = static_cast<int>(font.pointSizeF() * kDescriptionDpi / 72.0 + 0.5);
    d.height = -std::max(px, 1);
    d.weight = static_cast<long>(font.weight());
    d.italic = font.italic() ? 1 : 0;
    d.underline = font.underline() ? 1 : 0;
    d.strikeOut = font.strikeOut() ? 1 : 0;
    return d;
}

}  // namespace zeq::desk
