#pragma once
// The drive pickers: a drop-down list with the two list operations the drive classes use.

#include <QComboBox>

class CMyComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CMyComboBox(QWidget* parent = nullptr);

    // Removes every item and the text Select set; with closeDropDown an open drop-down list is
    // closed too.
    void Reset(bool closeDropDown);
    // Appends an item; returns its index. Adding never selects anything: the box keeps showing what
    // it showed (a Qt combo box would select the first item of an empty list).
    int AddString(const QString& text);
    // Sets the text, then the selection to `index`, without looking the text up among the items.
    // With no selection (index -1) the text is what the box shows.
    void Select(const QString& text, int index);
    // What the box shows: the selected item's text, or the text given to Select without a selection.
    QString WindowText() const;
};
