// 3-D, perspective and scale transforms. Each builds a 4x4 matrix; its action on the z = 0
// plane is a projective map of the plane (a 3x3 homography), and every output pixel is
// sampled from the input at the inverse-mapped position of its centre.
#include "platform/render/KernelMath.h"
#include "platform/render/StandardEffects.h"

#include <array>

namespace platform::render::effects {

namespace {

// (x, y, 1) * h = (X, Y, W), the plane point (X / W, Y / W).
struct Homography {
    std::array<std::array<double, 3>, 3> h{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};

    static Homography fromMatrix(const Matrix4x4& m) {
        Homography r;
        for (int col = 0; col < 3; ++col) {
            const int c = col == 2 ? 3 : col;
            r.h[0][size_t(col)] = m.m[0][c];
            r.h[1][size_t(col)] = m.m[1][c];
            r.h[2][size_t(col)] = m.m[3][c];
        }
        return r;
    }

    std::array<double, 3> map(double x, double y) const {
        return {x * h[0][0] + y * h[1][0] + h[2][0], x * h[0][1] + y * h[1][1] + h[2][1],
                x * h[0][2] + y * h[1][2] + h[2][2]};
    }

    bool invert(Homography& out) const {
        const auto& a = h;
        const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                           a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
        if (!(std::abs(det) > 1e-12))
            return false;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                const int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
                out.h[size_t(i)][size_t(j)] =
                    (a[size_t(i1)][size_t(j1)] * a[size_t(i2)][size_t(j2)] -
                     a[size_t(i1)][size_t(j2)] * a[size_t(i2)][size_t(j1)]) /
                    det;
            }
        return true;
    }

