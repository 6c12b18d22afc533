// Trigger detection. (Stub: the engine work fills it in.)
#include "engine/engine.h"

namespace tavolu {

void Engine::detectTransient(float) {}
bool Engine::triggerDue() const { return false; }

}  // namespace tavolu
