#include "shell/tessarin.h"

// Placeholder until the conversion run lands.
bool Tessarin::execute() { return true; }
