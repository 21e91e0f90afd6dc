#include "graphics/URCustomEffect.h"

#include <QXmlStreamReader>
#include <cstring>

using namespace platform::render;

namespace {

// The width in bytes and the type of a property type text; 0 for an unknown text.
size_t typeWidth(const QString& type) {
    if (type == "float")
        return 4;
    if (type == "vector2")
        return 8;
    return type == "vector4" ? 16 : 0;
}

size_t valueWidth(const PropertyValue& v) {
    switch (typeOf(v)) {
    case PropertyType::Float:
        return 4;
    case PropertyType::Vector2:
        return 8;
    case PropertyType::Vector4:
        return 16;
    default:
        return 0;
    }
}

// The bytes of a float, vector2 or vector4 value.
const void* valueBytes(const PropertyValue& v) {
    return std::visit([](const auto& x) -> const void* { return &x; }, v);
}

// What a registration text says: display name, number of inputs, properties (name, type).
struct ParsedText {
    QString displayName;
    int inputs = 0;
    std::vector<std::pair<QString, QString>> properties;
};

ParsedText parseRegistration(const QString& text) {
    ParsedText parsed;
    QXmlStreamReader xml(text);
    int depth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement)
            --depth;
        if (token != QXmlStreamReader::StartElement)
            continue;
        ++depth;
        const auto attrs = xml.attributes();
        if (xml.name() == u"Input")
            ++parsed.inputs;
        else if (xml.name() == u"Property" && depth == 2 && attrs.value("type") == u"string") {
            if (attrs.value("name") == u"DisplayName")
                parsed.displayName = attrs.value("value").toString();
        } else if (xml.name() == u"Property" && depth == 2)
            parsed.properties.emplace_back(attrs.value("name").toString(),
                                           attrs.value("type").toString());
    }
    if (xml.hasError())
        throw TRCustomEffectError("Malformed effect registration text: " +
                                  xml.errorString().toStdString());
    return parsed;
}

} // namespace

void TRCustomEffect::Initialize(const TRShaderLibrary& shaders) {
    for (const TRCustomEffectProperty& p : info_.properties)
        std::memcpy(buffer_ + p.offset, valueBytes(p.initial), valueWidth(p.initial));
    const auto found = info_.shaderId.isNull() ? shaders.end() : shaders.find(info_.shaderId);
    shader_ = found == shaders.end() ? TRPixelShader{} : found->second;
}

void TRCustomEffect::prepare(std::span<const PropertyValue> values) {
    for (size_t i = 0; i < values.size() && i < info_.properties.size(); ++i)
        std::memcpy(buffer_ + info_.properties[i].offset, valueBytes(values[i]),
                    valueWidth(values[i]));
}

RectL TRCustomEffect::outputBounds(std::span<const RectL> inputBounds) const {
    inputBounds_ = inputBounds.empty() ? RectL{} : inputBounds[0];
    return inputBounds_;
}

void TRCustomEffect::mapOutputToInputs(const RectL& output, std::span<RectL> inputRects) const {
    for (RectL& r : inputRects)
        r = output;
    if (shader_.readsWholeInput && !inputRects.empty())
        inputRects[0] = inputBounds_;
}

void TRCustomEffect::render(std::span<const ImageTile> inputs, ImageTile& out) const {
    if (!shader_.run) {
        out.pixels.fill(Qt::transparent);
        return;
    }
    shader_.run(buffer_, inputs, out);
}

QString TRCustomEffect::RegistrationText(const TRCustomEffectInfo& info) {
    QString text = "<?xml version='1.0'?><Effect>";
    text += "<Property name='DisplayName' type='string' value='" + info.displayName + "' />";
    text += "<Property name='Author' type='string' value='Harbek' />";
    text += "<Property name='Category' type='string' value='Effects' />";
    text += "<Property name='Description' type='string' value='" + info.displayName + "' />";
    text += "<Inputs><Input name='SourceOne'/>";
    if (info.inputCount == 2)
        text += "<Input name='SourceTwo'/>";
    text += "</Inputs>";
    for (const TRCustomEffectProperty& p : info.properties) {
        text += "<Property name='" + p.name + "' type='" + p.type + "'";
        if (!p.declared.isEmpty())
            text += " value='" + p.declared + "'";
        text += ">  <Property name='DisplayName' type='string' value='" + p.name + "'/></Property>";
    }
    return text + "</Effect>";
}

void TRCustomEffect::RegisterEffectFromString(
    Factory& factory, const TRCustomEffectInfo& info, const QString& text,
    std::function<std::unique_ptr<EffectKernel>()> create) {
    if (factory.isRegistered(info.classId))
        return;
    const ParsedText parsed = parseRegistration(text);
    const std::string name = info.displayName.toStdString();
    if (parsed.properties.size() != info.properties.size())
        throw TRCustomEffectError(name + ": the registration text and the bindings disagree");
    EffectClass cls{info.classId, parsed.displayName, parsed.inputs, {}, std::move(create)};
    for (size_t i = 0; i < parsed.properties.size(); ++i) {
        const TRCustomEffectProperty& binding = info.properties[i];
        const auto& [propName, type] = parsed.properties[i];
        if (propName != binding.name || typeWidth(type) == 0 ||
            typeWidth(type) != valueWidth(binding.initial) ||
            binding.offset + typeWidth(type) > info.bufferSize)
            throw TRCustomEffectError(name + ": property " + propName.toStdString() +
                                      " does not match its binding");
        cls.properties.push_back({propName, binding.initial});
    }
    if (!factory.registerEffect(std::move(cls)))
        throw TRCustomEffectError(name + ": the factory refused the class");
}
