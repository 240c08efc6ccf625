#pragma once
// The length limit of a text field, in UTF-16 code units, as an edit control's text limit holds it:
// typing stops at the limit and a paste is cut to fit. Unlike a plain cut, a character made of two
// code units is never split; and a longer text that is already there is kept as it is (it may be
// shortened, not lengthened), so showing a long name never cuts it.

#include <QValidator>

class QLineEdit;

class CLengthLimit : public QValidator {
    Q_OBJECT
public:
    // Installs itself on `edit`; `current` is the length of the text about to be put in (a text is
    // validated before it is shown).
    CLengthLimit(QLineEdit* edit, int limit, qsizetype current);

    State validate(QString& input, int& pos) const override;
    int Limit() const { return m_limit; }

private:
    int m_limit;
    qsizetype m_previous;
};
