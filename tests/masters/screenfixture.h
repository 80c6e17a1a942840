#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

#include "mastersfixture.h"
#include "support/scriptedscreencontext.h"

namespace pelanova::test {

// A masters screen under test: the scripted context on a fresh own database,
// and the helpers that put masters into that database.
class ScreenFixture : public ScriptedScreenContext
{
public:
    MastersDatabase data{dbPath()};
};

// Types text into a widget as key presses carrying the characters, so that
// entries count it as the user's input (also for Japanese text).
inline void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

} // namespace pelanova::test
