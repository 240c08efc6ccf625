#pragma once
// The skinned column header of the track list: pictures 140 (left edge), 141 (right edge) and 142
// (middle slice) under each item, the item text in a 14-pixel "MS UI Gothic". A press on the header
// first ends the list's in-place edit.

#include <QHeaderView>
#include <QImage>
#include <functional>

class CMyHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit CMyHeader(QWidget* parent = nullptr);

    // Called before a left button press is handled (the list ends its edit here).
    void SetBeforePress(std::function<void()> hook) { m_beforePress = std::move(hook); }
    // Paints the whole header into `painter` over `client` (what a paint request draws).
    void PaintHeader(QPainter& painter, const QRect& client);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    QSize sizeHint() const override;
    // An item's own drawing step, after its pictures and before its text; nothing by default.
    virtual void DrawItem(QPainter& painter, int logicalIndex, const QRect& rect);

private:
    QImage m_left;
    QImage m_right;
    QImage m_middle;
    QFont m_font;
    std::function<void()> m_beforePress;
};
