# I2C category: bus count and description, byte, word and block transfers.

$ -I2C -c
| 0x0004
@ open
@ call 0x25 00000000 -> 0x0000 04000000
@ close
= 0

$ -I2C -Q 0
| Businfo for Bus# 0x0000:
|   bus ID:             0x00
|   bus flags:        0x0001
|   max.block size:   0x0020
|   bus ID:           SMBus
@ open
@ call 0x26 00000000180000000000000000000000000000000000000000000000 -> 0x0000 0000000018000000000000000100000020000000534d427573000000
@ close
= 0

# a name of eight characters is printed whole and no further
$ -I2C -q 2
| Businfo for Bus# 0x0002:
|   bus ID:             0x0a
|   bus flags:        0x0000
|   max.block size:   0x0080
|   bus ID:           LFP EDID
@ open
@ call 0x26 02000000180000000000000000000000000000000000000000000000 -> 0x0000 02000000180000000a00000000000000800000004c46502045444944
@ close
= 0

$ -I2C -q 4
| ORNSYS ERROR: BIOS: I2C invalid bus index !
|
! utI2CQueryBus: OrnQueryI2CBus() failed for bus index 0x04!
@ open
@ call 0x26 04000000180000000000000000000000000000000000000000000000 -> 0x8021 04000000180000000000000000000000000000000000000000000000
@ close
= 255

# the library is opened before the options are checked
$ -I2C -c 1
| <usage and I2C help>
@ open
= 247

$ -I2C -q
| <usage and I2C help>
@ open
= 247

$ -I2C -x
| <usage and I2C help>
@ open
= 247

board: absent.board
$ -I2C -x
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! utOrnOpen: OrnOpen() failed!
@ open
@ close
= 255

$ -I2C -rb 0 0x50 0 1
| 0x92
@ open
@ call 0x21 00500000cc01 -> 0x0000 005000009201
@ close
= 0

$ -I2C -rw 0 0x50 0 1
| 0x1092
@ open
@ call 0x23 00500000cccc01 -> 0x0000 00500000921001
@ close
= 0

$ -I2C -rw 10 0x50 0x0100 2
| 0xff00
@ open
@ call 0x23 0a500001cccc02 -> 0x0000 0a50000100ff02
@ close
= 0

# a bus id of 0x10a is cut to 10; the length and file are ignored by -rb
$ -I2C -rb 0x10a 0x50 0 1 5 -F out.bin
| 0x00
@ open
@ call 0x21 0a500000cc01 -> 0x0000 0a5000000001
@ close
= 0

$ -I2C -rb 0 0x50 0 1 5 x
| <usage and I2C help>
@ open
= 247

$ -I2C -rb 0 0x50 0 1 5 -f
| <usage and I2C help>
@ open
= 247

$ -I2C -rb 0 0x50 0
| <usage and I2C help>
@ open
= 247

# a block read without length, or of length 0: -9 without a word
$ -I2C -br 0 0x50 0 1
@ open
@ close
= 247

$ -I2C -br 0 0x50 0 1 0
@ open
@ close
= 247

$ -I2C -br 0 0x50 0x20 1 16
|  0x020x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 00  ................
|
| number of bytes returned: 0x0010
|
@ open
@ call 0x27 00502000<far:ptr>1000000001 -> 0x0000 00502000<far:ptr>1000000001
@ close
= 0

$ -I2C -br 10 0x50 0 0x81 128
|  0x000x: 00 ff ff ff  ff ff ff 00  3e 4e 01 07  2a 00 00 00  ........>N..*...
|  0x010x: 12 20 01 03  80 1a 10 78  0a ee 91 a3  54 4c 99 26  . .....x....TL.&
|  0x020x: 0f 50 54 00  00 00 01 01  01 01 01 01  01 01 01 01  .PT.............
|  0x030x: 01 01 01 01  01 01 bc 1b  00 a0 50 20  17 30 30 20  ..........P .00 
|  0x040x: 36 00 05 a3  10 00 00 1a  00 00 00 fc  00 4f 52 4e  6............ORN
|  0x050x: 20 4c 46 50  20 31 30 2e  31 0a 00 00  00 ff 00 4c   LFP 10.1......L
|  0x060x: 46 50 30 30  30 30 30 34  32 0a 20 20  00 00 00 10  FP0000042.  ....
|  0x070x: 00 00 00 00  00 00 00 00  00 00 00 00  00 00 00 b4  ................
|
| number of bytes returned: 0x0080
|
@ open
@ call 0x27 0a500000<far:ptr>8000000081 -> 0x0000 0a500000<far:ptr>8000000081
@ close
= 0

