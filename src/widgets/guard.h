#pragma once

// The one guard of every handler that Qt calls (a slot, an event handler, a
// question a control asks): an error the handler throws ends that handler
// only, is shown as the general error display shows it (ErrorText, titled
// with the application title), and goes no further. Qt's signal and event
// code must never be unwound by an exception (Qt calls that undefined).

#include "core/unitapp.h"
#include "core/userinterface.h"

#include <QObject>

#include <exception>
#include <iostream>
#include <string>
#include <type_traits>
#include <utility>

namespace pelanova {

// Shows an error of a handler; never throws. Without boxes (before the main
// window has its own) the text goes to the standard error.
inline void showHandlerError(MessageBoxes *boxes, const std::string &text) noexcept
{
    try {
        if (boxes) {
            boxes->messageBox(text, kAppTitle, MessageIcon::Error, MessageButtons::Ok, kDefaultButton1);
            return;
        }
    } catch (...) {
    }
    std::cerr << text << '\n';
}

// Runs f; returns false when it threw (the error has then been shown).
template <typename F>
bool guard(MessageBoxes *boxes, F &&f) noexcept
{
    try {
        std::forward<F>(f)();
        return true;
    } catch (const std::exception &error) {
        std::string text;
        try {
            text = ErrorText(error);
        } catch (...) {
            text = error.what();
        }
        showHandlerError(boxes, text);
    } catch (...) {
        showHandlerError(boxes, "不明なエラーが発生しました。");
    }
    return false;
}

template <typename F>
bool guard(MessageBoxes &boxes, F &&f) noexcept
{
    return guard(&boxes, std::forward<F>(f));
}

// Connects a signal to a handler of `receiver` that runs under the guard. The
// handler takes the signal's arguments or none.
template <typename Sender, typename Signal, typename Handler>
QMetaObject::Connection connectGuarded(QObject *receiver, MessageBoxes &boxes, Sender *sender, Signal signal,
                                       Handler handler)
{
    return QObject::connect(sender, signal, receiver, [&boxes, handler](auto &&...args) {
        guard(boxes, [&] {
            if constexpr (std::is_invocable_v<const Handler &, decltype(args)...>)
                handler(std::forward<decltype(args)>(args)...);
            else
                handler();
        });
    });
}

} // namespace pelanova
