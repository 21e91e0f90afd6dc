#pragma once
// The base of the kit's filters, their registry by name and the cache of one compiled kernel
// per filter class.

#include "imagekit/IKImage.h"
#include "imagekit/IKPersistent.h"

#include <functional>
#include <memory>

class TDXRenderTexture;
class TIKFilter;

// What the render driver needs to draw a filter's output.
struct TIKRenderInfo {
    // The output image's extent; its size is the output target's size.
    TIKRect OutputExtent;
    // Where the input lies, in pixels from the output's top-left corner.
    TIKRect InputRect;
    // Called with pass 0 before and after the draw when set.
    std::function<void(TIKProgram&, int)> Prepare;
    // True: cover the target and map texture coordinates from InputRect; false: draw the whole
    // input into InputRect.
    bool MapToTarget = true;
};
TIKRenderInfo IKRenderInfo(const TIKRect& outputExtent, const TIKRect& inputRect,
                           std::function<void(TIKProgram&, int)> prepare = {});
TIKRenderInfo IKRenderInfo(const TIKRect& outputExtent, const TIKRect& inputRect, bool mapToTarget,
                           std::function<void(TIKProgram&, int)> prepare);

// A registered filter class.
struct TIKFilterClass {
    QString ClassName;
    QString (*Category)();
    std::unique_ptr<TIKFilter> (*Create)();
};
template <class T> const TIKFilterClass* IKFilterClassOf() {
    static const TIKFilterClass cls{
        QString::fromLatin1(T::staticMetaObject.className()), &T::Category,
        []() -> std::unique_ptr<TIKFilter> { return std::make_unique<T>(); }};
    return &cls;
}

// A filter renders its output lazily: asking for the output image computes the extent, and,
// while a context is current and something it depends on changed since its last render,
// renders the filters upstream and then itself.
class TIKFilter : public TIKPersistent {
    Q_OBJECT

public:
    TIKFilter();
    ~TIKFilter() override;

    // A name already registered keeps its first class.
    static void RegisterFilter(const QString& name, const TIKFilterClass* cls);
    template <class T> static void RegisterFilter(const QString& name) {
        RegisterFilter(name, IKFilterClassOf<T>());
    }
    // Raises "Filter <name> not found".
    static std::unique_ptr<TIKFilter> CreateWithName(const QString& name);
    // Sorted, without regard to case.
    static QStringList FilterNames();
    static QStringList FilterCategories();
    static QStringList FilterNamesInCategory(const QString& category);
    // The default of every image input: no texture, no filter.
    static TIKImage* EmptyImage();
    // The class names whose kernels the cache holds, sorted without regard to case, and the
    // kernel cached under one of them (nullptr when none).
    static QStringList KernelNames();
    static TIKProgram* CachedKernel(const QString& className);
    static QString Category() { return {}; }

    virtual void Defaults() {}
    void ValueChanged() override;
    virtual TIKImage* GetOutputImage();
    TIKImage* OutputImage() { return GetOutputImage(); }
    void SetInt(const QString& name, int value) { SetValue(name, TIKValue(value)); }
    virtual void Draw(TIKProgram& program, const TIKRenderInfo& info);
    // The output holds what the current values (here and upstream) give.
    bool UpToDate() const;

protected:
    // The render driver: stores the extent, and renders when a context is current and the
    // output is not up to date. Image inputs named in `inputNames` take texture channels in
    // their order; "OutputExtent" passes the extent as a four-float constant.
    TIKImage* RenderKernel(TIKProgram& program, const TIKRenderInfo& info,
                           const QStringList& inputNames);
    void PrepareInputs(const QStringList& inputNames);
    void BindInputs(TIKProgram& program, const TIKRenderInfo& info, const QStringList& inputNames);
    void UnbindInputs(TIKProgram& program, const QStringList& inputNames);
    // The kernel cached under `className`, made by `make` the first time.
    static TIKProgram& Kernel(const QString& className,
                              const std::function<std::unique_ptr<TIKProgram>()>& make);
    // The extent of an input image, first brought up to date when a filter makes it.
    static TIKRect InputExtent(TIKImage* image);
    // Renders over the extent of `input`, each output pixel reading the input at its place.
    TIKImage* RenderOverInput(TIKProgram& program, TIKImage* input, const QStringList& inputNames);

private:
    // The image held by an image-typed property; false when `name` is not one.
    bool ImageInput(const QString& name, TIKImage*& image) const;
    // The latest change stamp of this filter and everything upstream.
    std::uint64_t LatestChange() const;
    void ReplaceTarget(int width, int height);

    TDXRenderTexture* FOutputTarget = nullptr;
    std::unique_ptr<TIKImage> FOutputImage;
    bool FRendered = false;
    std::uint64_t FChangeStamp = 0;
    std::uint64_t FRenderedStamp = 0;
};