# the bus moves at most 16 bytes at a time
$ -I2C -br 1 0x57 0 1 32
|  0x000x: ff ff ff ff  ff ff ff ff  ff ff ff ff  ff ff ff ff  ................
|
| number of bytes returned: 0x0010
|
@ open
@ call 0x27 01570000<far:ptr>2000000001 -> 0x0000 01570000<far:ptr>1000000001
@ close
= 0

# addresses wrap at the device size; protocol 0 uses the device's pointer
$ -I2C -br 10 0x50 0x7e 1 4
|  0x07Ex: 00 b4 00 ff   ....
|
| number of bytes returned: 0x0004
|
@ open
@ call 0x27 0a507e00<far:ptr>0400000001 -> 0x0000 0a507e00<far:ptr>0400000001
@ close
= 0

$ -I2C -br 10 0x50 0x7e 0 4
|  0x07Ex: 00 ff ff ff   ....
|
| number of bytes returned: 0x0004
|
@ open
@ call 0x27 0a507e00<far:ptr>0400000000 -> 0x0000 0a507e00<far:ptr>0400000000
@ close
= 0

# a firmware that reports more than was asked: only the request is shown
+ [fault]
+ function = 0x27
+ count = 40
$ -I2C -br 0 0x50 0 1 8
|  0x000x: 92 10 0b 02  03 19 00 09   ........
|
| number of bytes returned: 0x0028
|
@ open
@ call 0x27 00500000<far:ptr>0800000001 -> 0x0000 00500000<far:ptr>2800000001
@ close
= 0

show: spd.bin
$ -I2C -br 0 0x50 0 1 16 -f spd.bin
| writing 16 bytes to spd.bin
@ open
@ call 0x27 00500000<far:ptr>1000000001 -> 0x0000 00500000<far:ptr>1000000001
@ close
% spd.bin: 92 10 0b 02 03 19 00 09 03 52 01 08 0c 00 7e 00
= 0

$ -I2C -br 0 0x50 0 1 16 -f no/such/dir/spd.bin
! dumptofile: could not open file no/such/dir/spd.bin for write access
@ open
@ call 0x27 00500000<far:ptr>1000000001 -> 0x0000 00500000<far:ptr>1000000001
@ close
= 246

# the firmware's statuses
$ -I2C -rb 5 0x50 0 1
| ORNSYS ERROR: BIOS: I2C invalid bus index !
|
! utI2CReadByte: OrnI2CRead8() failed for busid 0x05!
@ open
@ call 0x21 05500000cc01 -> 0x8021 05500000cc01
@ close
= 255

$ -I2C -rb 0 0x51 0 1
| ORNSYS ERROR: BIOS: I2C no acknowledge !
|
! utI2CReadByte: OrnI2CRead8() failed for busid 0000!
@ open
@ call 0x21 00510000cc01 -> 0x8022 00510000cc01
@ close
= 255

$ -I2C -rb 0 0x50 0 3
| ORNSYS ERROR: BIOS: I2C protocol not supported !
|
! utI2CReadByte: OrnI2CRead8() failed for busid 0000!
@ open
@ call 0x21 00500000cc03 -> 0x8023 00500000cc03
@ close
= 255

$ -I2C -rb 0 0x50 0 0x7C
| ORNSYS ERROR: BIOS: I2C protocol not supported !
|
! utI2CReadByte: OrnI2CRead8() failed for busid 0000!
@ open
@ call 0x21 00500000cc7c -> 0x8023 00500000cc7c
@ close
= 255

$ -I2C -rw 1 0x50 0 1
| ORNSYS ERROR: BIOS: I2C no acknowledge !
|
! utI2CReadWord: OrnI2CRead16() failed for busid 0x01!
@ open
@ call 0x23 01500000cccc01 -> 0x8022 01500000cccc01
@ close
= 255

