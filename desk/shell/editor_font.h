// The editor font between its settings description and a QFont.
#pragma once

#include <QFont>

#include "shell/rules/editor_settings.h"

namespace zeq::desk {

// A QFont for the description. A face that is not installed ("宋体" on most Linux desktops)
// falls back to an installed CJK font.
QFont fontFromDescription(const FontDescription& desc);
// The description of `font`; the fields a QFont does not carry are taken from `base`.
FontDescription descriptionFromFont(const QFont& font, const FontDescription& base);

// An installed face that shows Chinese, for a face that is missing; empty when none is found.
QString installedCjkFamily();

}  // namespace zeq::desk
