#pragma once

#include "expr/Exception.h"

#include <QString>

// The words the user reads for a fault the core raised, in the language the
// program speaks now. The core's own what() is the fallback for faults that
// have no words of their own here.
QString ErrorText(const Exception& error);
