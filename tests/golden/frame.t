# The command frame: help, usage, version, dispatch and exit statuses.
# Nothing here opens the library unless a handler runs. The usage text, a
# usage exit with a category's help, the long help (every category's help)
# and the version are shown in full here; elsewhere each usage exit stands
# as one line, compared with the tool's own text in full.
literal: on
$ -HELP
| Ornsys4Linux Test/Demo-Application Version X2.00b
| <firmware access>
|
| usage: ornsys <category> <option> [<arg1> <arg2> ...]
|        ornsys [-help|-longhelp|-version]
|
|   where category is one of:
|     -INFO     information of the board and cpu
|     -NVR      data of non volatile ram
|     -I2C      data on I2C-bus
|     -WD       settings of the watchdog
|     -VGA      and settings of VGA
|     -TEMP     temperature sensor
|     -VOLT     voltage sensor
|     -SYS      system information
|     -BATT     battery info
|     -OEM      oem functions
|
|   use "ornsys <category> -help" to see options for specified
|         categroy
|
|    -help        displays short help message
|    -longhelp    displays help with all options for all categories
|    -version     displays version information
|
|    all numbers can be entered in decimal (123), hex (0x07B) or octal (0173)
|
= 0

$ -longhelp
| Ornsys4Linux Test/Demo-Application Version X2.00b
| <firmware access>
|
| usage: ornsys <category> <option> [<arg1> <arg2> ...]
|        ornsys [-help|-longhelp|-version]
|
|   where category is one of:
|     -INFO     information of the board and cpu
|     -NVR      data of non volatile ram
|     -I2C      data on I2C-bus
|     -WD       settings of the watchdog
|     -VGA      and settings of VGA
|     -TEMP     temperature sensor
|     -VOLT     voltage sensor
|     -SYS      system information
|     -BATT     battery info
|     -OEM      oem functions
|
|   use "ornsys <category> -help" to see options for specified
|         categroy
|
|    -help        displays short help message
|    -longhelp    displays help with all options for all categories
|    -version     displays version information
|
|    all numbers can be entered in decimal (123), hex (0x07B) or octal (0173)
|
|
|
|   valid options for category INFO:
|    -INFO -b           read board information
|    -INFO -c           read cpu information
|    -INFO -m           write new maintenance date
|    -INFO -gc [-f <filename>]      dump board config to screen or file
|    -INFO -sc -f <filename>        write new board config from file
|
|
|   valid options for category NVR:
|    -NVR -c            get number of nvrams
|
|    -NVR -i            get all nvram information
|    -NVR -i <index>    get info for nvram <index>
|
|    -NVR -d            get device information for all nvrams
|    -NVR -d <index>    get device information for <index>
|
|    -NVR -q <index> <block>
|                       get block information
|
|    -NVR -t            print fancy table with nvram/device info
|                       for all nvrams
|
|    -NVR -r <index>    read whole nvram
|    -NVR -r <index> <offset>
|                       read a byte from nvram
|    -NVR -r <index> <offset> <length>
|                       read bytes from nvram
|
|    -NVR -w <index> <offset> <byte>
|                       write a byte to nvram
|    -NVR -w <index> <offset> <length> <byte0> <byte1> ... 
|                       write bytes to nvram
|    -NVR -w <index> -f <filename>          
|                     write data from file to nvram
|    -NVR -a <index> <block> <command>
|                       raw nvram block access
|    -NVR -bl <index> <block>
|                       raw nvram block lock
|    -NVR -bu <index> <block>
|                       raw nvram block unlock
|    -NVR -be <index> <block>
|                       raw nvram block erase
|
|
|   valid options for category I2C:
|    -I2C -c            get i2c bus count
|
|    -I2C -q <index>    get i2c bus info
|
|    -I2C -rb <bus-id> <dev addr> <offset> <prot>
|                       read byte
|    -I2C -wb <bus-id> <dev addr> <offset> <prot> <byte>
|                       write byte
|
|    -I2C -rw <bus-id> <dev addr> <offset> <prot>
|                       read word
|    -I2C -ww <bus-id> <dev addr> <offset> <prot> <word>
|                       write word
|
|    -I2C -br <bus-id> <dev addr> <offset> <prot> <length>
|                       read block
|    -I2C -bw <bus-id> <dev addr> <offset> <prot> <data>
|                       write block
|
|    -I2C -br <bus-id> <dev addr> <offset> <prot> <length> -f <filename>
|                       read block to file
|    -I2C -bw <bus-id> <dev addr> <offset> <prot> <length> -f <filename>
|                       write block from file
|
|     bus ID:    0 -> SMBus      1 -> OEM I2C bus
|               10 -> LFP EDID  11 -> VGA DDC
|
|     protocol:  0 ->  none, offset not valid, standard speed
|                1 ->  8-bit transfer, standard speed
|                2 -> 16-bit transfer, standard speed
|               80 ->  none, offset not valid, fast speed
|               81 ->  8-bit transfer, fast speed
|               82 -> 16-bit transfer, fast speed
|
|
|   valid options for category WD:
|    -WD -s             get watchdog status
|
|    -WD -t             trigger watchdog
|
|    -WD -c <delay> <timeout> <command>
|                       configure watchdog
|
|
|   valid options for category VGA:
|    -VGA -b <on/off>   turn backlight on/off (0/1)
|
|    -VGA -gb           get backlight value
|    -VGA -sb <value>   set backlight value
|
|    -VGA -gc           get contrast value
|    -VGA -sc <value>   set contrast value
|
|
|   valid options for category TEMP:
|    -TEMP -c           get number of temp sensors
|
|    -TEMP -q <index>   get info about temp sensors
|
|    -TEMP -g <index>   get temp value
|
|    -TEMP -a           get all temp values
|
|
|   valid options for category VOLT:
|    -VOLT -c           get number of voltage sensors
|
|    -VOLT -q <index>   get info about voltage sensors
|
|    -VOLT -g <index>   get voltage
|
|    -VOLT -a           get all voltages
|
|
|   valid options for category SYS:
|    -SYS               get system status
|
|
|   valid options for category BATT:
|    -BATT -c           get number of batteries
|
|    -BATT -i <index>   get battery info
|
|    -BATT -g <index>   get battery status
|
|
|   valid options for category OEM:
|    -OEM -r           OEM read function
|
|    -OEM -w           OEM write function
|
|    -OEM -p           OEM thru function
|
|    OEM FUNCTIONS NOT IMPLEMENTED YET!
|
|
= 0

