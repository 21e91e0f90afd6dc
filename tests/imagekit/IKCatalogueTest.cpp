// The catalogue of the kit's 26 filters: names, categories, creation by name, and one kernel per
// class however many instances exist.
#include "imagekit/IKFilterCatalogue.h"
#include "imagekit/IKFilterCore.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

class IKCatalogue : public ::testing::Test {
protected:
    static void SetUpTestSuite() { IKRegisterFilters(); }
};

TEST_F(IKCatalogue, NamesAndCategories) {
    EXPECT_EQ(TIKFilter::FilterNames(), QStringList({"AffineClamp",    "AffineTransform",
                                                     "BoxBlur",        "CheckerboardGenerator",
                                                     "ColorClamp",     "ColorGenerator",
                                                     "ColorInvert",    "ColorMonochrome",
                                                     "ColorPosterize", "Convolution3X3",
                                                     "Crop",           "GammaAdjust",
                                                     "GaussianBlur",   "GaussianBlurClamp",
                                                     "Glow",           "GlowClamp",
                                                     "HueAdjust",      "MaskToAlpha",
                                                     "Pixellate",      "RandomGenerator",
                                                     "Rotation",       "SepiaTone",
                                                     "Shadow",         "ShadowClamp",
                                                     "Sharpen",        "SourceOverCompositing"}));
    EXPECT_EQ(TIKFilter::FilterCategories(),
              QStringList({"Blur", "ColorAdjustment", "ColorEffect", "Composite", "Effects",
                           "Generator", "GeometryAdjustment", "Sharpen", "Stylize"}));
    const std::pair<const char*, QStringList> categories[] = {
        {"Blur", {"BoxBlur", "GaussianBlur", "GaussianBlurClamp"}},
        {"blur", {"BoxBlur", "GaussianBlur", "GaussianBlurClamp"}},
        {"ColorAdjustment", {"ColorClamp", "GammaAdjust", "HueAdjust"}},
        {"ColorEffect",
         {"ColorInvert", "ColorMonochrome", "ColorPosterize", "MaskToAlpha", "SepiaTone"}},
        {"Composite", {"SourceOverCompositing"}},
        {"Effects", {"Glow", "GlowClamp", "Shadow", "ShadowClamp"}},
        {"Generator", {"CheckerboardGenerator", "ColorGenerator", "RandomGenerator"}},
        {"GeometryAdjustment", {"AffineClamp", "AffineTransform", "Crop", "Rotation"}},
        {"Sharpen", {"Sharpen"}},
        {"Stylize", {"Convolution3X3", "Pixellate"}},
    };
    for (const auto& [category, names] : categories)
        EXPECT_EQ(TIKFilter::FilterNamesInCategory(category), names) << category;
}

TEST_F(IKCatalogue, CreateWithName) {
    const std::pair<const char*, const char*> classes[] = {
        {"gaussianblur", "TIKGaussianBlurFilter"},
        {"GAUSSIANBLURCLAMP", "TIKGaussianBlurClampFilter"},
        {"Crop", "TIKCropFilter"},
        {"affineclamp", "TIKAffineClampFilter"},
        {"ShadowClamp", "TIKShadowClampFilter"},
        {"Sharpen", "TIKSharpenFilter"},
    };
    for (const auto& [name, className] : classes)
        EXPECT_STREQ(TIKFilter::CreateWithName(name)->metaObject()->className(), className);
    // The Gaussian passes are not registered.
    for (const char* pass : {"TIKGaussianHFilter", "TIKGaussianVFilter", "GaussianH"}) {
        try {
            TIKFilter::CreateWithName(pass);
            ADD_FAILURE() << pass;
        } catch (const EIKImageException& e) {
            EXPECT_EQ(std::string(e.what()), "Filter " + std::string(pass) + " not found");
        }
    }
    // Every filter left with the empty image renders nothing, but for the generators and the
    // crop, whose extent is their rectangle.
    for (const QString& name : TIKFilter::FilterNames()) {
        if (TIKFilter::FilterNamesInCategory("Generator").contains(name) || name == "Crop")
            continue;
        auto filter = TIKFilter::CreateWithName(name);
        EXPECT_TRUE(filter->OutputImage()->Bitmap().isNull()) << name.toStdString();
    }
}

QStringList KitKernels() {
    return TIKFilter::KernelNames().filter(QRegularExpression("^TIK"));
}

TEST_F(IKCatalogue, OneKernelPerClass) {
    std::vector<std::unique_ptr<TIKFilter>> filters;
    for (const QString& name : TIKFilter::FilterNames())
        filters.push_back(TIKFilter::CreateWithName(name));
    const QStringList kernels = KitKernels();
    EXPECT_EQ(kernels, QStringList({"TIKAffineClampFilter",
                                    "TIKAffineTransformFilter",
                                    "TIKBoxBlurFilter",
                                    "TIKCheckerboardGeneratorFilter",
                                    "TIKColorClampFilter",
                                    "TIKColorGeneratorFilter",
                                    "TIKColorInvertFilter",
                                    "TIKColorMonochromeFilter",
                                    "TIKColorPosterizeFilter",
                                    "TIKConvolution3X3Filter",
                                    "TIKCropFilter",
                                    "TIKGammaAdjustFilter",
                                    "TIKGaussianHFilter",
                                    "TIKGaussianVFilter",
                                    "TIKHueAdjustFilter",
                                    "TIKMaskToAlphaFilter",
                                    "TIKPixellateFilter",
                                    "TIKRandomGeneratorFilter",
                                    "TIKSepiaToneFilter",
                                    "TIKSharpenFilter",
                                    "TIKSourceOverCompositingFilter"}));
    std::vector<TIKProgram*> built;
    for (const QString& k : kernels)
        built.push_back(TIKFilter::CachedKernel(k));
    // Second instances and freed ones change nothing in the cache.
    for (const QString& name : TIKFilter::FilterNames())
        TIKFilter::CreateWithName(name);
    filters.clear();
    EXPECT_EQ(KitKernels(), kernels);
    for (std::size_t i = 0; i < built.size(); ++i)
        EXPECT_EQ(TIKFilter::CachedKernel(kernels[int(i)]), built[i]);

    TIKProgram* crop = TIKFilter::CachedKernel("TIKCropFilter");
    {
        TIKCropFilter one;
        TIKCropFilter two;
    }
    EXPECT_EQ(TIKFilter::CachedKernel("TIKCropFilter"), crop);
    EXPECT_NE(TIKFilter::CachedKernel("TIKAffineClampFilter"),
              TIKFilter::CachedKernel("TIKAffineTransformFilter"));
}

} // namespace
