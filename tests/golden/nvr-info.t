# NVR information commands: count, descriptions, devices, blocks, table.

$ -NVR -c
| 0x0004
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ close
= 0

# an upper-case option selects the same command
$ -NVR -C
| 0x0004
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ close
= 0

board: bare.board
$ -NVR -c
| 0x0000
@ open
@ call 0x11 00000000 -> 0x0000 00000000
@ close
= 0

+ [fault]
+ function = 0x11
+ status = 0x8000
$ -NVR -c
| ORNSYS ERROR: BIOS: function not supported !
|
! OrnGetNVRamCount() failed!
@ open
@ call 0x11 00000000 -> 0x8000 00000000
@ close
= 255

$ -NVR -i
| NVRamInfo for NVRam 0x0000:
|  NVRamType:       0x0000 (NVRamUserCMOS)
|  NVRamSize:       0x0072 bytes
|  NVRamFlags:      0x0003 (rw)
|
|
| NVRamInfo for NVRam 0x0001:
|  NVRamType:       0x0001 (NVRamUserEEPROM)
|  NVRamSize:       0x0200 bytes
|  NVRamFlags:      0x0003 (rw)
|
|
| NVRamInfo for NVRam 0x0002:
|  NVRamType:       0x0002 (NVRamVGAParameter)
|  NVRamSize:       0x0100 bytes
|  NVRamFlags:      0x0003 (rw)
|
|
| NVRamInfo for NVRam 0x0003:
|  NVRamType:       0x0003 (NVRamFlash)
|  NVRamSize:       0x8000 bytes
|  NVRamFlags:      0x0003 (rw)
|
|
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000000000007200000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000010000000002000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 02000000000000000000000000000000 -> 0x0000 02000000020000000001000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ close
= 0

$ -NVR -i 1
| NVRamInfo for NVRam 0x0001:
|  NVRamType:       0x0001 (NVRamUserEEPROM)
|  NVRamSize:       0x0200 bytes
|  NVRamFlags:      0x0003 (rw)
|
|
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000010000000002000003000000
@ close
= 0

board: nvr-odd.board
$ -NVR -I
| NVRamInfo for NVRam 0x0000:
|  NVRamType:       0x0000 (NVRamUserCMOS)
|  NVRamSize:       0x0022 bytes
|  NVRamFlags:      0x0003 (rw)
|
|
| NVRamInfo for NVRam 0x0001:
|  NVRamType:       0x0004 (Unknown)
|  NVRamSize:       0x0010 bytes
|  NVRamFlags:      0x0006 (w)
|
|
| NVRamInfo for NVRam 0x0002:
|  NVRamType:       0x0002 (NVRamVGAParameter)
|  NVRamSize:       0x0100 bytes
|  NVRamFlags:      0x0002 (w)
|
|
| NVRamInfo for NVRam 0x0003:
|  NVRamType:       0x0003 (NVRamFlash)
|  NVRamSize:       0x20000 bytes
|  NVRamFlags:      0x0001 (r)
|
|
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000000000002200000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000070000001000000006000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 02000000000000000000000000000000 -> 0x0000 02000000020000000001000002000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000000020001000000
@ close
= 0

# index 5 of four: refused before any call for index 5
board: nvr-odd.board
$ -NVR -i 5
! invalid index requested!
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ close
= 254

board: bare.board
$ -NVR -i
@ open
@ call 0x11 00000000 -> 0x0000 00000000
@ close
= 0

# a failure at the second NVRAM ends the listing there
+ [fault]
+ function = 0x12
+ index = 1
+ status = 0x8033
$ -NVR -i
| NVRamInfo for NVRam 0x0000:
|  NVRamType:       0x0000 (NVRamUserCMOS)
|  NVRamSize:       0x0072 bytes
|  NVRamFlags:      0x0003 (rw)
|
|
| ORNSYS ERROR: BIOS: NVRam index out of range !
|
! OrnGetNVRamInfo() failed for index 0x01!
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000000000007200000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 01000000000000000000000000000000 -> 0x8033 01000000000000000000000000000000
@ close
= 255

