// Prints the bytes QUORLEX_CONFIG.txt must hold, from the same expectations as the unit tests,
// so that the end-to-end driver has no copy of its own:
//   e2e_expected default
//   e2e_expected tiered L1PASS L2PASS [COMMAND=LEVEL ...]

#include "expectedfile.h"

#include <cstdio>
#include <cstring>

int main(int argc, char *argv[])
{
    QByteArray bytes;
    if (argc == 2 && std::strcmp(argv[1], "default") == 0) {
        bytes = expected::defaultFile();
    } else if (argc >= 4 && std::strcmp(argv[1], "tiered") == 0) {
        QByteArrayList commandLines;
        for (int i = 4; i < argc; ++i)
            commandLines << QByteArray(argv[i]);
        bytes = expected::tieredFile(commandLines, argv[2], argv[3]);
    } else {
        std::fprintf(stderr, "usage: %s default | tiered L1PASS L2PASS [COMMAND=LEVEL ...]\n",
                     argv[0]);
        return 2;
    }
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size())
               ? 0
               : 1;
}
