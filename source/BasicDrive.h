#pragma once
// What both ends of a transfer share: a medium state, a fixed name, the combo box the user picks the
// drive in, and a progress window that either side opens while it works. The CD source and the
// destination derive from it and fill in how their drives are found.

#include "platform/win/WinTypes.h"

#include <QPointer>
#include <QString>
#include <memory>

class CMyComboBox;
class CStatusDlg;

class CBasicDrive {
public:
    explicit CBasicDrive(QString name);
    virtual ~CBasicDrive();
    CBasicDrive(const CBasicDrive&) = delete;
    CBasicDrive& operator=(const CBasicDrive&) = delete;

    // Takes the combo box that lists this side's drives (after letting go of everything held).
    virtual bool Attach(CMyComboBox* comboBox) = 0;
    virtual void Detach() = 0;
    // Lists the drives again; selectDefault picks the first, otherwise the one picked before.
    virtual void Refresh(bool selectDefault, bool closeDropDown) = 0;

    // The CD side: 0 no drive listed, 1 drives listed, 2 a usable disc is open. The destination
    // gives the values its own meaning.
    void SetState(int value) { m_state = value; }
    int GetState() const { return m_state; }
    const QString& Name() const { return m_name; }

    // The combo box's current index; -1 without a combo box or a selection.
    int GetSelection() const;
    // What the combo box shows; empty without a combo box.
    QString GetSelectionText() const;
    // "X:" of the entry shown, from the " (X:)" every drive label ends in; empty otherwise.
    virtual QString GetDriveRoot() const;
    // The root a drive label names: its trailing "(X:)" only, so a volume label that itself
    // contains ":)" cannot name another drive.
    static QString DriveRootOf(const QString& label);

    // Opens the progress window (owned by the main window) with the program's title; with
    // disableButton its Cancel button is greyed. False when the window cannot be made.
    bool OpenProgress(bool disableButton);
    void SetProgressPos(int position);
    // Closes the progress window; the part of the main window it covered repaints at once.
    void CloseProgress();
    bool IsProgressShown() const { return m_progressShown; }
    CStatusDlg* Progress() const { return m_progress.get(); }

protected:
    CMyComboBox* ComboBox() const;
    void SetComboBox(CMyComboBox* comboBox);

private:
    int m_state = 0;
    QString m_name;
    std::unique_ptr<CStatusDlg> m_progress;
    bool m_progressShown = false;
    QPointer<CMyComboBox> m_comboBox; // the main window's; may go before this object
};
