#include "DistoTypes.h"

namespace Rawnfield {
namespace Types {
const char* const kDistortionTypeNames[kNumDistortionTypes] = {
    "Linear",
    "Compressor",
    "Soft-Knee Compressor",
    "Limiter",
    "Soft-Knee Limiter",
    "Warm Saturation",
    "Classic Saturation",
    "Hard-Overload",
    "RNSigmoid1-Drive",
    "RNSigmoid2-Drive",
    "RNSigmoid3-Drive",
    "Zadired-Fuzz",
    "Trosk-Fuzz",
    "ZRM-Fuzz 1",
    "ZRM-Fuzz 2",
    "Soft-Tube-Distort",
    "Tube-Distort",
    "Transistor",
    "Full-Clip",
    "Fuzz-Drive1",
    "Hardcore-Fuzz1",
    "Hardcore-Fuzz2",
    "Hardcore-Fuzz3",
    "Hardcore-Fuzz4",
    "Industrial-Fuzz1",
    "Rawnfield-Drive1",
    "Rawnfield-Drive2",
    "Rawnfield-Drive3",
    "Rawnfield-Drive4",
    "Quellbrand-Fuzz 1",
    "Quellbrand-Fuzz 2",
    "Quellbrand-Fuzz 3",
    "Invert-and-Drive",
    "Big-Bad-Drive",
    "Big-Fat-Drive",
    "ViciousViper",
    "AssKicking",
    "TigersBlood",
    "MadCat",
    "Radiva Zuvavuza",
    "Didudo Rivad/Q:ZAR",
    "Thrashcore/ZRM",
};

const char* const kDistoCurveActionNames[8] = {
    "Restore Curve", "Normalize Curve",     "Smooth Curve", "Smooth Zero-Crossing",
    "Add Noise",     "Quantize (16-steps)", nullptr,        "Reset (Restore Linear)",
};
}  // namespace Types

}  // namespace Rawnfield
