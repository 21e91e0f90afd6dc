#pragma once
// The cloud worker's notifications as a test receives them, and running a worker to its end.

#include "export/URCloudThread.h"
#include "platform/system/Messages.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <gtest/gtest.h>
#include <ostream>
#include <vector>

struct Note {
    int message;
    std::int64_t wParam = 0;
    std::int64_t lParam = 0;
    bool operator==(const Note&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Note& note) {
    return out << "{" << note.message << "," << note.wParam << "," << note.lParam << "}";
}

// Collects the notifications posted to it.
class Receiver : public QObject {
public:
    std::vector<Note> notes;

    // Handles posted events until `message` has arrived (or a few seconds passed).
    bool WaitFor(int message) {
        QElapsedTimer clock;
        clock.start();
        while (!Has(message) && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return Has(message);
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() != platform::system::PostedMessage::eventType())
            return QObject::event(event);
        const auto* posted = static_cast<platform::system::PostedMessage*>(event);
        notes.push_back({posted->message, posted->wParam, posted->lParam});
        return true;
    }

private:
    bool Has(int message) const {
        for (const Note& note : notes)
            if (note.message == message)
                return true;
        return false;
    }
};

// Runs the worker until it says it ended and has deleted itself.
inline void runToEnd(QPointer<TRCloudThread> worker, const std::vector<Note>& notes) {
    QElapsedTimer clock;
    clock.start();
    const auto ended = [&] {
        return !notes.empty() && notes.back().message == CN_THREADENDED && !worker;
    };
    while (!ended() && clock.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    EXPECT_TRUE(ended());
}
