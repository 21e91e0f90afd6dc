#include "imagekit/IKFilter.h"

#include "imagekit/IKContext.h"
#include "imagekit/IKDictionary.h"
#include "imagekit/IKTextures.h"

#include <QMetaProperty>
#include <algorithm>
#include <cmath>

namespace {

TIKDictionary& Registry() {
    static TIKDictionary registry;
    return registry;
}

TIKObjectDictionary<TIKProgram>& Kernels() {
    static TIKObjectDictionary<TIKProgram> kernels(true);
    return kernels;
}

const TIKFilterClass* ClassAt(int index) {
    return static_cast<const TIKFilterClass*>(Registry().Value(index));
}

// Runs `body`, then `end`, also when `body` raises.
template <class Body, class End> void Finally(Body body, End end) {
    try {
        body();
    } catch (...) {
        end();
        throw;
    }
    end();
}

} // namespace

TIKRenderInfo IKRenderInfo(const TIKRect& outputExtent, const TIKRect& inputRect,
                           std::function<void(TIKProgram&, int)> prepare) {
    return {outputExtent, inputRect, std::move(prepare), true};
}

TIKRenderInfo IKRenderInfo(const TIKRect& outputExtent, const TIKRect& inputRect, bool mapToTarget,
                           std::function<void(TIKProgram&, int)> prepare) {
    return {outputExtent, inputRect, std::move(prepare), mapToTarget};
}

TIKFilter::TIKFilter() : FOutputImage(std::make_unique<TIKImage>()) {
    FOutputImage->SetFilter(this);
}

TIKFilter::~TIKFilter() = default;

void TIKFilter::RegisterFilter(const QString& name, const TIKFilterClass* cls) {
    Registry().Add(name, const_cast<TIKFilterClass*>(cls));
}

std::unique_ptr<TIKFilter> TIKFilter::CreateWithName(const QString& name) {
    void* cls = nullptr;
    if (!Registry().TryGetValue(name, cls))
        throw EIKImageException(("Filter " + name + " not found").toStdString());
    return static_cast<const TIKFilterClass*>(cls)->Create();
}

QStringList TIKFilter::FilterNames() {
    return Registry().Keys();
}

