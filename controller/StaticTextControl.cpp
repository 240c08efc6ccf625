#include "controller/StaticTextControl.h"

#include "ui/StaticEx.h"

QString CStaticTextControl::GetText() const {
    return m_control ? m_control->text() : QString();
}

void CStaticTextControl::SetText(const QString& text) {
    if (m_control) {
        m_control->SetWindowText(text);
    }
}