# the count fails: no index can be shown valid
+ [fault]
+ function = 0x11
+ call = 2
+ status = 0x8000
$ -NVR -i
| ORNSYS ERROR: BIOS: function not supported !
|
! OrnGetNVRamCount() failed!
! invalid index requested!
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x11 00000000 -> 0x8000 00000000
@ close
= 255

$ -NVR -d
|  NVRam 0x0000 is not block oriented!
|  NVRam 0x0001 is not block oriented!
|  NVRam 0x0002 is not block oriented!
| NVRamInfo for NVRam 0x0003:
|  manufacturer ID: 0x0089
|  device ID:       0x0018
|  block count:     0x0008 blocks
|
|
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000000000007200000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000010000000002000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 02000000000000000000000000000000 -> 0x0000 02000000020000000001000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x15 030000000c0000000000000000000000 -> 0x0000 030000000c0000008900180008000000
@ close
= 0

$ -NVR -d 3
| NVRamInfo for NVRam 0x0003:
|  manufacturer ID: 0x0089
|  device ID:       0x0018
|  block count:     0x0008 blocks
|
|
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x15 030000000c0000000000000000000000 -> 0x0000 030000000c0000008900180008000000
@ close
= 0

$ -NVR -d 0
|  NVRam 0x0000 is not block oriented!
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000000000007200000003000000
@ close
= 0

+ [fault]
+ function = 0x15
+ status = 0x8011
$ -NVR -d 3
| ORNSYS ERROR: BIOS: invalid device !
|
! OrnGetNVDeviceInfo() failed for index 0x03!
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x15 030000000c0000000000000000000000 -> 0x8011 030000000c0000000000000000000000
@ close
= 255

$ -NVR -q 3 7
| NVRam block info index 0x0003, block 0x0007:
|  Block size:           0x1000 bytes
|  Block flags:          0x0000
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x15 030000000c0000000000000000000000 -> 0x0000 030000000c0000008900180008000000
@ call 0x16 03000000070000000c0000000000000000000000 -> 0x0000 03000000070000000c0000000010000000000000
@ close
= 0

$ -NVR -q 3 8
! invalid block requested!
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x15 030000000c0000000000000000000000 -> 0x0000 030000000c0000008900180008000000
@ close
= 253

$ -NVR -q 0 1
! NVRam index 0000 is not block oriented!
! invalid block requested!
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000000000007200000003000000
@ close
= 255

+ [fault]
+ function = 0x16
+ status = 0x8051
$ -NVR -q 3 0
| ORNSYS ERROR: BIOS: parameter out of range !
|
! OrnQueryNVBlock() failed for index 0x03, block 0x00!
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x15 030000000c0000000000000000000000 -> 0x0000 030000000c0000008900180008000000
@ call 0x16 03000000000000000c0000000000000000000000 -> 0x8051 03000000000000000c0000000000000000000000
@ close
= 255

$ -NVR -t
| +---------+--------+--------+--------+--------+--------+--------+
| |NVRam-   |NVRam-  |NVRam-  |NVRam-  |NVRam-  |NVRAM-  |NVRam-  |
| |   Index |   type |   size |  flags |  ManID |  DevID |BlockCnt|
| +---------+--------+--------+--------+--------+--------+--------+
| |  0x0000 | 0x0000 | 0x0072 | 0x0003 |  ----  |  ----  |  ----  |
| |  0x0001 | 0x0001 | 0x0200 | 0x0003 |  ----  |  ----  |  ----  |
| |  0x0002 | 0x0002 | 0x0100 | 0x0003 |  ----  |  ----  |  ----  |
| |  0x0003 | 0x0003 | 0x8000 | 0x0003 | 0x0089 | 0x0018 | 0x0008 |
| +---------+--------+--------+--------+--------+--------+--------+
|   ----: Info only available for NVRam-type 0x0003
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000000000007200000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000010000000002000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 02000000000000000000000000000000 -> 0x0000 02000000020000000001000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x15 030000000c0000000000000000000000 -> 0x0000 030000000c0000008900180008000000
@ close
= 0