QStringList TIKFilter::FilterCategories() {
    QStringList categories;
    for (int i = 0; i < Registry().Count(); ++i) {
        const QString category = ClassAt(i)->Category();
        if (!category.isEmpty() && !categories.contains(category, Qt::CaseInsensitive))
            categories << category;
    }
    std::sort(categories.begin(), categories.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    return categories;
}

QStringList TIKFilter::FilterNamesInCategory(const QString& category) {
    QStringList names;
    for (int i = 0; i < Registry().Count(); ++i)
        if (ClassAt(i)->Category().compare(category, Qt::CaseInsensitive) == 0)
            names << Registry().Key(i);
    return names;
}

TIKImage* TIKFilter::EmptyImage() {
    static const std::unique_ptr<TIKImage> empty = TIKImage::CreateEmpty();
    return empty.get();
}

QStringList TIKFilter::KernelNames() {
    return Kernels().Keys();
}

TIKProgram* TIKFilter::CachedKernel(const QString& className) {
    TIKProgram* kernel = nullptr;
    Kernels().TryGetValue(className, kernel);
    return kernel;
}

void TIKFilter::ValueChanged() {
    TIKPersistent::ValueChanged();
    FRendered = false;
    FChangeStamp = IKNextChangeStamp();
}

TIKImage* TIKFilter::GetOutputImage() {
    return FOutputImage.get();
}

void TIKFilter::Draw(TIKProgram&, const TIKRenderInfo& info) {
    const TIKRect& in = info.InputRect;
    const TIKRect& out = info.OutputExtent;
    TDXRenderHelper& render = FOutputTarget->Render();
    // An input without area maps to no texture coordinates: nothing to draw.
    if (in.Width == 0 || in.Height == 0)
        return;
    if (info.MapToTarget)
        render.TexRect(
            {0, 0, float(FOutputTarget->Width()), float(FOutputTarget->Height())},
            {-in.X / in.Width, -in.Y / in.Height, out.Width / in.Width, out.Height / in.Height});
    else
        render.TexRect(in, {0, 0, 1, 1});
}

bool TIKFilter::UpToDate() const {
    return FRendered && FRenderedStamp >= LatestChange();
}

std::uint64_t TIKFilter::LatestChange() const {
    std::uint64_t latest = FChangeStamp;
    const QMetaObject* meta = metaObject();
    for (int i = 0; i < meta->propertyCount(); ++i) {
        TIKImage* image = nullptr;
        if (!ImageInput(QString::fromLatin1(meta->property(i).name()), image) || !image)
            continue;
        latest = std::max(latest, image->ChangeStamp());
        if (image->Filter() && image->Filter() != this)
            latest = std::max(latest, image->Filter()->LatestChange());
    }
    return latest;
}

bool TIKFilter::ImageInput(const QString& name, TIKImage*& image) const {
    QMetaProperty property;
    if (!IKFindProperty(this, name, &property))
        return false;
    const QMetaObject* type = property.metaType().metaObject();
    if (!type || !type->inherits(&TIKImage::staticMetaObject))
        return false;
    image = qobject_cast<TIKImage*>(property.read(this).value<QObject*>());
    return true;
}

void TIKFilter::ReplaceTarget(int width, int height) {
    if (FOutputTarget && FOutputTarget->Width() == width && FOutputTarget->Height() == height)
        return;
    // The output image lets go of the old target before a new one is tried, so a failed
    // creation leaves no reference to freed pixels.
    FOutputImage->ReplaceTexture(nullptr);
    FOutputTarget = nullptr;
    auto target = std::make_unique<TDXRenderTexture>(TIKTextureAttrs{taAntialias, taClampBorder},
                                                     width, height, pfBGRA);
    FOutputTarget = target.get();
    FOutputImage->ReplaceTexture(std::move(target));
}

TIKImage* TIKFilter::RenderKernel(TIKProgram& program, const TIKRenderInfo& info,
                                  const QStringList& inputNames) {
    const TIKRect& extent = info.OutputExtent;
    if (extent.Width <= 0 || extent.Height <= 0) {
        // Nothing to show: pixels of an earlier extent do not stay behind.
        FOutputImage->ReplaceTexture(nullptr);
        FOutputTarget = nullptr;
        FOutputImage->SetExtent(extent);
        return FOutputImage.get();
    }
    if (TIKContext::CurrentContext() && !UpToDate()) {
        const int limit = TDXRenderContext::TextureSize();
        if (extent.Width > float(limit) || extent.Height > float(limit))
            throw EIKImageException("Invalid output extent size");
        ReplaceTarget(int(std::nearbyint(extent.Width)), int(std::nearbyint(extent.Height)));
        PrepareInputs(inputNames);
        TDXRenderHelper& render = FOutputTarget->Render();
        render.BeginRender();
        Finally(
            [&] {
                render.Clear();
                program.Activate();
                BindInputs(program, info, inputNames);
                if (info.Prepare)
                    info.Prepare(program, 0);
                Draw(program, info);
                if (info.Prepare)
                    info.Prepare(program, 0);
                UnbindInputs(program, inputNames);
                program.Deactivate();
            },
            [&] { render.EndRender(); });
        FRendered = true;
        FRenderedStamp = IKCurrentChangeStamp();
    }
    FOutputImage->SetExtent(extent);
    return FOutputImage.get();
}

void TIKFilter::PrepareInputs(const QStringList& inputNames) {
    for (const QString& name : inputNames) {
        TIKImage* image = nullptr;
        if (ImageInput(name, image) && image && image->Filter() && image->Filter() != this)
            image->Filter()->GetOutputImage();
    }
}

void TIKFilter::BindInputs(TIKProgram& program, const TIKRenderInfo& info,
                           const QStringList& inputNames) {
    int channel = 0;
    for (const QString& name : inputNames) {
        if (name.compare(QLatin1String("OutputExtent"), Qt::CaseInsensitive) == 0) {
            const TIKRect& e = info.OutputExtent;
            program.SetValue(name, TIKVector3D{e.X, e.Y, e.Width, e.Height}, 0);
            continue;
        }
        QMetaProperty property;
        if (!IKFindProperty(this, name, &property))
            continue;
        TIKImage* image = nullptr;
        if (ImageInput(name, image)) {
            if (image && image->Texture())
                image->Texture()->Activate(channel);
            ++channel;
            continue;
        }
        const TIKValue value = GetValue(name);
        if (value.Kind() == TIKValueKind::ivColor)
            program.SetValue(name, value.AsColor(), 0);
        else if (value.Kind() == TIKValueKind::ivMatrix)
            program.SetValue(name, value.AsMatrix());
        else if (value.Kind() == TIKValueKind::ivFloat &&
                 (property.metaType().id() == QMetaType::Double ||
                  property.metaType().id() == QMetaType::Float))
            program.SetValue(name, float(value.AsFloat()), 0);
    }
}

void TIKFilter::UnbindInputs(TIKProgram&, const QStringList& inputNames) {
    int channel = 0;
    for (const QString& name : inputNames) {
        TIKImage* image = nullptr;
        if (!ImageInput(name, image))
            continue;
        if (image && image->Texture())
            image->Texture()->Deactivate(channel);
        ++channel;
    }
}

TIKProgram& TIKFilter::Kernel(const QString& className,
                              const std::function<std::unique_ptr<TIKProgram>()>& make) {
    TIKProgram* kernel = nullptr;
    if (!Kernels().TryGetValue(className, kernel)) {
        auto made = make();
        kernel = made.get();
        if (Kernels().Add(className, kernel))
            made.release();
    }
    return *kernel;
}

TIKRect TIKFilter::InputExtent(TIKImage* image) {
    if (!image)
        return {};
    if (image->Filter())
        image->Filter()->GetOutputImage();
    return image->Extent();
}

TIKImage* TIKFilter::RenderOverInput(TIKProgram& program, TIKImage* input,
                                     const QStringList& inputNames) {
    const TIKRect extent = InputExtent(input);
    return RenderKernel(program, IKRenderInfo(extent, IKOriginRect(extent)), inputNames);
}
