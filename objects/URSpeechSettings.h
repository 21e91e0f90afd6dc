#pragma once
// The speech settings of a caption or speech clip, and the text rule both groups share.

#include "core/URPropBase.h"

struct TRSpeechSettings {
    std::int32_t API = 0;
    QString SAPI_Voice;
    std::int32_t SAPI_Rate = 0;
    std::int32_t SAPI_Volume = 100;
    QString Google_Language = QStringLiteral("en-US");
    QString Google_VoiceDesc = QStringLiteral("Standard-A   MALE");
    std::int32_t Google_Rate = 100;
    std::int32_t Google_Volume = 0;

    // The attributes from "API" to "Google_Volume", in write order.
    void Visit(TRPropFields& fields);
};

// Lines of a text read from a file are kept separated by CR LF: a text without any CR has
// each LF turned into CR LF.
QString WithCrLfLines(const QString& text);
