#pragma once
// One frame's scene: the person and pose with everything derived from them that the
// per-pixel shading needs. The layers are defined in background.cpp, body.cpp, head.cpp
// and features.cpp; render.cpp composes them.

#include "facegen.h"
#include "smooth.h"

namespace facegen {

// A point in face coordinates (see facegen.h).
struct FacePoint {
    double u, v;
};

// Layers stacked over a still unknown background: premultiplied grey and coverage.
struct Layer {
    double grey = 0.0, alpha = 0.0;
    // Puts value with coverage a on top.
    void add(double value, double a) {
        grey = value * a + grey * (1.0 - a);
        alpha = a + alpha * (1.0 - a);
    }
    double over(double under) const { return under * (1.0 - alpha) + grey; }
};

class Scene {
  public:
    Scene(const Person& who, const Pose& pose);

    // Grey at image point (x, y) before the frame-wide light gradient, blur and noise.
    double shade(double x, double y) const;
    // Frame-wide light gradient and exposure at (x, y).
    double exposureAt(double x, double y) const;

    FacePoint toFace(double x, double y) const {
        const double dx = x - ox_, dy = y - oy_;
        return {(dx * c_ + dy * s_) * invD_, (dy * c_ - dx * s_) * invD_};
    }
    FacePoint toBody(double x, double y) const {
        const double dx = x - bx_, dy = y - by_;
        return {(dx * bc_ + dy * bs_) * invD_, (dy * bc_ - dx * bs_) * invD_ + bodyPivotV_};
    }

    // Layers, back to front, in image, body or face coordinates.
    double background(double x, double y) const;
    bool nearHead(FacePoint f) const;
    void backHair(FacePoint f, Layer& layer) const;
    void body(FacePoint b, FacePoint f, Layer& layer) const;
    // Returns the new grey given the grey underneath.
    double head(FacePoint f, double faceDist, double under) const;

    // Head pieces.
    double faceImplicit(double u, double v, double grow) const;
    double faceDistance(double u, double v, double grow) const;  // approximate, face units
    double hairCoverage(double u, double v) const;
    double hairShade(double u, double v) const;
    double earLayer(double u, double v, double under) const;
    double skinLight(double u, double v) const;   // light factor of the face surface
    double skinRelief(double u, double v) const;  // sockets, nose, cheeks, folds, chin
    double eyes(double u, double v, double base, double light) const;
    double brows(double u, double v, double base, double light) const;
    double mouth(double u, double v, double base) const;
    double nose(double u, double v) const;

    // Lambert light with ambient share for a unit normal.
    double light(double nx, double ny, double nz) const {
        const double l = nx * lx_ + ny * ly_ + nz * lz_;
        return ambient_ + (1.0 - ambient_) * (l > 0.0 ? l : 0.0);
    }
    double edge() const { return edge_; }

    const Person& who;
    const Pose& pose;

  private:
    double ox_, oy_, c_, s_, invD_;          // image -> face
    double bx_, by_, bc_, bs_, bodyPivotV_;  // image -> body
    double lx_, ly_, lz_, ambient_;
    double edge_;  // anti-aliasing band, face units (about 1.2 pixels)
    LatticeNoise texture_, texture2_;
};

}  // namespace facegen
