// One page of the register configuration dialog, built from its description: a box per
// register, captioned with the register's 16 binary digits, holding one control per offered
// bit (a check box, or a pair of option buttons), then the page's number fields. The page only
// shows values and reports the user's choices; the dialog keeps the values.
#pragma once

#include <QWidget>
#include <vector>

#include "core/interfaces.h"
#include "tools/regconfig/register_pages.h"
#include "tools/regconfig/ui/register_fields.h"

class QAbstractButton;
class QGroupBox;
class QLineEdit;
class QRadioButton;

namespace zeq::desk::regconfig {

class RegisterPage : public QWidget {
    Q_OBJECT
  public:
    RegisterPage(ConfigPage page, QWidget* parent = nullptr);

    const ConfigPage& page() const { return m_page; }
    bool hasNumberFields() const { return !m_fields.empty(); }

    // Shows the values of one axis (the controls report nothing while they are set).
    void showValues(const AxisRegisters& values, double timeScale);
    // Shows the captions and the bit controls only (typed field texts stay).
    void showBits(const AxisRegisters& values);
    // Reads the fields typed since the last showValues() into `values` and `timeScale`,
    // asking the range questions. False when a text is refused: that field gets the focus.
    // `changed` is set when a field was taken.
    bool commit(AxisRegisters& values, double& timeScale, UserDialogs& dialogs, bool& changed);

    // The motion limits are edited in user units (the default) or in base units.
    bool userUnits() const { return m_userUnits; }
    void setUserUnits(bool user);

    // For the tests and the dialog: the box of a register, the button that sets (`set`) or
    // clears an offered bit (null when the bit is a check box and `set` is false), the field of
    // a register or factor.
    QGroupBox* registerBox(RegId reg) const;
    QAbstractButton* optionButton(RegId reg, int bit, bool set) const;
    QLineEdit* field(FieldKind kind, RegId reg) const;
    QRadioButton* unitsButton(bool user) const { return user ? m_user : m_base; }

  signals:
    // A bit's control was chosen by the user.
    void optionChosen(RegId reg, int bit, bool set);
    // The user chose the other units (the page's units change only through setUserUnits).
    void unitsChosen(bool user);

  private:
    struct Option {
        RegId reg;
        BitOption option;
        QAbstractButton* set;
        QAbstractButton* cleared;  // null for a check box
    };
    struct Field {
        NumberField field;
        QLineEdit* edit;
    };
    QWidget* buildRegisterBox(const BitRegister& reg);
    QWidget* buildFields();
    QString fieldText(const Field& f, const AxisRegisters& values, double timeScale) const;

    ConfigPage m_page;
    std::vector<Option> m_options;
    std::vector<QGroupBox*> m_boxes;  // in the order of m_page.registers
    std::vector<Field> m_fields;
    QRadioButton* m_user = nullptr;
    QRadioButton* m_base = nullptr;
    bool m_userUnits = true;
};

}  // namespace zeq::desk::regconfig
