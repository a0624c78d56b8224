# INFO category: board and CPU identity, the board configuration block.

$ -INFO -b
| HW platform:       ORN-EPC-3510
| Sys. BIOS ver.:    V2.14 R0311
| BB BIOS ver.:      BB 3.07
| HW revision:       Rev. C1
| Serial no.:        EPC3510-004217
| Boot counter:    0x012c
| Operating time:    15872
| Manuf. Date:       07.03.2022   14:05
| Maint. Date:       21.11.2025   09:30
@ open
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 4f524e2d4550432d333531300000000056322e31342052303331310000000000424220332e30370000000000000000005265762e204331000000000000000000455043333531302d30303432313700002c010000003e0000070322201405211125200930
@ close
= 0

# options ignore case
$ -INFO -B
| HW platform:       ORN-EPC-3510
| Sys. BIOS ver.:    V2.14 R0311
| BB BIOS ver.:      BB 3.07
| HW revision:       Rev. C1
| Serial no.:        EPC3510-004217
| Boot counter:    0x012c
| Operating time:    15872
| Manuf. Date:       07.03.2022   14:05
| Maint. Date:       21.11.2025   09:30
@ open
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 4f524e2d4550432d333531300000000056322e31342052303331310000000000424220332e30370000000000000000005265762e204331000000000000000000455043333531302d30303432313700002c010000003e0000070322201405211125200930
@ close
= 0

$ -INFO -c
| CPU Class:     0x0f => x86
| CPU Count:        2
| CPU Speed:     1600 MHz
| CPU Model:     0x4c
| CPU Stepping:  0x04
| CPU String:    Embedded x86 dual core @ 1.60GHz
@ open
@ call 0x03 4c000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 4c0000000f0240064c04456d62656464656420783836206475616c20636f7265204020312e363047487a00000000000000000000000000000000000000000000000000000000000000000000
@ close
= 0

board: bare.board
+ [cpu]
+ class = 0x20
+ speed = 400
+ string = "SH-4A"
$ -INFO -c
| CPU Class:     0x20 => SHx
| CPU Count:        1
| CPU Speed:      400 MHz
| CPU Model:     0000
| CPU Stepping:  0000
| CPU String:    SH-4A
@ open
@ call 0x03 4c000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 4c00000020019001000053482d344100000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 0

board: bare.board
+ [cpu]
+ class = 0x00
$ -INFO -c
| CPU Class:     0000 => unknown
| CPU Count:        1
| CPU Speed:        0 MHz
| CPU Model:     0000
| CPU Stepping:  0000
| CPU String:    
@ open
@ call 0x03 4c000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 4c000000000100000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 0

$ -INFO -m
| Setting of maintenance date not implemented yet!
@ open
@ close
= 240

$ -INFO -gc
|  0x000x: 4f 52 4e 43  46 47 01 00  40 00 03 00  07 01 00 00  ORNCFG..@.......
|  0x010x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x020x: 45 54 48 30  2d 4d 41 43  00 0c 6e 12  34 56 00 00  ETH0-MAC..n.4V..
|  0x030x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x040x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x050x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x060x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x070x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
@ open
@ call 0x04 00000000 -> 0x0000 80000000
@ call 0x05 0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 4f524e4346470100400003000701000000000000000000000000000000000000455448302d4d4143000c6e12345600000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 0

show: cfg.bin
$ -INFO -gc -f cfg.bin
| writing 128 bytes to cfg.bin
@ open
@ call 0x04 00000000 -> 0x0000 80000000
@ call 0x05 0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 4f524e4346470100400003000701000000000000000000000000000000000000455448302d4d4143000c6e12345600000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
% cfg.bin: 4f 52 4e 43 46 47 01 00 40 00 03 00 07 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 45 54 48 30 2d 4d 41 43 00 0c 6e 12 34 56 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
= 0

# usage errors: the trace stays empty, the library is never opened
$ -INFO -gc -F out.bin
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
|   valid options for category INFO:
|    -INFO -b           read board information
|    -INFO -c           read cpu information
|    -INFO -m           write new maintenance date
|    -INFO -gc [-f <filename>]      dump board config to screen or file
|    -INFO -sc -f <filename>        write new board config from file
|
|
= 247

$ -INFO -b x
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
|   valid options for category INFO:
|    -INFO -b           read board information
|    -INFO -c           read cpu information
|    -INFO -m           write new maintenance date
|    -INFO -gc [-f <filename>]      dump board config to screen or file
|    -INFO -sc -f <filename>        write new board config from file
|
|
= 247

$ -INFO -c -f out.bin
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
|   valid options for category INFO:
|    -INFO -b           read board information
|    -INFO -c           read cpu information
|    -INFO -m           write new maintenance date
|    -INFO -gc [-f <filename>]      dump board config to screen or file
|    -INFO -sc -f <filename>        write new board config from file
|
|
= 247

$ -INFO -gc -f
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
|   valid options for category INFO:
|    -INFO -b           read board information
|    -INFO -c           read cpu information
|    -INFO -m           write new maintenance date
|    -INFO -gc [-f <filename>]      dump board config to screen or file
|    -INFO -sc -f <filename>        write new board config from file
|
|
= 247

$ -INFO -gc -f a b
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
|   valid options for category INFO:
|    -INFO -b           read board information
|    -INFO -c           read cpu information
|    -INFO -m           write new maintenance date
|    -INFO -gc [-f <filename>]      dump board config to screen or file
|    -INFO -sc -f <filename>        write new board config from file
|
|
= 247

