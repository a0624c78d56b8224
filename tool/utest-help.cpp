// SPDX-License-Identifier: MIT
// Copyright (c) 2026 The ornsys authors
// Version, usage, information and help texts.
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string_view>

#include "utest.h"

namespace {

void PrintLines(std::span<const std::string_view> lines) {
    for (std::string_view line : lines) {
        fwrite(line.data(), 1, line.size(), stdout);
        fputc('\n', stdout);
    }
}

constexpr const char* kProgram = "ornsys";

constexpr std::string_view kUsageCategories[] = {
    "",
    "  where category is one of:",
    "    -INFO     information of the board and cpu",
    "    -NVR      data of non volatile ram",
    "    -I2C      data on I2C-bus",
    "    -WD       settings of the watchdog",
    "    -VGA      and settings of VGA",
    "    -TEMP     temperature sensor",
    "    -VOLT     voltage sensor",
    "    -SYS      system information",
    "    -BATT     battery info",
    "    -OEM      oem functions",
    "",
};

constexpr std::string_view kUsageGeneral[] = {
    "        categroy",
    "",
    "   -help        displays short help message",
    "   -longhelp    displays help with all options for all categories",
    "   -version     displays version information",
    "",
    "   all numbers can be entered in decimal (123), hex (0x07B) or octal (0173)",
    "",
};

constexpr std::string_view kInfoText[] = {
    "Test- and demo-application for the Ornsys4Linux package.",
    "The application can communicate with embedded-PCs which have the",
    "Zoka Firmware Interface (ZOKA) implemented. Some functions",
    "are only available for the ZOKA 2.0 Interface.",
    "",
};

constexpr std::string_view kHelpINFO[] = {
    "  valid options for category INFO:",
    "   -INFO -b           read board information",
    "   -INFO -c           read cpu information",
    "   -INFO -m           write new maintenance date",
    "   -INFO -gc [-f <filename>]      dump board config to screen or file",
    "   -INFO -sc -f <filename>        write new board config from file",
    "",
};

constexpr std::string_view kHelpNVR[] = {
    "  valid options for category NVR:",
    "   -NVR -c            get number of nvrams",
    "",
    "   -NVR -i            get all nvram information",
    "   -NVR -i <index>    get info for nvram <index>",
    "",
    "   -NVR -d            get device information for all nvrams",
    "   -NVR -d <index>    get device information for <index>",
    "",
    "   -NVR -q <index> <block>",
    "                      get block information",
    "",
    "   -NVR -t            print fancy table with nvram/device info",
    "                      for all nvrams",
    "",
    "   -NVR -r <index>    read whole nvram",
    "   -NVR -r <index> <offset>",
    "                      read a byte from nvram",
    "   -NVR -r <index> <offset> <length>",
    "                      read bytes from nvram",
    "",
    "   -NVR -w <index> <offset> <byte>",
    "                      write a byte to nvram",
    "   -NVR -w <index> <offset> <length> <byte0> <byte1> ... ",
    "                      write bytes to nvram",
    "   -NVR -w <index> -f <filename>          ",
    "                    write data from file to nvram",
    "   -NVR -a <index> <block> <command>",
    "                      raw nvram block access",
    "   -NVR -bl <index> <block>",
    "                      raw nvram block lock",
    "   -NVR -bu <index> <block>",
    "                      raw nvram block unlock",
    "   -NVR -be <index> <block>",
    "                      raw nvram block erase",
    "",
};

constexpr std::string_view kHelpI2C[] = {
    "  valid options for category I2C:",
    "   -I2C -c            get i2c bus count",
    "",
    "   -I2C -q <index>    get i2c bus info",
    "",
    "   -I2C -rb <bus-id> <dev addr> <offset> <prot>",
    "                      read byte",
    "   -I2C -wb <bus-id> <dev addr> <offset> <prot> <byte>",
    "                      write byte",
    "",
    "   -I2C -rw <bus-id> <dev addr> <offset> <prot>",
    "                      read word",
    "   -I2C -ww <bus-id> <dev addr> <offset> <prot> <word>",
    "                      write word",
    "",
    "   -I2C -br <bus-id> <dev addr> <offset> <prot> <length>",
    "                      read block",
    "   -I2C -bw <bus-id> <dev addr> <offset> <prot> <data>",
    "                      write block",
    "",
    "   -I2C -br <bus-id> <dev addr> <offset> <prot> <length> -f <filename>",
    "                      read block to file",
    "   -I2C -bw <bus-id> <dev addr> <offset> <prot> <length> -f <filename>",
    "                      write block from file",
    "",
    "    bus ID:    0 -> SMBus      1 -> OEM I2C bus",
    "              10 -> LFP EDID  11 -> VGA DDC",
    "",
    "    protocol:  0 ->  none, offset not valid, standard speed",
    "               1 ->  8-bit transfer, standard speed",
    "               2 -> 16-bit transfer, standard speed",
    "              80 ->  none, offset not valid, fast speed",
    "              81 ->  8-bit transfer, fast speed",
    "              82 -> 16-bit transfer, fast speed",
    "",
};

constexpr std::string_view kHelpWD[] = {
    "  valid options for category WD:",
    "   -WD -s             get watchdog status",
    "",
    "   -WD -t             trigger watchdog",
    "",
    "   -WD -c <delay> <timeout> <command>",
    "                      configure watchdog",
    "",
};

constexpr std::string_view kHelpVGA[] = {
    "  valid options for category VGA:",
    "   -VGA -b <on/off>   turn backlight on/off (0/1)",
    "",
    "   -VGA -gb           get backlight value",
    "   -VGA -sb <value>   set backlight value",
    "",
    "   -VGA -gc           get contrast value",
    "   -VGA -sc <value>   set contrast value",
    "",
};

constexpr std::string_view kHelpTEMP[] = {
    "  valid options for category TEMP:",
    "   -TEMP -c           get number of temp sensors",
    "",
    "   -TEMP -q <index>   get info about temp sensors",
    "",
    "   -TEMP -g <index>   get temp value",
    "",
    "   -TEMP -a           get all temp values",
    "",
};

constexpr std::string_view kHelpVOLT[] = {
    "  valid options for category VOLT:",
    "   -VOLT -c           get number of voltage sensors",
    "",
    "   -VOLT -q <index>   get info about voltage sensors",
    "",
    "   -VOLT -g <index>   get voltage",
    "",
    "   -VOLT -a           get all voltages",
    "",
};

constexpr std::string_view kHelpSYS[] = {
    "  valid options for category SYS:",
    "   -SYS               get system status",
    "",
};

constexpr std::string_view kHelpBATT[] = {
    "  valid options for category BATT:",
    "   -BATT -c           get number of batteries",
    "",
    "   -BATT -i <index>   get battery info",
    "",
    "   -BATT -g <index>   get battery status",
    "",
};

constexpr std::string_view kHelpOEM[] = {
    "  valid options for category OEM:",
    "   -OEM -r           OEM read function",
    "",
    "   -OEM -w           OEM write function",
    "",
    "   -OEM -p           OEM thru function",
    "",
    "   OEM FUNCTIONS NOT IMPLEMENTED YET!",
    "",
};

}  // namespace

