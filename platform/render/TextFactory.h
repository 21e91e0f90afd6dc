// TextFactory: the process-wide entry to text services (formats, layouts, font collections).
// The text layer builds on it; today it answers which font families the system offers.
#pragma once

#include <QStringList>
#include <memory>

namespace platform::render {

class TextFactory {
public:
    /// nullptr when the system has no usable font (text could not be drawn at all).
    static std::shared_ptr<TextFactory> create();
    QStringList families() const;

private:
    TextFactory() = default;
};

} // namespace platform::render