    // The bounding box of `r` mapped through this homography; false when a corner falls on
    // or behind the viewer (W <= 0), where the image of a rectangle is unbounded.
    bool mapRect(const RectL& r, RectL& out) const {
        if (r.isInfinite())
            return false;
        double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
        for (const double x : {double(r.left), double(r.right)})
            for (const double y : {double(r.top), double(r.bottom)}) {
                const auto p = map(x, y);
                if (!(p[2] > 1e-9))
                    return false;
                x0 = std::min(x0, p[0] / p[2]);
                x1 = std::max(x1, p[0] / p[2]);
                y0 = std::min(y0, p[1] / p[2]);
                y1 = std::max(y1, p[1] / p[2]);
            }
        if (!(std::abs(x0) < 1e9 && std::abs(y0) < 1e9 && std::abs(x1) < 1e9 && std::abs(y1) < 1e9))
            return false;
        out = RectL::covering({float(x0), float(y0), float(x1), float(y1)});
        return true;
    }
};

// Samples input 0 through the inverse of a projective map of the plane.
class ProjectiveKernel : public EffectKernel {
public:
    RectL outputBounds(std::span<const RectL> in) const override {
        bounds_ = in[0];
        if (!valid_ || in[0].isEmpty())
            return {};
        RectL out;
        return forward_.mapRect(in[0], out) ? out : RectL::infinite();
    }
    void mapOutputToInputs(const RectL& out, std::span<RectL> in) const override {
        RectL source;
        in[0] = valid_ && inverse_.mapRect(out, source) ? source.inflated(2).intersected(bounds_)
                                                        : bounds_;
    }
    void render(std::span<const ImageTile> in, ImageTile& out) const override {
        if (!valid_) {
            out.pixels.fill(Qt::transparent);
            return;
        }
        const TileReader src(in[0]);
        generatePixels(out, [&](int32_t x, int32_t y) {
            const auto p = inverse_.map(double(x) + 0.5, double(y) + 0.5);
            if (!(std::abs(p[2]) > 1e-12))
                return PixelF{};
            const double u = p[0] / p[2], v = p[1] / p[2];
            // The source point must lie in front of the viewer.
            if (!(forward_.map(u, v)[2] > 0))
                return PixelF{};
            return nearest_ ? src.nearest(float(u), float(v)) : src.bilinear(float(u), float(v));
        });
    }

protected:
    void setMatrix(const Matrix4x4& m, uint32_t interpolation) {
        forward_ = Homography::fromMatrix(m);
        valid_ = forward_.invert(inverse_);
        nearest_ = interpolation == uint32_t(Interpolation::Nearest);
    }

private:
    Homography forward_, inverse_;
    bool valid_ = true, nearest_ = false;
    mutable RectL bounds_;
};

class Transform3DKernel : public ProjectiveKernel {
public:
    void prepare(std::span<const PropertyValue> p) override {
        setMatrix(std::get<Matrix4x4>(p[Transform3DMatrix]),
                  std::get<uint32_t>(p[Transform3DInterpolation]));
    }
};

class PerspectiveKernel : public ProjectiveKernel {
public:
    void prepare(std::span<const PropertyValue> p) override {
        const Vector3 local = std::get<Vector3>(p[PerspectiveLocalOffset]);
        const Vector3 global = std::get<Vector3>(p[PerspectiveGlobalOffset]);
        const Vector3 origin = std::get<Vector3>(p[PerspectiveRotationOrigin]);
        const Vector3 angles = std::get<Vector3>(p[PerspectiveRotation]);
        const Vector2 eye = std::get<Vector2>(p[PerspectiveOrigin]);
        const Matrix4x4 m = Matrix4x4::translation(local.x, local.y, local.z) *
                            Matrix4x4::translation(-origin.x, -origin.y, -origin.z) *
                            Matrix4x4::rotationX(angles.x) * Matrix4x4::rotationY(angles.y) *
                            Matrix4x4::rotationZ(angles.z) *
                            Matrix4x4::translation(origin.x, origin.y, origin.z) *
                            Matrix4x4::translation(global.x, global.y, global.z) *
                            Matrix4x4::translation(-eye.x, -eye.y, 0) *
                            Matrix4x4::perspectiveProjection(std::get<float>(p[PerspectiveDepth])) *
                            Matrix4x4::translation(eye.x, eye.y, 0);
        setMatrix(m, std::get<uint32_t>(p[PerspectiveInterpolation]));
    }
};

class ScaleKernel : public ProjectiveKernel {
public:
    void prepare(std::span<const PropertyValue> p) override {
        const Vector2 s = std::get<Vector2>(p[ScaleAmount]);
        const Vector2 c = std::get<Vector2>(p[ScaleCenterPoint]);
        setMatrix(Matrix4x4::translation(-c.x, -c.y, 0) * Matrix4x4::scale(s.x, s.y, 1) *
                      Matrix4x4::translation(c.x, c.y, 0),
                  std::get<uint32_t>(p[ScaleInterpolation]));
    }
};

constexpr auto kLinear = uint32_t(Interpolation::Linear);

} // namespace

std::vector<EffectClass> transformClasses() {
    std::vector<EffectClass> out;
    out.push_back({PerspectiveTransform3D,
                   "3D Perspective Transform",
                   1,
                   {{"InterpolationMode", kLinear},
                    {"BorderMode", uint32_t(BorderSoft)},
                    {"Depth", 1000.0f},
                    {"PerspectiveOrigin", Vector2{}},
                    {"LocalOffset", Vector3{}},
                    {"GlobalOffset", Vector3{}},
                    {"RotationOrigin", Vector3{}},
                    {"Rotation", Vector3{}}},
                   kernelMaker<PerspectiveKernel>()});
    out.push_back({Transform3D,
                   "3D Transform",
                   1,
                   {{"InterpolationMode", kLinear},
                    {"BorderMode", uint32_t(BorderSoft)},
                    {"TransformMatrix", Matrix4x4{}}},
                   kernelMaker<Transform3DKernel>()});
    out.push_back({Scale,
                   "Scale",
                   1,
                   {{"Scale", Vector2{1, 1}},
                    {"CenterPoint", Vector2{}},
                    {"InterpolationMode", kLinear},
                    {"BorderMode", uint32_t(BorderSoft)},
                    {"Sharpness", 0.0f}},
                   kernelMaker<ScaleKernel>()});
    return out;
}

} // namespace platform::render::effects
