#include "ui/LengthLimit.h"

#include <QLineEdit>

CLengthLimit::CLengthLimit(QLineEdit* edit, int limit, qsizetype current)
    : QValidator(edit), m_limit(limit), m_previous(current) {
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) { m_previous = text.size(); });
}

QValidator::State CLengthLimit::validate(QString& input, int& pos) const {
    const qsizetype allowed = std::max<qsizetype>(m_limit, m_previous);
    if (input.size() <= allowed) {
        return Acceptable;
    }
    // What was just put in ends at the cursor; its end is cut until the text fits.
    const qsizetype inserted = std::max<qsizetype>(0, input.size() - m_previous);
    const qsizetype insertEnd = std::clamp<qsizetype>(pos, inserted, input.size());
    const qsizetype insertStart = insertEnd - inserted;
    qsizetype keep = inserted - std::min(inserted, input.size() - allowed);
    if (keep > 0 && input.at(insertStart + keep - 1).isHighSurrogate()) {
        --keep; // never half a character
    }
    if (input.size() - (inserted - keep) > allowed) {
        return Invalid; // the text was too long before the insertion too
    }
    input.remove(insertStart + keep, inserted - keep);
    pos = int(insertStart + keep);
    return Acceptable;
}
