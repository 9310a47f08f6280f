#pragma once
#include <QString>

#include <concepts>
#include <exception>
#include <functional>
#include <utility>

// The error boundary. Qt is not exception-safe: an exception that unwinds
// through its frames leaks Qt's objects and can leave widgets half-updated.
// So every place where Qt enters the program's own code (a slot, a lambda
// given to connect(), an event handler or filter that calls program code)
// runs that code under guard(). An error thrown there ends the operation
// where it was - what it changed stays changed - and the application error
// box shows its message.
//
//     connect(btnRead, &QPushButton::clicked, this, guarded(this, &TfrmX::btnReadClick));
//     connect(edt, &HexField::completed, this, guarded([this](quint8 v) { ... }));
//     bool eventFilter(QObject*, QEvent* e) override { guard([&] { ... }); return false; }

// Shows "message." captioned "Tallyport" with an error icon.
void showErrorBox(const QString& message);

namespace guarded_detail {
void showCurrentException() noexcept;
}

// Runs `f`; false when it ended with an error (already shown).
template <class F> bool guard(F&& f) noexcept
{
    try {
        std::invoke(std::forward<F>(f));
        return true;
    } catch (...) {
        guarded_detail::showCurrentException();
        return false;
    }
}

// A member slot as a functor for connect() or QMenu::addAction() that runs
// under guard(). Takes exactly the slot's parameters, so Qt matches it to
// the signal's arguments as it would the slot itself.
template <class Object, class Class, class Result, class... Args>
auto guarded(Object* receiver, Result (Class::*slot)(Args...))
{
    return [receiver, slot](Args... args) { guard([&] { (receiver->*slot)(std::forward<Args>(args)...); }); };
}

// Any callable (usually a lambda) as a functor that runs under guard(). It
// accepts whatever arguments the callable accepts.
template <class F> auto guarded(F f)
{
    return [f = std::move(f)]<class... Args>(Args && ... args) mutable requires std::invocable<F&, Args&&...>
    {
        guard([&] { std::invoke(f, std::forward<Args>(args)...); });
    };
}
