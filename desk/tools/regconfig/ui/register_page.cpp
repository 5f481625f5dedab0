#include "tools/regconfig/ui/register_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <cmath>
#include <cstdlib>

#include "tools/regconfig/number_fields.h"
#include "tools/regconfig/ui/regconfig_ui_messages.h"

namespace zeq::desk::regconfig {

namespace {

QString u8(const char* text) {
    return QString::fromUtf8(text);
}

QString realText(double v) {
    return QString::asprintf("%.7lf", v);
}

// The group title of a field kind on the numbers page.
const char* groupTitle(FieldKind kind) {
    switch (kind) {
        case FieldKind::Word16:
            return ui_text::kShortGroup;
        case FieldKind::Long32:
            return ui_text::kLongGroup;
        case FieldKind::DistFactor:
        case FieldKind::TimeFactor:
            return ui_text::kFactorGroup;
        case FieldKind::Fixed16:
        case FieldKind::MotionLimit:
            break;
    }
    return ui_text::kLimitGroup;
}

constexpr UnitFactors kFixed16Units{true, 1.0, 1.0};  // × 65536

}  // namespace

RegisterPage::RegisterPage(ConfigPage page, QWidget* parent)
    : QWidget(parent), m_page(std::move(page)) {
    setObjectName(QString::fromUtf8(m_page.tab) + QStringLiteral("Page"));
    setAccessibleName(u8(m_page.tab));
    auto* layout = new QVBoxLayout(this);
    for (const BitRegister& reg : m_page.registers) layout->addWidget(buildRegisterBox(reg));
    for (const NumberField& f : numberFieldsOf(m_page.tab)) m_fields.push_back({f, nullptr});
    if (!m_fields.empty()) layout->addWidget(buildFields());
    layout->addStretch(1);
}

QWidget* RegisterPage::buildRegisterBox(const BitRegister& reg) {
    const char* name = registerInfo(reg.reg).name;
    auto* box = new QGroupBox(QString::fromUtf8(bitCaption(name, 0)), this);
    box->setObjectName(QString::fromUtf8(name) + QStringLiteral("Box"));
    box->setAccessibleName(u8(name));
    m_boxes.push_back(box);
    auto* grid = new QGridLayout(box);
    // Many check boxes share two columns; option pairs take a line each.
    int boxes = 0;
    for (const BitOption& o : reg.options) boxes += o.control == Control::CheckBox;
    const int columns = boxes > 6 ? 2 : 1;
    int at = 0;
    for (const BitOption& o : reg.options) {
        const QString id = QStringLiteral("%1.bit%2").arg(QString::fromUtf8(name)).arg(o.bit);
        const RegId r = reg.reg;
        const int bit = o.bit;
        if (o.control == Control::CheckBox) {
            auto* check = new QCheckBox(u8(o.whenSet), box);
            check->setObjectName(id + QStringLiteral(".set"));
            connect(check, &QCheckBox::clicked, this,
                    [this, r, bit](bool on) { emit optionChosen(r, bit, on); });
            grid->addWidget(check, at / columns, at % columns);
            m_options.push_back({r, o, check, nullptr});
            ++at;
            continue;
        }
        // A pair starts on a line of its own.
        if (at % columns) at += columns - at % columns;
        auto* set = new QRadioButton(u8(o.whenSet), box);
        auto* cleared = new QRadioButton(u8(o.whenCleared), box);
        set->setObjectName(id + QStringLiteral(".set"));
        cleared->setObjectName(id + QStringLiteral(".cleared"));
        auto* group = new QButtonGroup(box);
        group->addButton(set);
        group->addButton(cleared);
        connect(set, &QRadioButton::clicked, this,
                [this, r, bit] { emit optionChosen(r, bit, true); });
        connect(cleared, &QRadioButton::clicked, this,
                [this, r, bit] { emit optionChosen(r, bit, false); });
        auto* row = new QHBoxLayout;
        row->addWidget(set, 1);
        row->addWidget(cleared, 1);
        grid->addLayout(row, at / columns, 0, 1, columns);
        at += columns;
        m_options.push_back({r, o, set, cleared});
    }
    return box;
}

QWidget* RegisterPage::buildFields() {
    const bool numbersPage = m_page.kind == PageKind::Numbers;
    auto* holder = new QWidget(this);
    auto* outer = new QVBoxLayout(holder);
    outer->setContentsMargins(0, 0, 0, 0);
    QGroupBox* top = nullptr;
    if (numbersPage) {
        top = new QGroupBox(u8(ui_text::kOtherTitle), holder);
        outer->addWidget(top);
    }
    auto* columns = new QHBoxLayout;
    (top ? static_cast<QBoxLayout*>(new QVBoxLayout(top)) : outer)->addLayout(columns);
    // The numbers page: factors and 32-bit fields, 16-bit fields, motion limits side by side.
    QVBoxLayout* column[3] = {};
    if (numbersPage) {
        for (QVBoxLayout*& c : column) {
            c = new QVBoxLayout;
            columns->addLayout(c);
        }
    }
    const auto columnOf = [](const char* title) {
        return title == ui_text::kShortGroup ? 1 : title == ui_text::kLimitGroup ? 2 : 0;
    };
    QFormLayout* form = nullptr;
    const char* current = nullptr;
    for (Field& f : m_fields) {
        const char* title = numbersPage ? groupTitle(f.field.kind) : "";
        if (!form || title != current) {
            current = title;
            QWidget* group;
            if (numbersPage) {
                group = new QGroupBox(u8(title), holder);
                column[columnOf(title)]->addWidget(group);
            } else {
                group = new QWidget(holder);
                columns->addWidget(group);
            }
            form = new QFormLayout(group);
            if (title == ui_text::kLimitGroup) {
                m_user = new QRadioButton(u8(ui_text::kUserUnits), group);
                m_base = new QRadioButton(u8(ui_text::kBaseUnits), group);
                m_user->setObjectName(QStringLiteral("userUnits"));
                m_base->setObjectName(QStringLiteral("baseUnits"));
                m_user->setChecked(true);
                auto* units = new QButtonGroup(group);
                units->addButton(m_user);
                units->addButton(m_base);
                connect(m_user, &QRadioButton::clicked, this, [this] { emit unitsChosen(true); });
                connect(m_base, &QRadioButton::clicked, this, [this] { emit unitsChosen(false); });
                auto* row = new QHBoxLayout;
                row->addWidget(m_user);
                row->addWidget(m_base);
                form->addRow(row);
            }
        }
        f.edit = new QLineEdit(holder);
        f.edit->setObjectName(QString::fromUtf8(f.field.kind == FieldKind::DistFactor ? "distscale"
                                                : f.field.kind == FieldKind::TimeFactor
                                                    ? "timescale"
                                                    : registerInfo(f.field.reg).name) +
                              QStringLiteral("Field"));
        f.edit->setAccessibleName(u8(f.field.label));
        f.edit->setMinimumWidth(110);
        form->addRow(u8(f.field.label) + QLatin1Char(':'), f.edit);
    }
    for (QVBoxLayout* c : column)
        if (c) c->addStretch(1);
    return holder;
}

void RegisterPage::setUserUnits(bool user) {
    m_userUnits = user;
    if (!m_user) return;
    const QSignalBlocker a(m_user), b(m_base);
    (user ? m_user : m_base)->setChecked(true);
}

QString RegisterPage::fieldText(const Field& f, const AxisRegisters& values,
                                double timeScale) const {
    switch (f.field.kind) {
        case FieldKind::Word16:
            return QString::number(static_cast<std::int16_t>(values[f.field.reg]));
        case FieldKind::Long32:
            return QString::number(values[f.field.reg]);
        case FieldKind::Fixed16:
            return QString::fromStdString(motionLimitText(values[f.field.reg], kFixed16Units));
        case FieldKind::MotionLimit:
            return QString::fromStdString(motionLimitText(
                values[f.field.reg], UnitFactors{m_userUnits, values.distScale, timeScale}));
        case FieldKind::DistFactor:
            return realText(values.distScale);
        case FieldKind::TimeFactor:
            return realText(timeScale);
    }
    return {};
}

void RegisterPage::showValues(const AxisRegisters& values, double timeScale) {
    showBits(values);
    for (const Field& f : m_fields) f.edit->setText(fieldText(f, values, timeScale));
}

void RegisterPage::showBits(const AxisRegisters& values) {
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        const RegId reg = m_page.registers[i].reg;
        m_boxes[i]->setTitle(QString::fromUtf8(
            bitCaption(registerInfo(reg).name, static_cast<std::uint16_t>(values[reg]))));
    }
    for (const Option& o : m_options) {
        const bool on = optionSet(static_cast<std::uint16_t>(values[o.reg]), o.option);
        const QSignalBlocker a(o.set);
        if (o.cleared) {
            const QSignalBlocker b(o.cleared);
            (on ? o.set : o.cleared)->setChecked(true);
        } else {
            o.set->setChecked(on);
        }
    }
}

