// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// The command frame: tables, argument checks and dispatch.
#include <strings.h>

#include <cstring>

#include "utest.h"

int utCheckArgs(int argc, char** argv) {
    if (argc < 2) utMessageExit(-9, 0, 0);
    int h = StringInArray(argv[1], helpreq);
    if (h >= 0) utMessageExit(0, h, 0);
    int c = StringInArray(argv[1], category);
    if (c < 0) utMessageExit(-9, 0, 0);
    for (int i = 2; i < argc; ++i)
        if (strcasecmp(argv[i], "-help") == 0) utMessageExit(-9, 3, c);
    if (argc == 2 && c != CAT_SYS) utMessageExit(-9, 3, c);
    return 0;
}

int utCatDispatch(int argc, char** argv) {
    return utCatHandle[StringInArray(argv[1], category)](argc, argv);
}

int main(int argc, char** argv) {
    utCheckArgs(argc, argv);
    return utCatDispatch(argc, argv);
}
