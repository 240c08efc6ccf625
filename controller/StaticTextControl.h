#pragma once
// A static read-out of the main window seen as a text control, for the destination's capacity
// figures; the text is set the way the static sets it (repainting what lies under it).

#include "ui/StaticEx.h"
#include "ui/text/TextRules.h"

#include <QPointer>

class CStaticTextControl : public ITextControl {
public:
    void Bind(CStaticEx* control) { m_control = control; }
    QString GetText() const override;
    void SetText(const QString& text) override;

private:
    QPointer<CStaticEx> m_control;
};
