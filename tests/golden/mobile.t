# SYS, BATT and OEM categories.

$ -SYS
| misc state:  0x0002 (lid open)
| power state: 0x0001 (AC connected)
@ open
@ call 0x61 0c0000000000000000000000 -> 0x0000 0c0000000200000001000000
@ close
= 0

board: bare.board
+ [system]
+ misc = 3
+ power = 1
$ -sys
| misc state:  0x0003 (docked, lid open)
| power state: 0x0001 (AC connected)
@ open
@ call 0x61 0c0000000000000000000000 -> 0x0000 0c0000000300000001000000
@ close
= 0

board: mobile.board
$ -SYS
| misc state:  0x0014 
| power state: 0x0000 
@ open
@ call 0x61 0c0000000000000000000000 -> 0x0000 0c0000001400000000000000
@ close
= 0

# anything after -SYS is a usage error found after the open
$ -SYS extra
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
|   valid options for category SYS:
|    -SYS               get system status
|
|
@ open
= 247

+ [fault]
+ function = 0x61
+ status = 0x8000
$ -SYS
| ORNSYS ERROR: BIOS: function not supported !
|
! OrnGetSystemState() failed!
@ open
@ call 0x61 0c0000000000000000000000 -> 0x8000 0c0000000000000000000000
@ close
= 255

board: absent.board
$ -SYS
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! utOrnOpen: OrnOpen() failed!
@ open
@ close
= 255

$ -BATT -c
| 0x01
@ open
@ call 0x62 00000000 -> 0x0000 01000000
@ close
= 0

$ -BATT -i 0
| design capacity:       2200 mAh
| full charge capacity:  2050 mAh
| design voltage:       11100 mV
| device name:           ORN-BP3S1P
| serial number:         BP-0815
| battery type:          LION
| manufacturer:          Ornsys Power
@ open
@ call 0x63 00000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 00000000540000000100000098080000020800005c2b00004f524e2d42503353315000000000000042502d303831350000000000000000004c494f4e0000000000000000000000004f726e73797320506f77657200000000
@ close
= 0

$ -BATT -g 0
| bat status:             0x0002
| current rate:              500 mA
| remaining capacity:       2000 mAh
| voltage:                 12050 mV
@ open
@ call 0x63 00000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 00000000540000000100000098080000020800005c2b00004f524e2d42503353315000000000000042502d303831350000000000000000004c494f4e0000000000000000000000004f726e73797320506f77657200000000
@ call 0x64 000000001400000000000000000000000000000000000000 -> 0x0000 000000001400000002000000f4010000d0070000122f0000
@ close
= 0

board: mobile.board
$ -BATT -c
| 0x02
@ open
@ call 0x62 00000000 -> 0x0000 02000000
@ close
= 0

board: mobile.board
$ -BATT -I 0
| design capacity:      unknown
| full charge capacity: 45000 mWh
| design voltage:          -2 mV
| device name:           ABCDEFGHIJKLMNOP
| serial number:         0123456789abcdef
| battery type:          LiFePO4
| manufacturer:          Makes Batteries!
@ open
@ call 0x63 00000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 000000005400000000000000ffffffffc8af0000feffffff4142434445464748494a4b4c4d4e4f50303132333435363738396162636465664c694665504f340000000000000000004d616b65732042617474657269657321
@ close
= 0

board: mobile.board
$ -BATT -g 0
| bat status:             0x8001
| current rate:            unknown
| remaining capacity:          0 mWh
| voltage:                 unknown
@ open
@ call 0x63 00000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 000000005400000000000000ffffffffc8af0000feffffff4142434445464748494a4b4c4d4e4f50303132333435363738396162636465664c694665504f340000000000000000004d616b65732042617474657269657321
@ call 0x64 000000001400000000000000000000000000000000000000 -> 0x0000 000000001400000001800000ffffffff00000000ffffffff
@ close
= 0

board: mobile.board
$ -BATT -g 1
| bat status:             0x0000
| current rate:             1250 mA
| remaining capacity:       4900 mAh
| voltage:                  8100 mV
@ open
@ call 0x63 01000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 01000000540000000300000050140000ec130000e81c00005365636f6e6400000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ call 0x64 010000001400000000000000000000000000000000000000 -> 0x0000 010000001400000000000000e204000024130000a41f0000
@ close
= 0

# a battery beyond the count still reaches the firmware
$ -BATT -i 1
| ORNSYS ERROR: BIOS: hardware not present !
|
! utMobileBatInfo: OrnGetBatteryInfo() failed for battery 0x01!
@ open
@ call 0x63 01000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x8041 01000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 255

# -g asks for the information first; when that fails no state is asked
$ -BATT -g 1
| ORNSYS ERROR: BIOS: hardware not present !
|
! utMobileBatInfo: OrnGetBatteryInfo() failed for battery 0x01!
@ open
@ call 0x63 01000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x8041 01000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 255

+ [fault]
+ function = 0x64
+ status = 0x8000
$ -BATT -g 0
| ORNSYS ERROR: BIOS: function not supported !
|
! utMobileBatState: OrnGetBatteryState() failed for battery 0000!
@ open
@ call 0x63 00000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 00000000540000000100000098080000020800005c2b00004f524e2d42503353315000000000000042502d303831350000000000000000004c494f4e0000000000000000000000004f726e73797320506f77657200000000
@ call 0x64 000000001400000000000000000000000000000000000000 -> 0x8000 000000001400000000000000000000000000000000000000
@ close
= 255

+ [fault]
+ function = 0x62
+ status = 0x8000
$ -BATT -c
| ORNSYS ERROR: BIOS: function not supported !
|
! utMobileBatCount: OrnGetBatteryCount() failed!
@ open
@ call 0x62 00000000 -> 0x8000 00000000
@ close
= 255

$ -BATT -c 1
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
|   valid options for category BATT:
|    -BATT -c           get number of batteries
|
|    -BATT -i <index>   get battery info
|
|    -BATT -g <index>   get battery status
|
|
= 247

$ -BATT -g
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
|   valid options for category BATT:
|    -BATT -c           get number of batteries
|
|    -BATT -i <index>   get battery info
|
|    -BATT -g <index>   get battery status
|
|
= 247

$ -BATT -x
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
|   valid options for category BATT:
|    -BATT -c           get number of batteries
|
|    -BATT -i <index>   get battery info
|
|    -BATT -g <index>   get battery status
|
|
= 247

$ -OEM -r
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
= 247

$ -OEM -p 1 2
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
= 247
