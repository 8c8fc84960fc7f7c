#include "shell/Termino.h"

namespace cp {

namespace {
bool terminando = false;
}

bool terminationRequested() { return terminando; }
void markTerminationRequested() { terminando = true; }

}  // namespace cp
