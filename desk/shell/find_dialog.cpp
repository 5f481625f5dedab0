#include "shell/find_dialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/shell_messages.h"
#include "shell/source_editor.h"

namespace zeq::desk {
namespace {
QString u8(const char* s) {
    return QString::fromUtf8(s);
}
}  // namespace

FindDialog::FindDialog(SourceEditor* editor, QWidget* parent) : QDialog(parent), m_editor(editor) {
    setObjectName(QStringLiteral("findDialog"));
    m_find = new QLineEdit(this);
    m_find->setAccessibleName(u8(msg::kFindWhat));
    m_replace = new QLineEdit(this);
    m_replace->setAccessibleName(u8(msg::kReplaceWith));
    m_case = new QCheckBox(u8(msg::kMatchCase), this);
    auto* next = new QPushButton(u8(msg::kFindNext), this);
    next->setDefault(true);
    m_replaceButton = new QPushButton(u8(msg::kReplaceOne), this);
    m_replaceAllButton = new QPushButton(u8(msg::kReplaceAll), this);

    auto* form = new QFormLayout;
    form->addRow(u8(msg::kFindWhat), m_find);
    m_replaceRow = new QWidget(this);
    auto* replaceLayout = new QHBoxLayout(m_replaceRow);
    replaceLayout->setContentsMargins(0, 0, 0, 0);
    replaceLayout->addWidget(new QLabel(u8(msg::kReplaceWith), m_replaceRow));
    replaceLayout->addWidget(m_replace);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_case);
    buttons->addStretch();
    buttons->addWidget(next);
    buttons->addWidget(m_replaceButton);
    buttons->addWidget(m_replaceAllButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_replaceRow);
    layout->addLayout(buttons);

    connect(next, &QPushButton::clicked, this, [this] { findNext(); });
    connect(m_replaceButton, &QPushButton::clicked, this, &FindDialog::replaceOne);
    connect(m_replaceAllButton, &QPushButton::clicked, this, [this] { replaceAll(); });
    setReplaceMode(false);
}

void FindDialog::setReplaceMode(bool replace) {
    setWindowTitle(u8(replace ? msg::kReplaceTitle : msg::kFindTitle));
    m_replaceRow->setVisible(replace);
    m_replaceButton->setVisible(replace);
    m_replaceAllButton->setVisible(replace);
}

bool FindDialog::findNext() {
    const QString what = m_find->text();
    if (what.isEmpty()) return false;
    return m_editor->findFirst(what, false, m_case->isChecked(), false, true, true);
}

void FindDialog::replaceOne() {
    if (m_editor->hasSelectedText() &&
        m_editor->selectedText().compare(
            m_find->text(), m_case->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive) == 0) {
        m_editor->replaceSelectedText(m_replace->text());
    }
    findNext();
}

int FindDialog::replaceAll() {
    const QString what = m_find->text();
    if (what.isEmpty()) return 0;
    int count = 0;
    m_editor->beginUndoAction();
    m_editor->setCursorPosition(0, 0);
    bool found = m_editor->findFirst(what, false, m_case->isChecked(), false, false, true, 0, 0);
    while (found) {
        m_editor->replace(m_replace->text());
        ++count;
        found = m_editor->findNext();
    }
    m_editor->endUndoAction();
    return count;
}

}  // namespace zeq::desk
