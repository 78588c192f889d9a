// The wall behind the person, with the head's soft shadow on it.

#include "scene.h"

namespace facegen {

double Scene::background(double x, double y) const {
    double g = pose.bgGrey;
    switch (pose.background) {
        case Background::Plain:
            break;
        case Background::Textured:  // rough plaster: fine grain over slow variation
            g += 26.0 * (texture_.at(x * 0.4, y * 0.4) - 0.5) +
                 14.0 * (texture2_.at(x * 0.11, y * 0.11) - 0.5);
            break;
        case Background::TwoTone: {  // a door frame or a corner: two surfaces, soft edge
            const double split = 24.0 + pose.bgSplit * 208.0;
            g = mix(pose.bgGrey, pose.bgGrey2, smoothstep(split - 2.5, split + 2.5, x));
            break;
        }
        case Background::Blotchy:
            g = mix(pose.bgGrey, pose.bgGrey2, 0.6 * texture_.at(x / 48.0, y / 48.0));
            break;
    }
    // Shadow of the head, thrown away from the light.
    const FacePoint f = toFace(x + 0.75 * pose.lightX / invD_, y);
    const double r2 = sq(f.u / (who.faceHalfWidth + who.hairVolume + 0.25)) +
                      sq((f.v - who.faceCentreV) / (who.chinV - who.faceTopV));
    g *= 1.0 - 0.45 * (pose.lightX < 0 ? -pose.lightX : pose.lightX) * bump(r2);
    return g;
}

}  // namespace facegen
