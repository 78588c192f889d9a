// ovfc-wavgen <folder>: writes the program's sound files into the folder.

#include <iostream>

#include "wavgen.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: ovfc-wavgen <output folder>\n";
        return 2;
    }
    std::string folder = argv[1];
    if (!folder.empty() && folder.back() != '/') folder += '/';
    for (const wavgen::Sound& sound : wavgen::programSounds()) {
        const std::string path = folder + sound.fileName;
        const auto status =
            wavgen::writeFile(path, wavgen::encodeWav(sound.samples, wavgen::kSampleRate));
        if (status != wavgen::WriteStatus::Ok) {
            std::cerr << "ovfc-wavgen: cannot write " << path << '\n';
            return 1;
        }
    }
    return 0;
}