$ -version
| Ornsys4Linux Test/Demo-Application Version X2.00b
| <firmware access>
|
| Test- and demo-application for the Ornsys4Linux package.
| The application can communicate with embedded-PCs which have the
| Zoka Firmware Interface (ZOKA) implemented. Some functions
| are only available for the ZOKA 2.0 Interface.
|
= 0

# -help anywhere after the category: the usage and the category's help
$ -NVR -r -HeLp
| Ornsys4Linux Test/Demo-Application Version X2.00b
| <firmware access>
|
| usage: ornsys <category> <option> [<arg1> <arg2> ...]
|        ornsys [-help|-longhelp|-version]
|
|   where category is one of:
|     -INFO     information of the board and cpu
|     -NVR      data of non volatile ram
|     -I2C      data on I2C-bus
|     -WD       settings of the watchdog
|     -VGA      and settings of VGA
|     -TEMP     temperature sensor
|     -VOLT     voltage sensor
|     -SYS      system information
|     -BATT     battery info
|     -OEM      oem functions
|
|   use "ornsys <category> -help" to see options for specified
|         categroy
|
|    -help        displays short help message
|    -longhelp    displays help with all options for all categories
|    -version     displays version information
|
|    all numbers can be entered in decimal (123), hex (0x07B) or octal (0173)
|
|
|   valid options for category NVR:
|    -NVR -c            get number of nvrams
|
|    -NVR -i            get all nvram information
|    -NVR -i <index>    get info for nvram <index>
|
|    -NVR -d            get device information for all nvrams
|    -NVR -d <index>    get device information for <index>
|
|    -NVR -q <index> <block>
|                       get block information
|
|    -NVR -t            print fancy table with nvram/device info
|                       for all nvrams
|
|    -NVR -r <index>    read whole nvram
|    -NVR -r <index> <offset>
|                       read a byte from nvram
|    -NVR -r <index> <offset> <length>
|                       read bytes from nvram
|
|    -NVR -w <index> <offset> <byte>
|                       write a byte to nvram
|    -NVR -w <index> <offset> <length> <byte0> <byte1> ... 
|                       write bytes to nvram
|    -NVR -w <index> -f <filename>          
|                     write data from file to nvram
|    -NVR -a <index> <block> <command>
|                       raw nvram block access
|    -NVR -bl <index> <block>
|                       raw nvram block lock
|    -NVR -bu <index> <block>
|                       raw nvram block unlock
|    -NVR -be <index> <block>
|                       raw nvram block erase
|
|
= 247
literal: off

