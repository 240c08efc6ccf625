#include "ui/MyComboBox.h"

#include <QLineEdit>

CMyComboBox::CMyComboBox(QWidget* parent) : QComboBox(parent) {}

void CMyComboBox::Reset(bool closeDropDown) {
    clear();
    if (closeDropDown) {
        hidePopup();
    }
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
