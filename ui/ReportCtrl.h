#pragma once
// The track list: a report-style list with a check box before each title, a title the user can
// rename in place, and a record of the chosen tracks (1 to 99) that the rip and the copy read.
// While the list is in its disabled look it ignores every mouse button and key.
//
// The class is split by concern: rows, columns and colours (ReportCtrl.cpp), check boxes and the
// chosen tracks (ReportCtrlChecks.cpp), in-place editing (ReportCtrlEdit.cpp), mouse, keys and the
// pop-up menu (ReportCtrlInput.cpp); CReportDelegate paints the cells.

#include "platform/win/WinTypes.h"
#include "platform/windows/WindowProc.h"
#include "ui/window/WidgetWindow.h"

#include <QLineEdit>
#include <QPointer>
#include <QTreeWidget>
#include <array>
#include <functional>
#include <vector>

class CMyHeader;
class ITrackRenamer;

class CReportCtrl : public QTreeWidget, public IWindowProc {
    Q_OBJECT
public:
    // Notifications sent to the parent window.
    static constexpr UINT WM_RC_CHECKCHANGED = 0xA710;  // wParam row, lParam mouse message
    static constexpr UINT WM_RC_SORTED = 0xA711;        // wParam column, lParam ascending
    static constexpr UINT WM_RC_EDITCOMMITTED = 0xA712; // wParam row, lParam column
    // Pop-up menu 134 and its commands.
    static constexpr UINT IDR_TRACK_MENU = 134;
    static constexpr UINT ID_TRACK_EDIT = 32774;
    static constexpr UINT ID_TRACK_TOGGLE = 32775;
    static constexpr UINT ID_TRACK_MENU_CANCEL = 32776;
    // Row state flags (GetStateFlags, DeleteItems).
    static constexpr int RC_ITEM_ALL = 1;
    static constexpr int RC_ITEM_SELECTED = 2;
    static constexpr int RC_ITEM_UNSELECTED = 4;
    static constexpr int RC_ITEM_CHECKED = 8;
    static constexpr int RC_ITEM_UNCHECKED = 16;
    static constexpr int RC_ITEM_FOCUSED = 32;
    static constexpr int RC_ITEM_UNFOCUSED = 64;
    // Check modes.
    static constexpr int CHECK_NONE = 0;
    static constexpr int CHECK_MULTIPLE = 1;
    static constexpr int CHECK_SINGLE = 2;
    static constexpr int CHECK_REPORT_ONLY = 3;
    static constexpr int kTitleLimit = 23;      // characters of a title typed in column 0
    static constexpr int kStateImageWidth = 16; // the check box in front of a title
    static constexpr int kChosenBytes = 13;
    static constexpr COLORREF kEnabledText = 0xFFFFFF;
    static constexpr COLORREF kDisabledText = 0x62706E;

    explicit CReportCtrl(QWidget* parent = nullptr);
    ~CReportCtrl() override;

    // Enters the list in the window table as a child of `parent`, which receives its notifications
    // and its menu's commands.
    HWND BindWindow(HWND parent, int id = 1016);
    HWND Handle() const { return m_window.Handle(); }
    HWND ParentWindow() const { return m_parent; }

    // Columns and rows.
    int InsertColumn(int index, const QString& title, int width, Qt::Alignment alignment = Qt::AlignLeft);
    int GetColumnCount() const { return columnCount(); }
    // Returns the new row, or -1.
    int InsertItem(int row, const QString& text, LPARAM data = 0);
    int GetItemCount() const { return topLevelItemCount(); }
    bool SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    bool SetItemData(int row, LPARAM data);
    LPARAM GetItemData(int row) const;
    // Deletes every row (mask RC_ITEM_ALL) or those whose state flags hold every bit of the mask.
    int DeleteItems(int mask);

    // Check boxes.
    bool SetCheck(int row, bool checked);
    bool GetCheck(int row) const;
    void SetCheckMode(int mode);
    int GetCheckMode() const { return m_checkMode; }
    int GetStateFlags(int row) const;
    int GetSelectedRow() const;
    // Selects and focuses `row` alone and scrolls it into view.
    void SelectItem(int row);

    // Look and input.
    void SetEditable(bool editable);
    bool IsEditable() const { return m_editable; }
    void EnableList(bool enable);
    bool IsListEnabled() const { return m_enabled; }
    // Row or column -1 means all; a colour of -1 (CLR_DEFAULT) means the system default.
    void SetCellTextColor(int row, int column, COLORREF color, bool redraw);
    void SetCellBackColor(int row, int column, COLORREF color, bool redraw);
    COLORREF GetCellTextColor(int row, int column) const;
    COLORREF GetCellBackColor(int row, int column) const;
    // The list's own colours, behind and between the rows.
    void SetBkColor(COLORREF color);
    void SetTextColor(COLORREF color);

    // Chosen tracks.
    void SnapshotChecks(bool allChosen);
    bool IsTrackChosen(int trackNumber) const;
    const std::array<BYTE, kChosenBytes>& ChosenTracks() const { return m_chosen; }

    // In-place editing.
    bool StartEdit(int row, int column);
    bool EndEdit(bool commit);
    bool IsEditing() const { return m_editRow >= 0; }
    int EditRow() const { return m_editRow; }
    int EditColumn() const { return m_editColumn; }
    QLineEdit* EditBox() const { return m_editBox.data(); }
    void SetRenamer(ITrackRenamer* renamer) { m_renamer = renamer; }
    // Told which row's title the user changed, before the rename is tried.
    void SetTitleEditedHandler(std::function<void(int row)> handler) { m_onTitleEdited = std::move(handler); }

    // Commands of menu 134; false for other ids.
    bool OnMenuCommand(UINT id);
    int MenuColumn() const { return m_menuColumn; }
    int SortColumn() const { return m_sortColumn; }
    bool SortAscending() const { return m_sortAscending; }
    CMyHeader* Header() const { return m_header; }

    LRESULT WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // Each row's own record: the caller's data value and one text and one background colour per
    // column.
    struct Record {
        LPARAM data = 0;
        std::vector<COLORREF> text;
        std::vector<COLORREF> back;
    };

private:
    friend class CReportDelegate;
    Record* RecordOf(int row) const;
    void OnMouseButton(UINT message, QMouseEvent* event);
    bool OnEditKey(UINT vk);
    void ShowMenu(const QPoint& globalPos);
    void SetCheckRaw(int row, bool checked);
    void SelectOnly(int row);
    void Notify(UINT message, WPARAM wParam, LPARAM lParam);
    QRect CellRect(int row, int column) const;
    COLORREF SystemText() const;
    COLORREF SystemBack() const;

    CWidgetWindow m_window;
    HWND m_parent = nullptr;
    CMyHeader* m_header = nullptr;
    QPointer<QLineEdit> m_editBox;
    bool m_editable = false;
    int m_editRow = -1;
    int m_editColumn = -1;
    int m_checkMode = CHECK_MULTIPLE;
    Qt::Alignment m_editAlignment = Qt::AlignLeft;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
    bool m_enabled = false;
    // Counts the times rows were inserted or deleted: an edit whose rename made the list refill
    // leaves the new rows alone.
    quint64 m_rowsGeneration = 0;
    std::array<BYTE, kChosenBytes> m_chosen{};
    int m_menuColumn = 0;
    ITrackRenamer* m_renamer = nullptr;
    std::function<void(int)> m_onTitleEdited;
};