# no arguments: usage, 247
$
| <usage>
= 247

# argv[1] decides: a help request
$ -help -NVR
| <usage>
= 0

# a category without option
$ -nvr
| <usage and NVR help>
= 247

$ -FOO
| <usage>
= 247

$ -I2C -c -help
| <usage and I2C help>
= 247

$ -OEM -r
| <usage and OEM help>
= 247

# -longhelp after a category is an ordinary option
$ -INFO -longhelp
| <usage and INFO help>
= 247

# the firmware directory does not answer: the open fails
board: absent.board
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! utOrnOpen: OrnOpen() failed!
@ open
@ close
= 255

# What the virtual board cannot use is said in one line, and the firmware
# counts as absent: a board "file" that is a folder, a trace that cannot be
# written.
env: ORNSIM_BOARD=<work>
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>:0: cannot read board file: is a directory
! utOrnOpen: OrnOpen() failed!
= 255

env: ORNSIM_TRACE=<work>
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>: cannot open trace file: Is a directory
! utOrnOpen: OrnOpen() failed!
= 255

# A trace whose last line a kill cut gets the next process's lines whole,
# starting on a line of their own.
file: trace 63 61 6c 6c 20 30 78 31 31 20 30 30 30
$ -WD -s
| 0 - normal power on reset
@ call 0x11 000
@ open
@ call 0x32 00 -> 0x0000 00
@ close
= 0

# The board service's own options: its usage, its version, and a word it
# does not know (usage on standard error, exit 2).
program: ornsysd
$ --help
| usage: ornsysd [--socket PATH] [--read-group GROUP] [--watchdog-group GROUP] [--admin-group GROUP]
|        ornsysd --grant-socket PATH [--read-group GROUP] [--watchdog-group GROUP] [--admin-group GROUP]
| Serves the board's firmware to programs in the role groups. Without --socket the socket
| comes from the service manager (ornsysd.socket). --grant-socket lets the watchdog and admin
| groups connect to the socket at PATH, and serves nothing.
= 0

program: ornsysd
$ --version
| ornsysd 2.0.6
= 0

program: ornsysd
$ --bogus
! ornsysd: unknown or incomplete option: --bogus
! usage: ornsysd [--socket PATH] [--read-group GROUP] [--watchdog-group GROUP] [--admin-group GROUP]
!        ornsysd --grant-socket PATH [--read-group GROUP] [--watchdog-group GROUP] [--admin-group GROUP]
! Serves the board's firmware to programs in the role groups. Without --socket the socket
! comes from the service manager (ornsysd.socket). --grant-socket lets the watchdog and admin
! groups connect to the socket at PATH, and serves nothing.
= 2

# No board service at the socket: the open fails and says why.
env: ORNSYS_BACKEND=service
env: ORNSYS_SERVICE_SOCKET=<work>/none.sock
env: ORNSYS_DEBUG=1
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsys: OrnOpen: service backend: connecting to the board service at <work>/none.sock failed: No such file or directory; is ornsysd running (systemctl status ornsysd.socket), and may this user open its socket (group ornsys)?
! utOrnOpen: OrnOpen() failed!
= 255

