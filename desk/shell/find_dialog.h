// The find and replace box over the editor text.
#pragma once

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace zeq::desk {

class SourceEditor;

class FindDialog : public QDialog {
    Q_OBJECT
  public:
    FindDialog(SourceEditor* editor, QWidget* parent = nullptr);
    // Shows the replace field and buttons, or hides them.
    void setReplaceMode(bool replace);
    QLineEdit* findField() const { return m_find; }
    QLineEdit* replaceField() const { return m_replace; }
    // Selects the next match after the caret (wrapping); false when there is none.
    bool findNext();
    // Replaces the selected match and finds the next.
    void replaceOne();
    // Replaces every match; returns how many.
    int replaceAll();

  private:
    SourceEditor* m_editor;
    QLineEdit* m_find;
    QLineEdit* m_replace;
    QCheckBox* m_case;
    QPushButton* m_replaceButton;
    QPushButton* m_replaceAllButton;
    QWidget* m_replaceRow;
};

}  // namespace zeq::desk
