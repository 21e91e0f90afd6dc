#pragma once
// The text of a speech clip and the voice that speaks it.

#include "objects/URSpeechSettings.h"

class TRPropAudioTTS : public TRPropBase {
public:
    TRPropAudioTTS();

    void OpenFromXML(const QDomElement& element, bool paste) override;

    TRSpeechSettings FTTSRecord;
    QString FText = QStringLiteral("Sample text");

    // A paste keeps the target's own text.
    void VisitFields(TRPropFields& fields) override;
};
