#pragma once

#include <QComboBox>
#include <QListWidget>

#include "widgets/focusring.h"

#include <functional>
#include <optional>

namespace pelanova {

// Maps a whole item ("key TAB text") to the text the list shows; no value
// leaves the item undrawn (its ground is still filled).
using ShownTextFunction = std::function<std::optional<QString>(const QString &item)>;

ShownTextFunction shownAfterTab();  // the part after the TAB
ShownTextFunction shownTabAsBar();  // the item with its first TAB as "|"

// Drop-down list (no typing) whose items are keyed texts. Each item is drawn
// by the list: its rectangle filled with the current background and the shown
// text written 2 pixels from the left edge at its top, in items of a fixed
// height. itemText() returns the whole item.
class KeyedComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit KeyedComboBox(QWidget *parent = nullptr);

    void addKeyedItem(const QString &item);
    void setShownText(ShownTextFunction shown);
    std::optional<QString> shownText(int index) const;
    QString key(int index) const;
    // Key of the selected item; empty when nothing is selected.
    QString currentKey() const;
    void setItemHeight(int pixels);
    int itemHeight() const { return m_itemHeight; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ShownTextFunction m_shown;
    int m_itemHeight = 16;
};

// List box of keyed texts, drawn like KeyedComboBox's items.
class KeyedListBox : public WithFocusRing<QListWidget>
{
    Q_OBJECT

public:
    explicit KeyedListBox(QWidget *parent = nullptr);

    void addKeyedItem(const QString &item);
    void setShownText(ShownTextFunction shown);
    std::optional<QString> shownText(int row) const;
    QString key(int row) const;
    QString currentKey() const;
    void setItemHeight(int pixels);
    int itemHeight() const { return m_itemHeight; }

private:
    ShownTextFunction m_shown;
    int m_itemHeight = 16;
};

} // namespace pelanova
