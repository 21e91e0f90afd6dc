#include "imagekit/IKFilterCatalogue.h"

#include "imagekit/IKFilterBlur.h"
#include "imagekit/IKFilterChain.h"
#include "imagekit/IKFilterColorAdjustment.h"
#include "imagekit/IKFilterColorEffect.h"
#include "imagekit/IKFilterComposite.h"
#include "imagekit/IKFilterCore.h"
#include "imagekit/IKFilterGenerator.h"
#include "imagekit/IKFilterSharpen.h"
#include "imagekit/IKFilterStylize.h"

void IKRegisterFilters() {
    IKRegisterCoreFilters();
    IKRegisterBlurFilters();
    IKRegisterColorEffectFilters();
    IKRegisterCompositeFilters();
    IKRegisterChainFilters();
    IKRegisterGeneratorFilters();
    IKRegisterColorAdjustmentFilters();
    IKRegisterStylizeFilters();
    IKRegisterSharpenFilters();
}
