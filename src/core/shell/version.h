#pragma once

namespace kelmora {

// The program's version, as "major.minor.patch".
const char* Version();

}  // namespace kelmora
