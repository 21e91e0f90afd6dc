#include "objects/URPropAudioTTS.h"

TRPropAudioTTS::TRPropAudioTTS() : TRPropBase(ptAudioTTS, false, true, true) {}

void TRPropAudioTTS::VisitFields(TRPropFields& fields) {
    if (!fields.Pasting())
        fields.Text("Text", FText);
    FTTSRecord.Visit(fields);
}

void TRPropAudioTTS::OpenFromXML(const QDomElement& element, bool paste) {
    TRPropBase::OpenFromXML(element, paste);
    FText = WithCrLfLines(FText);
}
