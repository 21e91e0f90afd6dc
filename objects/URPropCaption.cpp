#include "objects/URPropCaption.h"

TRPropCaption::TRPropCaption() : TRPropBase(ptCaption, false, true, true) {}

void TRPropCaption::VisitFields(TRPropFields& fields) {
    if (!fields.Pasting())
        fields.Text("Caption", FCaption);
    fields.Bool("Bold", FBold);
    fields.Bool("Italic", FItalic);
    fields.Bool("TTS", FTTS);
    fields.Bool("TTSAudioOK", FTTSAudioOk);
    FTTSRecord.Visit(fields);
}

void TRPropCaption::OpenFromXML(const QDomElement& element, bool paste) {
    TRPropBase::OpenFromXML(element, paste);
    FCaption = WithCrLfLines(FCaption);
}
