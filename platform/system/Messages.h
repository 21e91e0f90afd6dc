#pragma once
// Messages that worker threads post to forms (and the cloud worker's commands). A message is
// delivered on the receiver's thread through its event loop, never synchronously.

#include <QEvent>
#include <QObject>
#include <cstdint>
#include <functional>
#include <map>

namespace platform::system {

namespace msg {
inline constexpr int ScreenRecorderFileSize = 6579;
inline constexpr int VideoRecorderFileSize = 6589;
inline constexpr int AudioLevel = 2025;
inline constexpr int AudioPlayer = 2026;
inline constexpr int AudioFileSize = 2027;
inline constexpr int EndpointVolumeChange = 3025;
inline constexpr int WebcamPreviewFrame = 4024;
inline constexpr int WebcamFileSize = 4025;
// The cloud worker's commands and notifications lie in 1025..1040, beside the speech command
// 1124 and its notifications 1125 and 1126.
inline constexpr int CloudCommandFirst = 1025;
inline constexpr int CloudCommandLast = 1040;
inline constexpr int CloudCommandQuit = 1040;
inline constexpr int CloudCommandTextToSpeech = 1124;
} // namespace msg

// One posted message with its two parameters.
class PostedMessage : public QEvent {
public:
    PostedMessage(int message, std::int64_t wParam, std::int64_t lParam);
    static QEvent::Type eventType();

    int message;
    std::int64_t wParam;
    std::int64_t lParam;
};

// Posts a message to `receiver`; safe from any thread. Returns false when there is no receiver.
bool postMessage(QObject* receiver, int message, std::int64_t wParam = 0, std::int64_t lParam = 0);

// A receiver that calls one handler per message number on its own thread.
class MessageReceiver : public QObject {
public:
    using Handler = std::function<void(std::int64_t wParam, std::int64_t lParam)>;
    explicit MessageReceiver(QObject* parent = nullptr) : QObject(parent) {}
    void on(int message, Handler handler) { handlers_[message] = std::move(handler); }

protected:
    bool event(QEvent* event) override;

private:
    std::map<int, Handler> handlers_;
};

} // namespace platform::system
