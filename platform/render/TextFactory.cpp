#include "platform/render/TextFactory.h"

#include <QFontDatabase>

namespace platform::render {

std::shared_ptr<TextFactory> TextFactory::create() {
    if (QFontDatabase::families().isEmpty())
        return nullptr;
    return std::shared_ptr<TextFactory>(new TextFactory);
}

QStringList TextFactory::families() const {
    return QFontDatabase::families();
}

} // namespace platform::render
