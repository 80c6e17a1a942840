#include "widgets/keyedlists.h"

#include "widgets/keyeditems.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QStylePainter>

namespace pelanova {

ShownTextFunction shownAfterTab()
{
    return [](const QString &item) -> std::optional<QString> { return itemTextAfterTab(item); };
}

ShownTextFunction shownTabAsBar()
{
    return [](const QString &item) -> std::optional<QString> { return itemTextTabAsBar(item); };
}

namespace {

class KeyedItemDelegate : public QStyledItemDelegate
{
public:
    KeyedItemDelegate(QObject *parent, std::function<std::optional<QString>(const QString &)> shown,
                      std::function<int()> height)
        : QStyledItemDelegate(parent), m_shown(std::move(shown)), m_height(std::move(height)) {}

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette &pal = option.palette;
        painter->save();
        painter->fillRect(option.rect, pal.color(selected ? QPalette::Highlight : QPalette::Base));
        const std::optional<QString> text = m_shown(index.data(Qt::DisplayRole).toString());
        if (text) {
            painter->setFont(option.font);
            painter->setPen(pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
            painter->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                              *text);
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setHeight(m_height());
        return size;
    }

private:
    std::function<std::optional<QString>(const QString &)> m_shown;
    std::function<int()> m_height;
};

std::optional<QString> applyShown(const ShownTextFunction &shown, const QString &item)
{
    return shown ? shown(item) : std::optional<QString>(item);
}

} // namespace

KeyedComboBox::KeyedComboBox(QWidget *parent)
    : QComboBox(parent), m_shown(shownAfterTab())
{
    setEditable(false);
    setItemDelegate(new KeyedItemDelegate(
        this, [this](const QString &item) { return applyShown(m_shown, item); },
        [this] { return m_itemHeight; }));
}

void KeyedComboBox::addKeyedItem(const QString &item)
{
    addItem(item);
}

void KeyedComboBox::setShownText(ShownTextFunction shown)
{
    m_shown = std::move(shown);
    update();
}

std::optional<QString> KeyedComboBox::shownText(int index) const
{
    if (index < 0 || index >= count())
        return std::nullopt;
    return applyShown(m_shown, itemText(index));
}

QString KeyedComboBox::key(int index) const
{
    return index >= 0 && index < count() ? itemToken(itemText(index), 0) : QString();
}

QString KeyedComboBox::currentKey() const
{
    return key(currentIndex());
}

void KeyedComboBox::setItemHeight(int pixels)
{
    m_itemHeight = pixels;
    view()->doItemsLayout();
}

void KeyedComboBox::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText = shownText(currentIndex()).value_or(QString());
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

KeyedListBox::KeyedListBox(QWidget *parent)
    : WithFocusRing(parent), m_shown(shownAfterTab())
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setItemDelegate(new KeyedItemDelegate(
        this, [this](const QString &item) { return applyShown(m_shown, item); },
        [this] { return m_itemHeight; }));
}

void KeyedListBox::addKeyedItem(const QString &item)
{
    addItem(item);
}

void KeyedListBox::setShownText(ShownTextFunction shown)
{
    m_shown = std::move(shown);
    viewport()->update();
}

std::optional<QString> KeyedListBox::shownText(int row) const
{
    const QListWidgetItem *entry = item(row);
    if (!entry)
        return std::nullopt;
    return applyShown(m_shown, entry->text());
}

QString KeyedListBox::key(int row) const
{
    const QListWidgetItem *entry = item(row);
    return entry ? itemToken(entry->text(), 0) : QString();
}

QString KeyedListBox::currentKey() const
{
    return key(currentRow());
}

void KeyedListBox::setItemHeight(int pixels)
{
    m_itemHeight = pixels;
    doItemsLayout();
}

} // namespace pelanova
