#pragma once
// A dialog template read from the layouts in resources/: the window's size in dialog units, its
// font and title, and each control with its id, class, text, place and styles. Build() makes the
// Qt widgets, each named by its numeric id so code can find it the way GetDlgItem does.

#include "platform/win/WinTypes.h"

#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

class QWidget;

struct DialogControl {
    int id = 0;
    QString className; // "STATIC", "BUTTON" or "PROGRESS"
    QString text;
    QRect rect;        // dialog units
    QStringList style; // style names, e.g. "SS_CENTER", "BS_DEFPUSHBUTTON"
};

class CDialogTemplate {
public:
    // False when the layout is missing or cannot be read; `error` says why.
    bool Load(UINT id, QString* error = nullptr);
    // Parses layout text (the files' JSON format).
    bool Parse(const QByteArray& json, QString* error = nullptr);

    UINT Id() const { return m_id; }
    QSize SizeDlu() const { return m_size; }
    QSize SizePixels() const;
    QString FontFace() const { return m_fontFace; }
    int FontPoints() const { return m_fontPoints; }
    QString Caption() const { return m_caption; }
    bool HasTitleBar() const { return m_titleBar; }
    bool Topmost() const { return m_topmost; }
    const std::vector<DialogControl>& Controls() const { return m_controls; }

    // Creates the controls as children of `dialog`, sets its font and fixed size.
    void Build(QWidget* dialog) const;

private:
    UINT m_id = 0;
    QSize m_size;
    QString m_fontFace = QStringLiteral("MS UI Gothic");
    int m_fontPoints = 9;
    QString m_caption;
    bool m_titleBar = true;
    bool m_topmost = false;
    std::vector<DialogControl> m_controls;
};

// The child of `dialog` that carries control id `id`, or null.
QWidget* GetDlgItem(const QWidget* dialog, int id);