# Numbers: decimal, hexadecimal (0x or 0X) and octal, with a sign; the
# digits up to the first that does not fit; beyond 32 bits, the largest or
# smallest; narrowed to the field they fill. The battery index goes to the
# firmware as given.
literal: off
$ -BATT -g 12abc
| ORNSYS ERROR: BIOS: hardware not present !
|
! utMobileBatInfo: OrnGetBatteryInfo() failed for battery 0x0c!
@ open
@ call 0x63 0c000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x8041 0c000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 255
$ -BATT -g abc
| bat status:             0x0002
| current rate:              500 mA
| remaining capacity:       2000 mAh
| voltage:                 12050 mV
@ open
@ call 0x63 00000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 00000000540000000100000098080000020800005c2b00004f524e2d42503353315000000000000042502d303831350000000000000000004c494f4e0000000000000000000000004f726e73797320506f77657200000000
@ call 0x64 000000001400000000000000000000000000000000000000 -> 0x0000 000000001400000002000000f4010000d0070000122f0000
@ close
= 0
$ -BATT -g 010
| ORNSYS ERROR: BIOS: hardware not present !
|
! utMobileBatInfo: OrnGetBatteryInfo() failed for battery 0x08!
@ open
@ call 0x63 08000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x8041 08000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 255
$ -BATT -g 08
| bat status:             0x0002
| current rate:              500 mA
| remaining capacity:       2000 mAh
| voltage:                 12050 mV
@ open
@ call 0x63 00000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 00000000540000000100000098080000020800005c2b00004f524e2d42503353315000000000000042502d303831350000000000000000004c494f4e0000000000000000000000004f726e73797320506f77657200000000
@ call 0x64 000000001400000000000000000000000000000000000000 -> 0x0000 000000001400000002000000f4010000d0070000122f0000
@ close
= 0
$ -BATT -g 0X1f
| ORNSYS ERROR: BIOS: hardware not present !
|
! utMobileBatInfo: OrnGetBatteryInfo() failed for battery 0x1f!
@ open
@ call 0x63 1f000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x8041 1f000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 255
$ -BATT -g +5
| ORNSYS ERROR: BIOS: hardware not present !
|
! utMobileBatInfo: OrnGetBatteryInfo() failed for battery 0x05!
@ open
@ call 0x63 05000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x8041 05000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 255
$ -BATT -g -1
| ORNSYS ERROR: BIOS: hardware not present !
|
! utMobileBatInfo: OrnGetBatteryInfo() failed for battery 0xffffffff!
@ open
@ call 0x63 ffffffff540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x8041 ffffffff540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 255
$ -BATT -g 0x80000000
| ORNSYS ERROR: BIOS: hardware not present !
|
! utMobileBatInfo: OrnGetBatteryInfo() failed for battery 0x7fffffff!
@ open
@ call 0x63 ffffff7f540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x8041 ffffff7f540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 255
$ -BATT -g 99999999999
| ORNSYS ERROR: BIOS: hardware not present !
|
! utMobileBatInfo: OrnGetBatteryInfo() failed for battery 0x7fffffff!
@ open
@ call 0x63 ffffff7f540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x8041 ffffff7f540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 255
$ -BATT -g -0x80000000
| ORNSYS ERROR: BIOS: hardware not present !
|
! utMobileBatInfo: OrnGetBatteryInfo() failed for battery 0x80000000!
@ open
@ call 0x63 00000080540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x8041 00000080540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 255
$ -BATT -g -99999999999
| ORNSYS ERROR: BIOS: hardware not present !
|
! utMobileBatInfo: OrnGetBatteryInfo() failed for battery 0x80000000!
@ open
@ call 0x63 00000080540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x8041 00000080540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 255
$ -VGA -sb 0x1FF
| backlight brightness set to: 0xff
@ open
@ call 0x43 00ff -> 0x0000 00ff
@ close
= 0
$ -WD -c 65536 1 1
| watchdog configured
@ open
@ call 0x31 000001000100 -> 0x0000 000001000100
@ close
= 0

# Categories and options in any case; a word that only begins like one is none.
$ -nVr -C
| 0x0004
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ close
= 0
$ -nv -c
| <usage>
= 247
