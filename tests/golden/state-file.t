# The virtual board's state file keeps a board's memories between processes,
# and is refused (and kept) for another board; also for one whose memories
# start with the same bytes but are laid out differently (a 9-byte NVRAM,
# then an 8-byte flash with its lock byte, then a 9-byte NVRAM of another type),
# or whose one I2C device differs only in being read-only, or whose flash
# differs only in its blocks' flags.
state: on
$ -NVR -w 1 0x10 3 1 2 3
| Writing bytes to NVRam #0x0001...
|  0x010x: 01 02 03  ...
@ open
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000010000000002000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000000000007200000003000000
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000010000000002000003000000
@ call 0x12 02000000000000000000000000000000 -> 0x0000 02000000020000000001000003000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x14 010000001000000001 -> 0x0000 010000001000000001
@ call 0x14 010000001100000002 -> 0x0000 010000001100000002
@ call 0x14 010000001200000003 -> 0x0000 010000001200000003
@ close
= 0
$ -VGA -sb 0x22
| backlight brightness set to: 0x22
@ open
@ call 0x43 0022 -> 0x0000 0022
@ close
= 0
$ -NVR -r 1 0x10 3
|  0x010x: 01 02 03  ...
@ open
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000010000000002000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000000000007200000003000000
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000010000000002000003000000
@ call 0x12 02000000000000000000000000000000 -> 0x0000 02000000020000000001000003000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x13 010000001000000000 -> 0x0000 010000001000000001
@ call 0x13 010000001100000001 -> 0x0000 010000001100000002
@ call 0x13 010000001200000002 -> 0x0000 010000001200000003
@ close
= 3
$ -VGA -gb
| 0x22
@ open
@ call 0x42 0000 -> 0x0000 0022
@ close
= 0
board: bare.board
+ [nvram]
+ type = 0
+ size = 16
$ -NVR -r 0 0 3
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/state1: state file was made for another board; remove it to start afresh
! utOrnOpen: OrnOpen() failed!
= 255
$ -NVR -r 1 0x10 3
|  0x010x: 01 02 03  ...
@ open
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000010000000002000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000000000007200000003000000
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000010000000002000003000000
@ call 0x12 02000000000000000000000000000000 -> 0x0000 02000000020000000001000003000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x13 010000001000000000 -> 0x0000 010000001000000001
@ call 0x13 010000001100000001 -> 0x0000 010000001100000002
@ call 0x13 010000001200000002 -> 0x0000 010000001200000003
@ close
= 3
state: off
state: on
board: bare.board
+ [nvram]
+ type = 0
+ size = 9
$ -NVR -r 0 0 3
|  0x000x: 00 00 00  ...
@ open
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000000000000900000003000000
@ call 0x11 00000000 -> 0x0000 01000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000000000000900000003000000
@ call 0x13 000000000000000000 -> 0x0000 000000000000000000
@ call 0x13 000000000100000000 -> 0x0000 000000000100000000
@ call 0x13 000000000200000000 -> 0x0000 000000000200000000
@ close
= 3
board: bare.board
+ [nvram]
+ type = 3
+ size = 8
+ block-size = 8
+ fill = 0
$ -NVR -r 0 0 3
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/state2: state file was made for another board; remove it to start afresh
! utOrnOpen: OrnOpen() failed!
= 255
board: bare.board
+ [nvram]
+ type = 1
+ size = 9
$ -NVR -r 0 0 3
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/state2: state file was made for another board; remove it to start afresh
! utOrnOpen: OrnOpen() failed!
= 255
state: off
state: on
board: bare.board
+ [i2c-bus]
+ id = 0
+ [i2c-device]
+ bus = 0
+ address = 0x50
+ size = 16
$ -I2C -rb 0 0x50 0 1
| 0x00
@ open
@ call 0x21 00500000cc01 -> 0x0000 005000000001
@ close
= 0
board: bare.board
+ [i2c-bus]
+ id = 0
+ [i2c-device]
+ bus = 0
+ address = 0x50
+ size = 16
+ readonly = yes
$ -I2C -rb 0 0x50 0 1
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/state3: state file was made for another board; remove it to start afresh
! utOrnOpen: OrnOpen() failed!
= 255
state: off
state: on
board: bare.board
+ [nvram]
+ type = 3
+ size = 8
+ block-size = 8
$ -NVR -r 0 0 1
|  0x000x: ff  .
@ open
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000030000000800000003000000
@ call 0x11 00000000 -> 0x0000 01000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000030000000800000003000000
@ call 0x13 000000000000000000 -> 0x0000 0000000000000000ff
@ close
= 1
board: bare.board
+ [nvram]
+ type = 3
+ size = 8
+ block-size = 8
+ block-flags = 1
$ -NVR -r 0 0 1
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! ornsim: <work>/state4: state file was made for another board; remove it to start afresh
! utOrnOpen: OrnOpen() failed!
= 255
state: off
