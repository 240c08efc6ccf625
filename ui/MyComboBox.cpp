#include "ui/MyComboBox.h"

#include <QLineEdit>

CMyComboBox::CMyComboBox(QWidget* parent) : QComboBox(parent) {}

void CMyComboBox::Reset(bool closeDropDown) {
    clear();
    // The text Select gave goes too: an empty box means nothing is selected.
    setPlaceholderText(QString());
    if (isEditable()) {
        clearEditText();
    }
    if (closeDropDown) {
        hidePopup();
    }
}

int CMyComboBox::AddString(const QString& text) {
    const int selected = currentIndex();
    addItem(text);
    if (selected < 0 && currentIndex() >= 0) {
        setCurrentIndex(-1);
    }
    return count() - 1;
}

void CMyComboBox::Select(const QString& text, int index) {
    if (isEditable()) {
        setEditText(text);
    }
    // A drop-down list has no edit field; the text shows while nothing is selected.
    setPlaceholderText(text);
    setCurrentIndex(index >= 0 && index < count() ? index : -1);
}

QString CMyComboBox::WindowText() const {
    if (isEditable() && lineEdit()) {
        return lineEdit()->text();
    }
    return currentIndex() >= 0 ? currentText() : placeholderText();
}