$ -INFO -sc
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
|   valid options for category INFO:
|    -INFO -b           read board information
|    -INFO -c           read cpu information
|    -INFO -m           write new maintenance date
|    -INFO -gc [-f <filename>]      dump board config to screen or file
|    -INFO -sc -f <filename>        write new board config from file
|
|
= 247

$ -INFO -x
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
|   valid options for category INFO:
|    -INFO -b           read board information
|    -INFO -c           read cpu information
|    -INFO -m           write new maintenance date
|    -INFO -gc [-f <filename>]      dump board config to screen or file
|    -INFO -sc -f <filename>        write new board config from file
|
|
= 247

# failures reached through the firmware
+ [fault]
+ function = 0x01
+ status = 0x8000
$ -INFO -b
| ORNSYS ERROR: BIOS: function not supported !
|
! utBoardInfo: OrnGetBoardInfo() failed!
@ open
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x8000 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 255

+ [fault]
+ function = 0x03
+ status = 0x8051
$ -INFO -c
| ORNSYS ERROR: BIOS: parameter out of range !
|
! utCPUInfo: OrnGetCPUInfo() failed!
@ open
@ call 0x03 4c000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x8051 4c000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 255

+ [fault]
+ function = 0x04
+ status = 0x8000
$ -INFO -gc
| ORNSYS ERROR: BIOS: function not supported !
|
! utGetBoardCfg: OrnGetBoardCfg() failed!
@ open
@ call 0x04 00000000 -> 0x8000 00000000
@ close
= 255

+ [fault]
+ function = 0x05
+ status = 0x8041
$ -INFO -gc -f never.bin
| ORNSYS ERROR: BIOS: hardware not present !
|
! utGetBoardCfg: OrnGetBoardCfg() failed!
@ open
@ call 0x04 00000000 -> 0x0000 80000000
@ call 0x05 0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x8041 0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 255

board: absent.board
$ -INFO -c
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! utOrnOpen: OrnOpen() failed!
@ open
@ close
= 255

$ -INFO -gc -f no/such/dir/cfg.bin
! dumptofile: could not open file no/such/dir/cfg.bin for write access
@ open
@ call 0x04 00000000 -> 0x0000 80000000
@ call 0x05 0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 4f524e4346470100400003000701000000000000000000000000000000000000455448302d4d4143000c6e12345600000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 246

# a configuration written from a file and read back
state: on
file: new.bin 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 01 02
$ -INFO -sc -f new.bin
| read 128 bytes from new.bin
@ open
@ call 0x04 00000000 -> 0x0000 80000000
@ call 0x06 00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff -> 0x0000 00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff
@ close
= 0

$ -INFO -gc
|  0x000x: 00 11 22 33  44 55 66 77  88 99 aa bb  cc dd ee ff  .."3DUfw........
|  0x010x: 00 11 22 33  44 55 66 77  88 99 aa bb  cc dd ee ff  .."3DUfw........
|  0x020x: 00 11 22 33  44 55 66 77  88 99 aa bb  cc dd ee ff  .."3DUfw........
|  0x030x: 00 11 22 33  44 55 66 77  88 99 aa bb  cc dd ee ff  .."3DUfw........
|  0x040x: 00 11 22 33  44 55 66 77  88 99 aa bb  cc dd ee ff  .."3DUfw........
|  0x050x: 00 11 22 33  44 55 66 77  88 99 aa bb  cc dd ee ff  .."3DUfw........
|  0x060x: 00 11 22 33  44 55 66 77  88 99 aa bb  cc dd ee ff  .."3DUfw........
|  0x070x: 00 11 22 33  44 55 66 77  88 99 aa bb  cc dd ee ff  .."3DUfw........
@ open
@ call 0x04 00000000 -> 0x0000 80000000
@ call 0x05 0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff
@ close
= 0

show: back.bin
$ -INFO -gc -f back.bin
| writing 128 bytes to back.bin
@ open
@ call 0x04 00000000 -> 0x0000 80000000
@ call 0x05 0000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff
@ close
% back.bin: 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff 00 11 22 33 44 55 66 77 88 99 aa bb cc dd ee ff
= 0

$ -INFO -sc -f back.bin
| read 128 bytes from back.bin
@ open
@ call 0x04 00000000 -> 0x0000 80000000
@ call 0x06 00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff -> 0x0000 00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff
@ close
= 0

# a short file is refused and nothing reaches the firmware
file: short.bin 01 02 03
$ -INFO -sc -f short.bin
| read 3 bytes from short.bin
! utSetBaordCfgFile: file short.bin holds 3 bytes, the board config needs 128; nothing written!
@ open
@ call 0x04 00000000 -> 0x0000 80000000
@ close
= 246

$ -INFO -sc -f missing.bin
! utSetBaordCfgFile: could not open file missing.bin for read access
@ open
@ call 0x04 00000000 -> 0x0000 80000000
@ close
= 246

+ [fault]
+ function = 0x06
+ status = 0x8000
$ -INFO -sc -f back.bin
| read 128 bytes from back.bin
| ORNSYS ERROR: BIOS: function not supported !
|
! utSetBaordCfgFile: OrnSetBoardCfg() failed!
@ open
@ call 0x04 00000000 -> 0x0000 80000000
@ call 0x06 00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff -> 0x8000 00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff00112233445566778899aabbccddeeff
@ close
= 255

+ [fault]
+ function = 0x04
+ status = 0x8000
$ -INFO -sc -f back.bin
| ORNSYS ERROR: BIOS: function not supported !
|
! utSetBaordCfgFile: OrnGetBoardCfgSize() failed!
@ open
@ call 0x04 00000000 -> 0x8000 00000000
@ close
= 255
state: off
