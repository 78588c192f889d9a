#pragma once
// Synthetic head-and-shoulders frames with known eye centres, for tests, demos and
// training. Everything follows from a seed: the same seed gives the same bytes.
//
// Face coordinates: the origin is the midpoint between the eye centres, u points from the
// image's left eye to its right eye, v downwards at right angles to it, and the unit is
// the eye distance. Image coordinates are pixels with pixel centres at integers.

#include <cstdint>
#include <string>
#include <vector>

namespace facegen {

inline constexpr int kWidth = 256;
inline constexpr int kHeight = 255;
inline constexpr double kMinEyeDistance = 35.0;
inline constexpr double kMaxEyeDistance = 70.0;
inline constexpr double kMaxTiltDegrees = 10.0;

// Eye centres in pixels, on a grid of 0.1 pixel (they are rendered exactly there); xl < xr
// (xl is the eye on the image's left).
struct EyeCentres {
    double xl, yl, xr, yr;
};

enum class HairStyle { Short, Long, Receding };
enum class Collar { Round, Vee };

// What stays the same for one person. Lengths in face units; greys in 0..255 under full
// frontal light.
struct Person {
    double eyeDistance;  // pixels at the person's usual distance from the camera
    // Outline: widest at faceCentreV, skull top at faceTopV, chin at chinV.
    double faceHalfWidth;
    double faceCentreV;
    double faceTopV;
    double chinV;
    double jaw;         // narrowing towards the chin, 0..1
    double squareness;  // 0 elliptic .. 0.5 squarish
    // Eyes (centred at u = +-0.5, v = 0).
    double eyeHalfWidth;
    double upperLid;  // height of the upper lid arc above the centre, eye open
    double lowerLid;  // depth of the lower lid arc below the centre
    double irisRadius;
    double irisGrey;
    double socket;  // depth of the eye-socket shading, 0..1
    // Brows.
    double browV;  // height above the eye line (positive)
    double browHalfLength;
    double browThickness;
    double browArch;
    double browGrey;
    // Nose: tip bottom at noseLength, nostril wings at +-noseHalfWidth.
    double noseLength;
    double noseHalfWidth;
    // Mouth.
    double mouthV;
    double mouthHalfWidth;
    double lipThickness;
    double folds;  // strength of the cheek folds, 0..1
    // Greys.
    double skinGrey;
    double hairGrey;
    double clothGrey;
    // Hair, ears, neck and shoulders.
    HairStyle hair;
    double hairlineV;   // forehead hairline (negative, above the eyes)
    double hairSlant;   // the hairline's drop per unit towards the image's right
    double hairVolume;  // how far the hair stands off the skull
    double earHalfHeight;
    double neckHalfWidth;
    double shoulderV;
    double shoulderHalfWidth;
    Collar collar;
    double tiltBias;  // habitual head tilt, degrees
};

enum class Background { Plain, Textured, TwoTone, Blotchy };

// What changes from frame to frame.
struct Pose {
    EyeCentres eyes;     // exactly where the eye centres are rendered
    double tiltDegrees;  // head tilt before the eye centres were put on the 0.1 grid
    double bodyTilt;     // shoulder tilt as a fraction of the head tilt
    // Light: direction towards the light (lz toward the camera), ambient share, exposure,
    // and a gradient over the frame (relative change per 128 pixels in x and y).
    double lightX, lightY, ambient, exposure, gradX, gradY;
    // Expression.
    double eyeOpen;    // 1 = normally open
    double browRaise;  // face units, positive = raised
    double smile;      // corner lift in face units, negative = drooping
    double mouthOpen;  // face units
    // Background.
    Background background;
    double bgGrey, bgGrey2, bgSplit;
    // Sensor noise deviation in grey levels, and the seeds of textures and noise.
    double noiseSigma;
    std::uint64_t textureSeed;
    std::uint64_t noiseSeed;
};

struct Frame {
    std::vector<std::uint8_t> pixels;  // kWidth * kHeight, rows top to bottom
    EyeCentres eyes;
};

// Person `person` (1-based) of the set made from `seed`.
Person makePerson(std::uint64_t seed, int person);
// Frame `image` (1-based) of that person.
Pose makePose(const Person& who, std::uint64_t seed, int person, int image);
// Renders into out[kWidth * kHeight].
void renderFrame(const Person& who, const Pose& pose, std::uint8_t* out);
// makePerson + makePose + renderFrame. A frame does not depend on how many persons or
// images the set has.
Frame generateFrame(std::uint64_t seed, int person, int image);

// Files of a face set.
inline constexpr int kMaxPersons = 99;
inline constexpr int kMaxImages = 99;
// "0000PPII.TIF" for person PP and image II, both from 01.
std::string frameFileName(int person, int image);
// One line of truth.txt without the newline: "NAME PP XL YL XR YR", the coordinates with
// one decimal.
std::string truthLine(const std::string& name, int person, const EyeCentres& eyes);

// Writes persons x images frames and truth.txt into dir (created when missing).
// Returns false and sets error on failure.
bool writeFaceSet(const std::string& dir, int persons, int images, std::uint64_t seed,
                  std::string& error);

}  // namespace facegen
