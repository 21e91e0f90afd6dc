#include "objects/URSpeechSettings.h"

void TRSpeechSettings::Visit(TRPropFields& fields) {
    fields.Int("API", API);
    fields.Text("SAPI_Voice", SAPI_Voice);
    fields.Int("SAPI_Rate", SAPI_Rate);
    fields.Int("SAPI_Volume", SAPI_Volume);
    fields.Text("Google_Language", Google_Language);
    fields.Text("Google_VoiceDesc", Google_VoiceDesc);
    fields.Int("Google_Rate", Google_Rate);
    fields.Int("Google_Volume", Google_Volume);
}

QString WithCrLfLines(const QString& text) {
    if (text.contains(QChar('\r')))
        return text;
    QString lines = text;
    return lines.replace(QChar('\n'), QStringLiteral("\r\n"));
}