bool RegisterPage::commit(AxisRegisters& values, double& timeScale, UserDialogs& dialogs,
                          bool& changed) {
    for (const Field& f : m_fields) {
        if (!f.edit->isModified()) continue;
        const std::string typed = f.edit->text().toStdString();
        std::string shown = typed;
        bool ok = false;
        switch (f.field.kind) {
            case FieldKind::Word16: {
                std::uint16_t word = 0;
                ok = readField16(typed, dialogs, word, shown);
                if (ok) values[f.field.reg] = word;
                break;
            }
            case FieldKind::Long32: {
                std::int32_t v = 0;
                ok = readField32(typed, dialogs, v);
                if (ok) values[f.field.reg] = v;
                break;
            }
            case FieldKind::Fixed16:
            case FieldKind::MotionLimit: {
                const UnitFactors units =
                    f.field.kind == FieldKind::Fixed16
                        ? kFixed16Units
                        : UnitFactors{m_userUnits, values.distScale, timeScale};
                std::int32_t v = 0;
                ok = readMotionLimit(typed, units, dialogs, v, shown);
                if (ok) values[f.field.reg] = v;
                break;
            }
            case FieldKind::DistFactor:
            case FieldKind::TimeFactor: {
                const QString t = f.edit->text().trimmed();
                const double v = t.toDouble(&ok);
                ok = ok && std::isfinite(v) && v != 0;
                if (!ok) {
                    dialogs.message(typed + ui_text::kBadFactor);
                } else if (f.field.kind == FieldKind::DistFactor) {
                    values.distScale = v;
                } else {
                    timeScale = v;
                }
                break;
            }
        }
        if (!ok) {
            f.edit->setFocus();
            f.edit->selectAll();
            return false;
        }
        f.edit->setText(QString::fromStdString(shown));
        changed = true;
    }
    return true;
}

QGroupBox* RegisterPage::registerBox(RegId reg) const {
    for (std::size_t i = 0; i < m_boxes.size(); ++i)
        if (m_page.registers[i].reg == reg) return m_boxes[i];
    return nullptr;
}

QAbstractButton* RegisterPage::optionButton(RegId reg, int bit, bool set) const {
    for (const Option& o : m_options)
        if (o.reg == reg && o.option.bit == bit) return set ? o.set : o.cleared;
    return nullptr;
}

QLineEdit* RegisterPage::field(FieldKind kind, RegId reg) const {
    for (const Field& f : m_fields)
        if (f.field.kind == kind &&
            (f.field.reg == reg || kind == FieldKind::DistFactor || kind == FieldKind::TimeFactor))
            return f.edit;
    return nullptr;
}

}  // namespace zeq::desk::regconfig
