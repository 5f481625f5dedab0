#include "tools/homing/ui/homing_picture.h"

#include <QPainter>
#include <QPainterPath>
#include <array>

#include "tools/homing/homeseq_bits.h"

namespace zeq::desk {
namespace {

// Positions as fractions of the drawing's width. The switch covers [kOrgLow, kOrgHigh]; the
// phases run towards the switch from the left.
constexpr double kOrgLow = 0.55;
constexpr double kOrgHigh = 0.75;
constexpr double kIndexStep = 0.1;

// One arrow: where a phase starts and ends.
struct Stroke {
    double from, to;
};
// A drawing: up to three phase arrows, where the origin is set, and what sets it.
struct Drawing {
    std::array<Stroke, 3> phases;
    int phaseCount;
    double home;
    const char* cause;  // the caption under the home mark
};

// Pictures 0..5: phase count and final action 10, 11, 12, 20, 21, 30; 6: any other.
constexpr Drawing kDrawings[] = {
    {{{{0.08, kOrgLow}}}, 1, kOrgLow, "ORG"},
    {{{{0.08, 0.6}}}, 1, 0.6, "ORG+index"},
    {{{{0.08, 0.2}}}, 1, 0.2, "index"},
    {{{{0.08, 0.62}, {0.62, kOrgLow}}}, 2, kOrgLow, "ORG"},
    {{{{0.08, 0.62}, {0.62, 0.5}}}, 2, 0.5, "ORG+index"},
    {{{{0.08, 0.62}, {0.62, 0.45}, {0.45, kOrgLow}}}, 3, kOrgLow, "ORG"},
    {{{{0.08, 0.45}}}, 0, 0, "?"},
};

void arrow(QPainter& p, QPointF a, QPointF b) {
    p.drawLine(a, b);
    const double dir = b.x() >= a.x() ? 1.0 : -1.0;
    QPainterPath head;
    head.moveTo(b);
    head.lineTo(b.x() - dir * 8, b.y() - 4);
    head.lineTo(b.x() - dir * 8, b.y() + 4);
    head.closeSubpath();
    p.fillPath(head, p.pen().color());
}

}  // namespace

HomingPicture::HomingPicture(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("homingPicture"));
    setMinimumSize(260, 150);
}

void HomingPicture::setPicture(int number) {
    if (number < 0 || number > homeseq::kGenericPicture) number = homeseq::kGenericPicture;
    if (number == m_number) return;
    m_number = number;
    update();
}

void HomingPicture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(252, 252, 246));
    p.setPen(QColor(160, 160, 160));
    p.drawRect(rect().adjusted(0, 0, -1, -1));

    const double w = width(), h = height();
    const auto X = [w](double f) { return f * w; };
    const double travelY = h * 0.22;
    const double indexY = h * 0.86;

    // The switch and the travel line.
    p.fillRect(QRectF(X(kOrgLow), travelY - 10, X(kOrgHigh) - X(kOrgLow), 20),
               QColor(250, 210, 120));
    p.setPen(QPen(Qt::black, 1));
    p.drawLine(QPointF(X(0.04), travelY), QPointF(X(0.96), travelY));
    p.drawText(QRectF(X(kOrgLow), travelY - 28, X(kOrgHigh) - X(kOrgLow), 16), Qt::AlignCenter,
               QStringLiteral("ORG"));
    // The index pulses.
    p.setPen(QPen(QColor(60, 60, 160), 1));
    for (double f = kIndexStep; f < 0.96; f += kIndexStep)
        p.drawLine(QPointF(X(f), indexY), QPointF(X(f), indexY - 8));
    p.drawLine(QPointF(X(0.04), indexY), QPointF(X(0.96), indexY));
    p.drawText(QRectF(X(0.04), indexY + 1, 60, 14), Qt::AlignLeft, QStringLiteral("index"));

    const Drawing& d = kDrawings[m_number];
    const QColor colours[] = {QColor(200, 30, 30), QColor(20, 120, 40), QColor(30, 60, 200)};
    if (d.phaseCount == 0) {
        // Any other sequence: a dashed arrow and a question mark.
        p.setPen(QPen(Qt::darkGray, 2, Qt::DashLine));
        arrow(p, QPointF(X(0.08), h * 0.45), QPointF(X(0.45), h * 0.45));
        QFont f = font();
        f.setPointSize(f.pointSize() * 2);
        p.setFont(f);
        p.drawText(QRectF(X(0.5), h * 0.3, X(0.3), h * 0.35), Qt::AlignCenter, d.cause);
        return;
    }
    for (int i = 0; i < d.phaseCount; ++i) {
        const double y = h * (0.38 + 0.13 * i);
        p.setPen(QPen(colours[i], 2));
        arrow(p, QPointF(X(d.phases[i].from), y), QPointF(X(d.phases[i].to), y));
        const double left = std::min(d.phases[i].from, d.phases[i].to);
        p.drawText(QRectF(X(left) - 2, y - 15, 60, 13), Qt::AlignLeft,
                   QStringLiteral("Phase%1").arg(i + 1));
    }
    // The origin: a vertical mark from the travel line down to the index line.
    p.setPen(QPen(Qt::black, 1.5, Qt::DotLine));
    p.drawLine(QPointF(X(d.home), travelY), QPointF(X(d.home), indexY));
    p.setBrush(Qt::black);
    p.drawEllipse(QPointF(X(d.home), travelY), 4, 4);
    p.setPen(Qt::black);
    p.drawText(QRectF(X(d.home) - 80, indexY - 26, 160, 14), Qt::AlignCenter,
               QString::fromUtf8("原点 (%1)").arg(QString::fromUtf8(d.cause)));
}

}  // namespace zeq::desk