$ -I2C -br 0 0x52 0 1 4
| ORNSYS ERROR: BIOS: I2C no acknowledge !
|
! utI2CReadBlock: OrnI2CReadBlock() failed for busid 0000!
@ open
@ call 0x27 00520000<far:ptr>0400000001 -> 0x8022 00520000<far:ptr>0400000001
@ close
= 255

$ -I2C -wb 0 0x50 0 1 1
| ORNSYS ERROR: BIOS: I2C no acknowledge !
|
! utI2CWriteByte: OrnI2CWrite8() failed for busid 0000!
@ open
@ call 0x22 005000000101 -> 0x8022 005000000101
@ close
= 255

$ -I2C -ww 0 0x50 0 1 1
| ORNSYS ERROR: BIOS: I2C no acknowledge !
|
! utI2CWriteWord: OrnI2CWrite16() failed for busid 0000!
@ open
@ call 0x24 00500000010001 -> 0x8022 00500000010001
@ close
= 255

$ -I2C -bw 0 0x50 0 1 1 2
| ORNSYS ERROR: BIOS: I2C no acknowledge !
|
! utI2CWriteBlock: OrnI2CWriteBlock() failed for busid 0000!
@ open
@ call 0x28 00500000<far:ptr>0200000001 -> 0x8022 00500000<far:ptr>0200000001
@ close
= 255

# writes, read back from the state file
state: on
$ -I2C -wb 1 0x57 0 1 0x1ff
| byte successfully written
@ open
@ call 0x22 01570000ff01 -> 0x0000 01570000ff01
@ close
= 0

$ -I2C -ww 1 0x57 2 1 0x12345
| word successfully written
@ open
@ call 0x24 01570200452301 -> 0x0000 01570200452301
@ close
= 0

$ -I2C -bw 1 0x57 0x10 1 1 2 3
@ open
@ call 0x28 01571000<far:ptr>0300000001 -> 0x0000 01571000<far:ptr>0300000001
@ close
= 0

$ -I2C -br 1 0x57 0 1 0x14
|  0x000x: ff ff 45 23  ff ff ff ff  ff ff ff ff  ff ff ff ff  ..E#............
|
| number of bytes returned: 0x0010
|
@ open
@ call 0x27 01570000<far:ptr>1400000001 -> 0x0000 01570000<far:ptr>1000000001
@ close
= 0

$ -I2C -br 1 0x57 0x10 1 4
|  0x010x: 01 02 03 ff   ....
|
| number of bytes returned: 0x0004
|
@ open
@ call 0x27 01571000<far:ptr>0400000001 -> 0x0000 01571000<far:ptr>0400000001
@ close
= 0

file: data.bin 0a 0b 0c 0d 0e
$ -I2C -bw 1 0x57 0x20 1 3 -f data.bin
@ open
@ call 0x28 01572000<far:ptr>0300000001 -> 0x0000 01572000<far:ptr>0300000001
@ close
= 0

# a file length is cut to 16 bits: 0x10003 asks for 3 bytes
$ -I2C -bw 1 0x57 0x30 1 0x10003 -F data.bin
@ open
@ call 0x28 01573000<far:ptr>0300000001 -> 0x0000 01573000<far:ptr>0300000001
@ close
= 0

$ -I2C -bw 1 0x57 0x40 1 16 -f data.bin
@ open
@ call 0x28 01574000<far:ptr>0500000001 -> 0x0000 01574000<far:ptr>0500000001
@ close
= 0

$ -I2C -br 1 0x57 0x20 1 0x30
|  0x020x: 0a 0b 0c ff  ff ff ff ff  ff ff ff ff  ff ff ff ff  ................
|
| number of bytes returned: 0x0010
|
@ open
@ call 0x27 01572000<far:ptr>3000000001 -> 0x0000 01572000<far:ptr>1000000001
@ close
= 0

$ -I2C -bw 1 0x57 0 1 16 -f missing.bin
! utI2CWriteBlockFile: could not open file missing.bin for read access
@ open
@ close
= 246

$ -I2C -wb 0 0x50 0 1 5 -f data.bin
| <usage and I2C help>
@ open
= 247

$ -I2C -bw 0 0x50 0 1 16 -f
| <usage and I2C help>
@ open
= 247

$ -I2C -ww 1 0x57 0 1
| <usage and I2C help>
@ open
= 247
state: off
