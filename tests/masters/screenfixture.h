#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/datamodule.h"
#include "mastersfixture.h"
#include "shell/formcarender.h"
#include "shell/screencontext.h"
#include "support/scriptedmessageboxes.h"
#include "widgets/filedialogs.h"

namespace pelanova::test {

// Message boxes that also note which screens had been asked for when each
// box came up.
class RecordingBoxes : public ScriptedMessageBoxes
{
public:
    int messageBox(const std::string &text, const std::string &title, MessageIcon icon, MessageButtons buttons,
                   int defaultButton) override
    {
        screensShownBefore.push_back(screensShown ? screensShown() : 0);
        if (whileShown)
            whileShown();
        return ScriptedMessageBoxes::messageBox(text, title, icon, buttons, defaultButton);
    }

    std::function<size_t()> screensShown;
    // Runs while a box is up (a real box runs its own event loop).
    std::function<void()> whileShown;
    std::vector<size_t> screensShownBefore;
};

class NoDates : public DatePicker
{
public:
    int pickDate(QWidget *, QDate &) override { return 2; }
};

// A screen context on a fresh own database and settings file; ShowScreen
// only records the ids asked for.
class ScreenFixture
{
public:
    ScreenFixture()
    {
        boxes.screensShown = [this] { return shownScreens.size(); };
    }

    // Opens the data module (after the test has put its rows in).
    ScreenContext &context()
    {
        if (!m_context) {
            dm = std::make_unique<TDM1>(iniPath(), data.path(), &boxes);
            m_context.emplace(ScreenContext{*dm, boxes, files, dates,
                                            [this](uint8_t id) { shownScreens.push_back(id); },
                                            [](uint8_t) { return true; }});
        }
        return *m_context;
    }

    std::string iniPath() const { return data.dir.file("pelanova.ini"); }

    MastersDatabase data;
    RecordingBoxes boxes;
    ScriptedFileDialogs files;
    NoDates dates;
    std::unique_ptr<TDM1> dm;
    std::vector<uint8_t> shownScreens;

private:
    std::optional<ScreenContext> m_context;
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

// Where rendered screens go when PELANOVA_RENDER_DIR is set.
inline void renderIfAsked(QWidget &widget, const char *name)
{
    const QString dir = qEnvironmentVariable("PELANOVA_RENDER_DIR");
    if (dir.isEmpty())
        return;
    widget.grab().save(dir + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

} // namespace pelanova::test
