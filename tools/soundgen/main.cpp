// soundgen: composes and synthesises the saver's music and effects and
// writes them as Ogg Vorbis files (44,100 Hz, stereo, about 100 kbit/s).
//   soundgen --out OUTPUT_DIR [--wav WAV_DIR]
// --wav also writes the sounds before encoding, for listening.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Effects.h"
#include "Music.h"
#include "OggEncoder.h"

namespace {

bool WriteFile(const std::string& szPath, const std::vector<uint8_t>& data) {
    FILE* pFile = std::fopen(szPath.c_str(), "wb");
    if (!pFile) return false;
    const bool bOk = std::fwrite(data.data(), 1, data.size(), pFile) == data.size();
    return std::fclose(pFile) == 0 && bOk;
}

struct Sound {
    const char* pszName;
    synth::StereoBuffer (*pRender)();
    int nSerial;
    const char* pszTitle;
};

}  // namespace

int main(int argc, char** argv) {
    std::string szOut, szWav;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--out")) szOut = argv[i + 1];
        else if (!std::strcmp(argv[i], "--wav")) szWav = argv[i + 1];
    }
    if (szOut.empty()) {
        std::fprintf(stderr, "usage: soundgen --out DIR [--wav DIR]\n");
        return 2;
    }
    const Sound sounds[] = {
        {"hit", synth::RenderHit, 0x43640461, "Heart"},
        {"shot", synth::RenderShot, 0x43640462, "Arrow"},
        {"music", synth::RenderMusic, 0x43640463, "Cordelune Waltz"},
    };
    for (const Sound& sound : sounds) {
        const synth::StereoBuffer pcm = sound.pRender();
        synth::EncodeSettings settings;
        settings.nSerial = sound.nSerial;
        settings.szTitle = sound.pszTitle;
        const std::vector<uint8_t> ogg = synth::EncodeOggVorbis(pcm, settings);
        if (ogg.empty() || !WriteFile(szOut + "/" + sound.pszName + ".ogg", ogg)) {
            std::fprintf(stderr, "soundgen: cannot write %s.ogg\n", sound.pszName);
            return 1;
        }
        if (!szWav.empty() && !WriteFile(szWav + "/" + sound.pszName + ".wav", synth::EncodeWav(pcm))) {
            std::fprintf(stderr, "soundgen: cannot write %s.wav\n", sound.pszName);
            return 1;
        }
    }
    return 0;
}
