# Board files the virtual board refuses: one line naming the file, the line
# of the first fault and what is wrong; the tool then finds no firmware.
# Each board is the empty board with the lines shown. At the end, a board
# it takes, with values written every way.

board: empty.board
+ [nosuch]
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:1: unknown section [nosuch]
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [board]
+ platform = x
+ [board]
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:3: section [board] given twice
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ 
+ [cpu
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: unterminated section name
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [cpu]
+ class
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: expected key = value
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ class = 1
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:1: key outside a section
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [cpu]
+ colour = red
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: unknown key 'colour'
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [cpu]
+ class = 0x100
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: value 0x100 out of range
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [cpu]
+ speed = 12x
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: bad number '12x'
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [cpu]
+ speed = 08
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: bad number '08'
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [cpu]
+ speed = -1
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: value -1 out of range
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [board]
+ bootcounter = 0x100000000
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: bad number '0x100000000'
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [temp-sensor]
+ value = -2147483649
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: value -2147483649 out of range
! utOrnOpen: OrnOpen() failed!
= 255

# The least value a signed reading holds is in range.
board: empty.board
+ [temp-sensor]
+ value = -2147483648
$ -TEMP -a
| T-Sensor 0x00: -2147483648 °C
@ open
@ call 0x51 00000000 -> 0x0000 01000000
@ call 0x53 0000000000000000 -> 0x0000 0000000000000080
@ close
= 0

board: empty.board
+ [board]
+ platform = 0123456789abcdef
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: text longer than 15 characters
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [i2c-bus]
+ id = 1
+ name = "123456789"
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:3: text longer than 8 characters
! utOrnOpen: OrnOpen() failed!
= 255

# A key given again: its last value holds, whole. Hexadecimal escapes of
# either case, a 0 digit in either place too.
board: empty.board
+ [board]
+ platform = 0123456789abcde
+ platform = ab
+ sysbios = "\x09\x7e\x4F\x30"
$ -INFO -b
| HW platform:       ab
| Sys. BIOS ver.:    	~O0
| BB BIOS ver.:      
| HW revision:       
| Serial no.:        
| Boot counter:    0x0000
| Operating time:       0
| Manuf. Date:       00.00.0000   00:00
| Maint. Date:       00.00.0000   00:00
@ open
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 61620000000000000000000000000000097e4f300000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 0

board: empty.board
+ [board]
+ serial = "abc
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: unterminated quoted text
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [board]
+ serial = "a\q"
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: bad escape in quoted text
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [board]
+ serial = "a" b
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: text after closing quote
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [board]
+ manufactured = 1.2.2020 10:00
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: date must be DD.MM.YYYY HH:MM
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [board]
+ manufactured = x1.02.2020 10:00
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: date must be DD.MM.YYYY HH:MM
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [board]
+ config-size = 0x100001
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: config-size above 1 MiB
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [board]
+ config-size = 2
+ config = 01 02
+ config = 03
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:4: config longer than config-size
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [nvram]
+ type = 0
+ size = 2
+ data = 1 2
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:4: bad byte '1' (two hexadecimal digits)
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [nvram]
+ type = 0
+ size = 2
+ data = 12 345
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:4: bad byte '345' (two hexadecimal digits)
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [nvram]
+ type = 0
+ size = 2
+ data = 01 02 03
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:4: data longer than the nvram
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [nvram]
+ type = 0
+ 
+ [cpu]
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:1: [nvram] needs type and size
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [nvram]
+ type = 0
+ size = 0x1000001
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:3: nvram size above 16 MiB
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [nvram]
+ type = 3
+ size = 100
+ block-size = 30
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:1: size is not a multiple of block-size
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [nvram]
+ type = 1
+ size = 100
+ locked = yes
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:1: flash keys given for an nvram that is not type 3
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [nvram]
+ type = 3
+ size = 8
+ locked = maybe
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:4: expected yes or no
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [nvram]
+ type = 0
+ size = 8
+ file = none.bin
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:4: cannot read file 'none.bin': No such file or directory
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [nvram]
+ type = 0
+ size = 8
+ file = /tmp
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:4: cannot read file '/tmp': is a directory
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [nvram]
+ type = 0
+ size = 8
+ file = /dev/null
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:4: cannot read file '/dev/null': not a regular file
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [temp-sensor]
+ ramp = 40 .. 90
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: ramp must be A .. B over DURATION
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [temp-sensor]
+ ramp = 40 .. 90 over 60
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: bad duration in '40 .. 90 over 60' (e.g. 60s, 1500ms, 2m, 1h; at most 876600h)
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [temp-sensor]
+ ramp = 40 .. 90 over 876601h
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: bad duration in '40 .. 90 over 876601h' (e.g. 60s, 1500ms, 2m, 1h; at most 876600h)
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [temp-sensor]
+ values = 45, x
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: bad number 'x'
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [battery]
+ remaining = 1, 0x100000000
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: bad number '0x100000000'
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [watchdog]
+ unit = us
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: expected s or ms
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [watchdog]
+ timer = on
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: expected yes or no
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [board]
+ counters = yes
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: expected run or still
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [board]
+ optime-unit = days
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: expected hours, minutes or seconds
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [i2c-bus]
+ name = x
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:1: [i2c-bus] needs an id
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [i2c-bus]
+ id = 1
+ [i2c-bus]
+ id = 1
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:3: i2c bus id 1 declared twice
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [i2c-device]
+ bus = 0
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: bus 0 is not declared above
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [i2c-bus]
+ id = 0
+ [i2c-device]
+ bus = 0
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:3: [i2c-device] needs bus and address
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [i2c-bus]
+ id = 0
+ [i2c-device]
+ bus = 0
+ address = 1
+ size = 0
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:6: device size must be 1 to 65536
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [display]
+ backlight = dim
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: expected on or off
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [system]
+ iopl = maybe
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: expected allow or deny
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [firmware]
+ zoka = gone
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: expected present or absent
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [ports]
+ 0x10000 = 1
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:2: value 0x10000 out of range
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [fault]
+ status = 1
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:1: [fault] needs a function
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [fault]
+ function = 1
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:1: [fault] needs either status or count
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [fault]
+ function = 1
+ status = 0
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:3: status must not be 0
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [fault]
+ function = 1
+ call = 0
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:3: call counts from 1
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [fault]
+ function = 0x13
+ count = 2
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:1: count applies to functions 0x27 and 0x28 only
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [fault]
+ function = 0x01
+ index = 2
+ status = 1
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:1: function takes no index
! utOrnOpen: OrnOpen() failed!
= 255

# Boards too big: more sections than the board may have, more memory.
board: empty.board
repeat: 1025
+ [fault]
+ function = 1
+ status = 1
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:3073: more than 1024 [fault] sections
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
+ [i2c-bus]
+ id = 0
repeat: 1025
+ [i2c-device]
+ bus = 0
+ address = 1
+ size = 1
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:4099: more than 1024 [i2c-device] sections
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
repeat: 17
+ [nvram]
+ type=0
+ size=1
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:49: more than 16 [nvram] sections
! utOrnOpen: OrnOpen() failed!
= 255

board: empty.board
repeat: 4
+ [nvram]
+ type = 0
+ size = 0x1000000
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:12: the board's memories come to 67109120 bytes, more than 67108864 (64 MiB)
! utOrnOpen: OrnOpen() failed!
= 255

# A board of values written every way a board file may write them (and
# left to their defaults), as the tool shows them. Its CMOS's contents come
# from a file, the list over the file and the fill after it.
board: values.board
file: cmos.bin 41 42 43 44
$ -INFO -b
| HW platform:         two  words 
| Sys. BIOS ver.:    
| BB BIOS ver.:      
| HW revision:       
| Serial no.:        q"\A
| Boot counter:    0x0010
| Operating time:       8
| Manuf. Date:       00.00.0000   00:00
| Maint. Date:       00.00.0000   00:00
@ open
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 202074776f2020776f7264732000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000071225c410000000000000000000000001000000008000000000000000000000000000000
@ close
= 0
board: values.board
file: cmos.bin 41 42 43 44
$ -INFO -c
| CPU Class:     0x0f => x86
| CPU Count:        1
| CPU Speed:        0 MHz
| CPU Model:     0000
| CPU Stepping:  0000
| CPU String:    
@ open
@ call 0x03 4c000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 4c0000000f0100000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 0
board: values.board
file: cmos.bin 41 42 43 44
$ -INFO -gc
|  0x000x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x010x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x020x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x030x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x040x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x050x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x060x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x070x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x080x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x090x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x0A0x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x0B0x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x0C0x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x0D0x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x0E0x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|  0x0F0x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
@ open
@ call 0x04 00000000 -> 0x0000 00010000
@ call 0x05 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ close
= 0
board: values.board
file: cmos.bin 41 42 43 44
$ -NVR -t
| +---------+--------+--------+--------+--------+--------+--------+
| |NVRam-   |NVRam-  |NVRam-  |NVRam-  |NVRam-  |NVRAM-  |NVRam-  |
| |   Index |   type |   size |  flags |  ManID |  DevID |BlockCnt|
| +---------+--------+--------+--------+--------+--------+--------+
| |  0x0000 | 0x0003 | 0x0040 | 0x0003 | 0x0000 | 0x0000 | 0x0008 |
| |  0x0001 | 0x0000 | 0x0008 | 0x0003 |  ----  |  ----  |  ----  |
| +---------+--------+--------+--------+--------+--------+--------+
|   ----: Info only available for NVRam-type 0x0003
@ open
@ call 0x11 00000000 -> 0x0000 02000000
@ call 0x11 00000000 -> 0x0000 02000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000030000004000000003000000
@ call 0x11 00000000 -> 0x0000 02000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000030000004000000003000000
@ call 0x15 000000000c0000000000000000000000 -> 0x0000 000000000c0000000000000008000000
@ call 0x11 00000000 -> 0x0000 02000000
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000000000000800000003000000
@ close
= 0
board: values.board
file: cmos.bin 41 42 43 44
$ -NVR -r 1
|  0x000x: 31 42 43 44  55 55 55 55   1BCDUUUU
@ open
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000000000000800000003000000
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000000000000800000003000000
@ call 0x11 00000000 -> 0x0000 02000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000030000004000000003000000
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000000000000800000003000000
@ call 0x13 010000000000000000 -> 0x0000 010000000000000031
@ call 0x13 010000000100000031 -> 0x0000 010000000100000042
@ call 0x13 010000000200000042 -> 0x0000 010000000200000043
@ call 0x13 010000000300000043 -> 0x0000 010000000300000044
@ call 0x13 010000000400000044 -> 0x0000 010000000400000055
@ call 0x13 010000000500000055 -> 0x0000 010000000500000055
@ call 0x13 010000000600000055 -> 0x0000 010000000600000055
@ call 0x13 010000000700000055 -> 0x0000 010000000700000055
@ close
= 0
board: values.board
$ -NVR -r 0 0 4
|  0x000x: ff ff ff ff   ....
@ open
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000030000004000000003000000
@ call 0x11 00000000 -> 0x0000 02000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000030000004000000003000000
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000000000000800000003000000
@ call 0x13 000000000000000000 -> 0x0000 0000000000000000ff
@ call 0x13 0000000001000000ff -> 0x0000 0000000001000000ff
@ call 0x13 0000000002000000ff -> 0x0000 0000000002000000ff
@ call 0x13 0000000003000000ff -> 0x0000 0000000003000000ff
@ close
= 4
board: values.board
file: cmos.bin 41 42 43 44
$ -I2C -q 0
| Businfo for Bus# 0x0000:
|   bus ID:             0x0b
|   bus flags:        0x0000
|   max.block size:   0x0020
|   bus ID:           12345678
@ open
@ call 0x26 00000000180000000000000000000000000000000000000000000000 -> 0x0000 00000000180000000b00000000000000200000003132333435363738
@ close
= 0
board: values.board
file: cmos.bin 41 42 43 44
$ -VOLT -q 0
| nominal value: unknown
| sensor string:  
@ open
@ call 0x55 0000000010000000000000000000000000000000 -> 0x0000 0000000010000000000000800000000000000000
@ close
= 0
board: values.board
file: cmos.bin 41 42 43 44
$ -VOLT -g 0
| -16
@ open
@ call 0x56 0000000000000000 -> 0x0000 00000000f0ffffff
@ close
= 0
board: values.board
file: cmos.bin 41 42 43 44
$ -BATT -g 0
| bat status:             0x0000
| current rate:            unknown
| remaining capacity:          0 mWh
| voltage:                     0 mV
@ open
@ call 0x63 00000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 00000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ call 0x64 000000001400000000000000000000000000000000000000 -> 0x0000 000000001400000000000000ffffffff0000000000000000
@ close
= 0
# The devices' sizes: 256 bytes by default (a byte written at 0 is read at
# 0x100), 65536 at most (a byte written at 0xFFFF is there, not at 0x7FFF).
state: on
board: values.board
file: cmos.bin 41 42 43 44
$ -I2C -wb 11 0xA0 0 2 0x42
| byte successfully written
@ open
@ call 0x22 0ba000004202 -> 0x0000 0ba000004202
@ close
= 0
board: values.board
$ -I2C -rb 11 0xA0 0x100 2
| 0x42
@ open
@ call 0x21 0ba00001cc02 -> 0x0000 0ba000014202
@ close
= 0
board: values.board
$ -I2C -wb 11 0xA2 0xFFFF 2 0x43
| byte successfully written
@ open
@ call 0x22 0ba2ffff4302 -> 0x0000 0ba2ffff4302
@ close
= 0
board: values.board
$ -I2C -rb 11 0xA2 0xFFFF 2
| 0x43
@ open
@ call 0x21 0ba2ffffcc02 -> 0x0000 0ba2ffff4302
@ close
= 0
board: values.board
$ -I2C -rb 11 0xA2 0x7FFF 2
| 0x00
@ open
@ call 0x21 0ba2ff7fcc02 -> 0x0000 0ba2ff7f0002
@ close
= 0
state: off

# A contents file longer than its memory.
board: empty.board
file: cmos.bin 41 42 43 44
+ [nvram]
+ type = 0
+ size = 3
+ file = cmos.bin
$ -INFO -b
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/case.board:4: file 'cmos.bin' is longer than its memory
! utOrnOpen: OrnOpen() failed!
= 255