board: nvr-odd.board
$ -NVR -t
| +---------+--------+--------+--------+--------+--------+--------+
| |NVRam-   |NVRam-  |NVRam-  |NVRam-  |NVRam-  |NVRAM-  |NVRam-  |
| |   Index |   type |   size |  flags |  ManID |  DevID |BlockCnt|
| +---------+--------+--------+--------+--------+--------+--------+
| |  0x0000 | 0x0000 | 0x0022 | 0x0003 |  ----  |  ----  |  ----  |
| |  0x0001 | 0x0007 | 0x0010 | 0x0006 |  ----  |  ----  |  ----  |
| |  0x0002 | 0x0002 | 0x0100 | 0x0002 |  ----  |  ----  |  ----  |
| |  0x0003 | 0x0003 | 0x20000 | 0x0001 | 0x0001 | 0x227e | 0x0008 |
| +---------+--------+--------+--------+--------+--------+--------+
|   ----: Info only available for NVRam-type 0x0003
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000000000002200000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 01000000000000000000000000000000 -> 0x0000 01000000070000001000000006000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 02000000000000000000000000000000 -> 0x0000 02000000020000000001000002000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000000020001000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000000020001000000
@ call 0x15 030000000c0000000000000000000000 -> 0x0000 030000000c00000001007e2208000000
@ close
= 0

+ [fault]
+ function = 0x12
+ index = 1
+ status = 0x8033
+ [fault]
+ function = 0x15
+ status = 0x8000
$ -NVR -t
| ORNSYS ERROR: BIOS: NVRam index out of range !
|
| ORNSYS ERROR: BIOS: function not supported !
|
| +---------+--------+--------+--------+--------+--------+--------+
| |NVRam-   |NVRam-  |NVRam-  |NVRam-  |NVRam-  |NVRAM-  |NVRam-  |
| |   Index |   type |   size |  flags |  ManID |  DevID |BlockCnt|
| +---------+--------+--------+--------+--------+--------+--------+
| |  0x0000 | 0x0000 | 0x0072 | 0x0003 |  ----  |  ----  |  ----  |
| |  0x0001 | error getting nvram info |  ----  |  ----  |  ----  |
| |  0x0002 | 0x0002 | 0x0100 | 0x0003 |  ----  |  ----  |  ----  |
| |  0x0003 | 0x0003 | 0x8000 | 0x0003 |  error getting device information |
| +---------+--------+--------+--------+--------+--------+--------+
|   ----: Info only available for NVRam-type 0x0003
! OrnGetNVRamInfo() failed for index 0x01!
! OrnGetNVDeviceInfo() failed for index 0x03!
@ open
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 00000000000000000000000000000000 -> 0x0000 00000000000000007200000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 01000000000000000000000000000000 -> 0x8033 01000000000000000000000000000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 02000000000000000000000000000000 -> 0x0000 02000000020000000001000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x11 00000000 -> 0x0000 04000000
@ call 0x12 03000000000000000000000000000000 -> 0x0000 03000000030000000080000003000000
@ call 0x15 030000000c0000000000000000000000 -> 0x8000 030000000c0000000000000000000000
@ close
= 0

board: bare.board
$ -NVR -t
| +---------+--------+--------+--------+--------+--------+--------+
| |NVRam-   |NVRam-  |NVRam-  |NVRam-  |NVRam-  |NVRAM-  |NVRam-  |
| |   Index |   type |   size |  flags |  ManID |  DevID |BlockCnt|
| +---------+--------+--------+--------+--------+--------+--------+
| +---------+--------+--------+--------+--------+--------+--------+
|   ----: Info only available for NVRam-type 0x0003
@ open
@ call 0x11 00000000 -> 0x0000 00000000
@ close
= 0

+ [fault]
+ function = 0x11
+ status = 0x8000
$ -NVR -t
| ORNSYS ERROR: BIOS: function not supported !
|
! utNVRamInfoPrintTable: OrnGetNVRamCount() failed!
@ open
@ call 0x11 00000000 -> 0x8000 00000000
@ close
= 255

# wrong word counts end with the usage text after the library was opened
$ -NVR -i 1 2
| <usage and NVR help>
@ open
= 247

$ -NVR -c 1
| <usage and NVR help>
@ open
= 247

$ -NVR -q 3
| <usage and NVR help>
@ open
= 247

$ -NVR -x
| <usage and NVR help>
= 247

board: absent.board
$ -NVR -i 1 2
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! utOrnOpen: OrnOpen() failed!
@ open
@ close
= 255