void utVersion() {
    printf("%s Version %s\n", "Ornsys4Linux Test/Demo-Application", "X2.00b");
    // The backend the library will use: the one ORNSYS_BACKEND names (a
    // process with raised privilege is not told), else the board's firmware.
    const char* backend = secure_getenv("ORNSYS_BACKEND");
    if (backend != nullptr && *backend != '\0') printf("firmware access: %s backend (ORNSYS_BACKEND)\n\n", backend);
    else
        printf("firmware access: board backend (the default; the board service for a user who may not open "
               "/dev/mem)\n\n");
}

void utUsage() {
    utVersion();
    printf("usage: %s <category> <option> [<arg1> <arg2> ...]\n", kProgram);
    printf("       %s [-help|-longhelp|-version]\n", kProgram);
    PrintLines(kUsageCategories);
    printf("  use \"%s <category> -help\" to see options for specified\n", kProgram);
    PrintLines(kUsageGeneral);
}

void utInfo() {
    utVersion();
    PrintLines(kInfoText);
}

void utLonghelp() {
    utUsage();
    printf("\n\n");
    for (int c = 0; c < catnum; ++c) {
        utCatHelp[c]();
        printf("\n");
    }
}

void utHelpINFO() { PrintLines(kHelpINFO); }
void utHelpNVR() { PrintLines(kHelpNVR); }
void utHelpI2C() { PrintLines(kHelpI2C); }
void utHelpWD() { PrintLines(kHelpWD); }
void utHelpVGA() { PrintLines(kHelpVGA); }
void utHelpTEMP() { PrintLines(kHelpTEMP); }
void utHelpVOLT() { PrintLines(kHelpVOLT); }
void utHelpSYS() { PrintLines(kHelpSYS); }
void utHelpBATT() { PrintLines(kHelpBATT); }
void utHelpOEM() { PrintLines(kHelpOEM); }
