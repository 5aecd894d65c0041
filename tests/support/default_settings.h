#pragma once

#include "settings/km_class.h"

namespace kelmora::test {

// What loading a settings file without keys gives: the built-in defaults and empty
// templates, which are what most users run with.
KM_Class DefaultGallerySettings();

}  // namespace kelmora::test
