#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace pelanova {

// The application title: the main window's caption and the title of the
// general message boxes.
inline constexpr const char *kAppTitle = "Pelanova（全銀協対応）";

enum class MessageIcon { None, Error, Information, Question, Warning };
enum class MessageButtons { Ok, YesNo, YesNoCancel, AbortRetryIgnore };

// Button results, numbered as the platform's message box numbers them.
enum MessageResult : int {
    IdOk = 1,
    IdCancel = 2,
    IdAbort = 3,
    IdRetry = 4,
    IdIgnore = 5,
    IdYes = 6,
    IdNo = 7,
};

// Default button selector: 0 the first button, 256 the second, 512 the third.
inline constexpr int kDefaultButton1 = 0;
inline constexpr int kDefaultButton2 = 256;
inline constexpr int kDefaultButton3 = 512;

// The buttons of a set, in their order on the box.
std::vector<int> buttonResults(MessageButtons buttons);
// The position of the default button on the box (0, 1 or 2).
size_t defaultButtonIndex(MessageButtons buttons, int defaultButton);
// The answer of the default button: what Enter gives, and what a box that
// nobody answers (the command-line tool, a test without a scripted answer)
// takes. The selector names the first, second or third button; one beyond the
// set's buttons names the first.
int defaultButtonResult(MessageButtons buttons, int defaultButton);

// A modal message box. Texts are UTF-8; a "\n\r" inside a message is one line
// break to the reader. The UI implements this with real dialogs; tests and the
// command-line tool script or print the boxes.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    virtual int messageBox(const std::string &text, const std::string &title, MessageIcon icon,
                           MessageButtons buttons, int defaultButton) = 0;
};

// Progress of a long operation that runs on the user-interface thread: a
// dialog with a message, a bar and a cancel button, the wait cursor, and a way
// to let pending events run so that the window stays responsive.
class Progress
{
public:
    virtual ~Progress() = default;
    // Creates the dialog hidden, with the cancel request cleared.
    virtual void open() = 0;
    virtual void setMessage(const std::string &text) = 0;
    virtual void setRange(int64_t maximum) = 0;
    virtual void setPosition(int64_t position) = 0;
    virtual void show() = 0;
    virtual void processEvents() = 0;
    virtual bool cancelRequested() const = 0;
    // Closes and discards the dialog; called in every ending.
    virtual void close() = 0;
    virtual void setBusy(bool busy) = 0;
};

// Progress with no window: unattended runs (the command-line tool, benchmarks).
class SilentProgress : public Progress
{
public:
    void open() override {}
    void setMessage(const std::string &) override {}
    void setRange(int64_t) override {}
    void setPosition(int64_t) override {}
    void show() override {}
    void processEvents() override {}
    bool cancelRequested() const override { return false; }
    void close() override {}
    void setBusy(bool) override {}
};

// Turns the stored line break "\n\r" into a single "\n".
std::string displayText(std::string text);

} // namespace pelanova
