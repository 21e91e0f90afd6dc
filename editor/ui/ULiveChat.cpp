#include "editor/ui/ULiveChat.h"

#include "core/URServerMessages.h"
#include "platform/system/Shell.h"

bool StartLiveChat() {
    return platform::system::openUrl(ChatAddress());
}
