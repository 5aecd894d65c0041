// Built only by the layering test, which expects this file NOT to compile: the probe links
// the common module alone, so its include path admits common/ and nothing else. The first
// include proves a declared module is reachable; the second must fail.
#include "common/errors.h"
#include "settings/km_class.h"
