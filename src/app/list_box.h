#pragma once
#include <QListWidget>

namespace tess {

// The window's list boxes: entries stay in the order they are added (a sorted
// list is sorted by whoever fills it, so Qt's own collation never reorders it),
// the contents scroll sideways over a fixed extent in pixels, and Click is raised
// whenever the selection is set, by the mouse (also on the entry already
// selected), the keyboard or code; taking the focus sets none.
class ListBox : public QListWidget {
    Q_OBJECT
public:
    explicit ListBox(QWidget *parent = nullptr);

    // The width in pixels the contents scroll over, as a list box's horizontal
    // extent: the scroll bar is there when it exceeds the list's width, and the
    // part of a longer name beyond it cannot be scrolled into view. 0 (the
    // default) means no sideways scrolling.
    void setHorizontalExtent(int pixels);
    int horizontalExtent() const { return m_extent; }

    // File names as entries: the entry shows displayName(name) and keeps the
    // name itself, so a name that is not UTF-8 reads sensibly and still leads
    // to its file.
    void addFileName(const QString &name);
    void addFileNames(const QStringList &names);
    // The name kept by the entry at row (its text when it was added as plain
    // text); empty outside the list.
    QString fileName(int row) const;
    // Appends a file name entry without moving the view, as a list box does,
    // unless the view shows the end of a list longer than itself: then it follows.
    void addItemKeepingTheView(const QString &text);

signals:
    void Click();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void updateGeometries() override;

private:
    int m_extent = 0;
    bool m_inMousePress = false;
};

} // namespace tess
