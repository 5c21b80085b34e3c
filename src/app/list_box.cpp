#include "app/list_box.h"

#include "platform/file_names.h"

#include <QMouseEvent>
#include <QScrollBar>

namespace tess {

ListBox::ListBox(QWidget *parent) : QListWidget(parent)
{
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setTextElideMode(Qt::ElideNone);
    setUniformItemSizes(true);
    connect(this, &QListWidget::currentRowChanged, this, [this] {
        // A press raises Click itself once it is done, so a click on a new
        // entry is not reported twice.
        if (!m_inMousePress)
            emit Click();
    });
}

void ListBox::setHorizontalExtent(int pixels)
{
    m_extent = qMax(0, pixels);
    // The bar's presence is decided here, once, not by the range: a bar that came
    // and went with each range update would resize the view, which updates the
    // range again, for ever.
    setHorizontalScrollBarPolicy(m_extent > contentsRect().width() ? Qt::ScrollBarAlwaysOn
                                                                  : Qt::ScrollBarAlwaysOff);
    updateGeometries();
}

void ListBox::addFileName(const QString &name)
{
    auto *item = new QListWidgetItem(displayName(name));
    item->setData(Qt::UserRole, name);
    addItem(item);
}

void ListBox::addFileNames(const QStringList &names)
{
    for (const QString &name : names)
        addFileName(name);
}

QString ListBox::fileName(int row) const
{
    const QListWidgetItem *entry = item(row);
    if (!entry)
        return QString();
    // An entry added as plain text is its own name.
    const QVariant name = entry->data(Qt::UserRole);
    return name.isValid() ? name.toString() : entry->text();
}

void ListBox::resizeEvent(QResizeEvent *event)
{
    QListWidget::resizeEvent(event);
    setHorizontalScrollBarPolicy(m_extent > contentsRect().width() ? Qt::ScrollBarAlwaysOn
                                                                  : Qt::ScrollBarAlwaysOff);
}

void ListBox::focusInEvent(QFocusEvent *event)
{
    // Qt makes the first entry current when a list without one takes the
    // focus, which would raise Click (and a preview) on a mere Tab.
    if (currentIndex().isValid()) {
        QListWidget::focusInEvent(event);
        return;
    }
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void ListBox::addItemKeepingTheView(const QString &text)
{
    // The view follows new entries only when the user has it at the end.
    const QScrollBar *bar = verticalScrollBar();
    const bool following = bar->maximum() > 0 && bar->value() == bar->maximum();
    addFileName(text);
    if (following)
        scrollToBottom();
}

void ListBox::mousePressEvent(QMouseEvent *event)
{
    m_inMousePress = true;
    QListWidget::mousePressEvent(event);
    m_inMousePress = false;
    if (itemAt(event->position().toPoint()))
        emit Click();
}

void ListBox::updateGeometries()
{
    QListWidget::updateGeometries();
    QScrollBar *bar = horizontalScrollBar();
    const int visible = viewport()->width();
    bar->setPageStep(visible);
    bar->setSingleStep(qMax(1, fontMetrics().averageCharWidth()));
    bar->setRange(0, qMax(0, m_extent - visible));
}

} // namespace tess
