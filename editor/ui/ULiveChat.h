#pragma once
// Live chat: the vendor's chat page in the default browser.

// Opens the chat page; false when no browser took it.
bool StartLiveChat();
