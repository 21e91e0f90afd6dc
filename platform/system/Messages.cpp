#include "platform/system/Messages.h"

#include <QCoreApplication>

namespace platform::system {

PostedMessage::PostedMessage(int message, std::int64_t wParam, std::int64_t lParam)
    : QEvent(eventType()), message(message), wParam(wParam), lParam(lParam) {}

QEvent::Type PostedMessage::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

bool postMessage(QObject* receiver, int message, std::int64_t wParam, std::int64_t lParam) {
    if (!receiver)
        return false;
    QCoreApplication::postEvent(receiver, new PostedMessage(message, wParam, lParam));
    return true;
}

bool MessageReceiver::event(QEvent* event) {
    if (event->type() != PostedMessage::eventType())
        return QObject::event(event);
    const auto* posted = static_cast<PostedMessage*>(event);
    const auto it = handlers_.find(posted->message);
    if (it != handlers_.end())
        it->second(posted->wParam, posted->lParam);
    return true;
}

} // namespace platform::system
