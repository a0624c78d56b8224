# Board files the virtual board refuses: one line naming the file, the line
# of the first fault and what is wrong; the tool then finds no firmware.
# Each board is the empty board with the lines shown.

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
