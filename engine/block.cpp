// Block processing and tempo sync. (Stub: the engine work fills it in.)
#include "engine/engine.h"

namespace tavolu {

void Engine::processReplacing(const float* inLeft, const float* inRight, float* outLeft,
                              float* outRight, int32_t sampleFrames) {
    for (int32_t i = 0; i < sampleFrames; ++i) {
        outLeft[i] = inLeft[i];
        outRight[i] = inRight[i];
    }
}
void Engine::blockStart() {}
void Engine::periodicUpdate() {}

}  // namespace tavolu
