// Writes the program's message declaration file from the message table, so that the
// language-file generator lists every message with its built-in text and the two never
// drift apart. Run by the build: kelmora-message-declarations <output file>.

#include <cstdio>

#include "localisation/message_declarations.h"
#include "platform/file_system.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output file>\n", argv[0]);
    return 2;
  }
  if (!kelmora::WriteFileAtomically(argv[1], kelmora::MessageDeclarationFileText())) {
    std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
    return 1;
  }
  return 0;
}
