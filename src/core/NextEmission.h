#pragma once

#include <QObject>
#include <QPointer>

#include <coroutine>

// Awaits the next emission of a signal without arguments, resumed from the object's event loop.
// qCoro(object, signal) posts a call for every emission, and one posted after the waiter was
// resumed runs in a waiter that may be gone; this connection is single-shot, so a signal that
// fires again and again resumes each waiter once. Never resumes when the object goes first.
template <typename Object, typename Signal>
class NextEmission
{
public:
    NextEmission(Object *object, Signal signal)
        : m_object(object)
        , m_signal(signal)
    {
    }

    bool await_ready() const noexcept { return m_object.isNull(); }
    void await_suspend(std::coroutine_handle<> waiting)
    {
        QObject::connect(m_object.data(), m_signal, m_object.data(), [waiting] { waiting.resume(); },
                         Qt::ConnectionType(Qt::QueuedConnection | Qt::SingleShotConnection));
    }
    void await_resume() const noexcept {}

private:
    QPointer<Object> m_object;
    Signal m_signal;
};
