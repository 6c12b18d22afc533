// Pan envelope and LFO. (Stub: the engine work fills it in.)
#include "engine/engine.h"

namespace tavolu {

float Engine::nextPanPosition(float) { return panPosition; }
void Engine::resetLfo() {}

}  // namespace tavolu
