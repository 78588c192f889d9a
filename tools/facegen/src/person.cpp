// Face geometry and greys of one person.

#include "facegen.h"
#include "rng.h"

namespace facegen {

Person makePerson(std::uint64_t seed, int person) {
    Rng r(deriveSeed(seed, static_cast<std::uint64_t>(person)));
    Person p{};
    p.eyeDistance = r.uniform(40.0, 62.0);

    p.faceHalfWidth = r.uniform(1.0, 1.18);
    p.faceCentreV = r.uniform(0.0, 0.2);
    p.faceTopV = -r.uniform(1.5, 1.75);
    p.jaw = r.uniform(0.1, 0.32);
    p.squareness = r.uniform(0.1, 0.5);

    p.eyeHalfWidth = r.uniform(0.19, 0.24);
    p.upperLid = r.uniform(0.08, 0.105);
    p.lowerLid = p.upperLid * r.uniform(0.6, 0.8);
    p.irisRadius = r.uniform(0.085, 0.105);
    p.irisGrey = r.uniform(30.0, 85.0);
    p.socket = r.uniform(0.2, 0.36);

    p.browV = r.uniform(0.26, 0.38);
    p.browHalfLength = r.uniform(0.24, 0.31);
    p.browThickness = r.uniform(0.06, 0.1);
    p.browArch = r.uniform(0.015, 0.07);

    p.noseLength = r.uniform(0.78, 1.0);
    p.noseHalfWidth = r.uniform(0.23, 0.33);
    p.mouthV = p.noseLength + r.uniform(0.3, 0.44);
    p.mouthHalfWidth = r.uniform(0.36, 0.5);
    p.lipThickness = r.uniform(0.045, 0.08);
    p.chinV = p.mouthV + r.uniform(0.4, 0.52);
    p.folds = r.uniform(0.0, 0.8);

    p.skinGrey = r.uniform(105.0, 200.0);
    const int hairKind = r.below(10);  // mostly dark, some mid, a few light
    p.hairGrey = hairKind < 6 ? r.uniform(15.0, 60.0)
                              : (hairKind < 9 ? r.uniform(60.0, 110.0) : r.uniform(120.0, 175.0));
    p.browGrey =
        (p.hairGrey < p.skinGrey * 0.42 ? p.hairGrey : p.skinGrey * 0.42) * r.uniform(0.9, 1.2);
    p.clothGrey = r.uniform(20.0, 225.0);

    const int style = r.below(10);
    p.hair = style < 6 ? HairStyle::Short : (style < 8 ? HairStyle::Long : HairStyle::Receding);
    p.hairlineV =
        p.hair == HairStyle::Receding ? p.faceTopV + r.uniform(0.15, 0.4) : -r.uniform(0.75, 1.2);
    p.hairSlant = r.uniform(-0.22, 0.22);
    p.hairVolume = r.uniform(0.1, 0.34);
    p.earHalfHeight = r.uniform(0.25, 0.33);
    p.neckHalfWidth = r.uniform(0.62, 0.8);
    p.shoulderV = p.chinV + r.uniform(0.15, 0.4);
    p.shoulderHalfWidth = r.uniform(1.9, 2.5);
    p.collar = r.chance(0.5) ? Collar::Round : Collar::Vee;
    p.tiltBias = r.uniform(-3.0, 3.0);
    return p;
}

}  // namespace facegen
