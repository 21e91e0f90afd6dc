#pragma once
// The text of a caption and whether and how it is spoken.

#include "objects/URSpeechSettings.h"

class TRPropCaption : public TRPropBase {
public:
    TRPropCaption();

    void OpenFromXML(const QDomElement& element, bool paste) override;

    QString FCaption = QStringLiteral("Caption");
    bool FBold = false;
    bool FItalic = false;
    bool FTTS = false;
    bool FTTSAudioOk = false;
    TRSpeechSettings FTTSRecord;

    // A paste keeps the target's own caption text.
    void VisitFields(TRPropFields& fields) override;
};
