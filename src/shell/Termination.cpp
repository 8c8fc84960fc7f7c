#include "shell/Termination.h"

namespace cp {

namespace {
bool terminando = false;
}

bool terminationRequested() { return terminando; }
void markTerminationRequested() { terminando = true; }

}  // namespace cp
