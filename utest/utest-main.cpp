// The command frame: tables, argument checks and dispatch.
#include <strings.h>

#include <cstring>

#include "utest.h"

const char* const helpreq[3] = {"-help", "-longhelp", "-version"};

const char* const category[catnum] = {"-INFO", "-NVR", "-I2C", "-WD", "-VGA",
                                      "-TEMP", "-VOLT", "-SYS", "-BATT", "-OEM"};

void (*const utCatHelp[catnum])() = {utHelpINFO, utHelpNVR,  utHelpI2C, utHelpWD,   utHelpVGA,
                                     utHelpTEMP, utHelpVOLT, utHelpSYS, utHelpBATT, utHelpOEM};

int (*const utCatHandle[catnum])(int, char**) = {utHandleINFO, utHandleNVR,  utHandleI2C, utHandleWD,
                                                 utHandleVGA,  utHandleTEMP, utHandleVOLT, utHandleSYS,
                                                 utHandleBATT, utHandleOEM};

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
