# TEMP and VOLT categories.

$ -TEMP -c
| 0x02
@ open
@ call 0x51 00000000 -> 0x0000 02000000
@ close
= 0

$ -TEMP -a
| T-Sensor 0x00:    45 °C
| T-Sensor 0x01:    38 °C
@ open
@ call 0x51 00000000 -> 0x0000 02000000
@ call 0x53 0000000000000000 -> 0x0000 000000002d000000
@ call 0x53 0100000000000000 -> 0x0000 0100000026000000
@ close
= 0

$ -TEMP -q 0
| sensor type:    0x00 (CPU sensor)
| sensor string:  CPU
@ open
@ call 0x52 0000000010000000000000000000000000000000 -> 0x0000 0000000010000000000000004350550000000000
@ close
= 0

$ -TEMP -g 1
| 38
@ open
@ call 0x53 0100000000000000 -> 0x0000 0100000026000000
@ close
= 0

$ -VOLT -c
| 0x03
@ open
@ call 0x54 00000000 -> 0x0000 03000000
@ close
= 0

$ -VOLT -a
| V-Sensor 0x00:  3312 mV
| V-Sensor 0x01:  4987 mV
| V-Sensor 0x02:  3021 mV
@ open
@ call 0x54 00000000 -> 0x0000 03000000
@ call 0x56 0000000000000000 -> 0x0000 00000000f00c0000
@ call 0x56 0100000000000000 -> 0x0000 010000007b130000
@ call 0x56 0200000000000000 -> 0x0000 02000000cd0b0000
@ close
= 0

$ -VOLT -q 2
| nominal value: unknown
| sensor string:  VBAT
@ open
@ call 0x55 0200000010000000000000000000000000000000 -> 0x0000 0200000010000000000000805642415400000000
@ close
= 0

$ -VOLT -g 0
| 3312
@ open
@ call 0x56 0000000000000000 -> 0x0000 00000000f00c0000
@ close
= 0

board: sensors.board
$ -TEMP -A
| T-Sensor 0x00:   -12 °C
| T-Sensor 0x01:    45 °C
| T-Sensor 0x02:   105 °C
| T-Sensor 0x03:     0 °C
| T-Sensor 0x04:    33 °C
@ open
@ call 0x51 00000000 -> 0x0000 05000000
@ call 0x53 0000000000000000 -> 0x0000 00000000f4ffffff
@ call 0x53 0100000000000000 -> 0x0000 010000002d000000
@ call 0x53 0200000000000000 -> 0x0000 0200000069000000
@ call 0x53 0300000000000000 -> 0x0000 0300000000000000
@ call 0x53 0400000000000000 -> 0x0000 0400000021000000
@ close
= 0

board: sensors.board
$ -TEMP -q 0
| sensor type:    0x02 (memory sensor)
| sensor string:  DIMM
@ open
@ call 0x52 0000000010000000000000000000000000000000 -> 0x0000 00000000100000000200000044494d4d00000000
@ close
= 0

board: sensors.board
$ -TEMP -q 1
| sensor type:    0x40 (unknown)
| sensor string:  AMBIENT1
@ open
@ call 0x52 0100000010000000000000000000000000000000 -> 0x0000 010000001000000040000000414d4249454e5431
@ close
= 0

board: sensors.board
$ -TEMP -q 2
| sensor type:    0x80 (OEM sensor)
| sensor string:  OEM
@ open
@ call 0x52 0200000010000000000000000000000000000000 -> 0x0000 0200000010000000800000004f454d0000000000
@ close
= 0

board: sensors.board
$ -TEMP -q 3
| sensor type:    0xff (OEM sensor)
| sensor string:  
@ open
@ call 0x52 0300000010000000000000000000000000000000 -> 0x0000 0300000010000000ff0000000000000000000000
@ close
= 0

board: sensors.board
$ -TEMP -q 4
| sensor type:    0x03 (system sensor)
| sensor string:  SYSTEM
@ open
@ call 0x52 0400000010000000000000000000000000000000 -> 0x0000 04000000100000000300000053595354454d0000
@ close
= 0

board: sensors.board
$ -VOLT -a
| V-Sensor 0x00: -4980 mV
| V-Sensor 0x01:  1125 mV
| V-Sensor 0x02: 12110 mV
@ open
@ call 0x54 00000000 -> 0x0000 03000000
@ call 0x56 0000000000000000 -> 0x0000 000000008cecffff
@ call 0x56 0100000000000000 -> 0x0000 0100000065040000
@ call 0x56 0200000000000000 -> 0x0000 020000004e2f0000
@ close
= 0

board: sensors.board
$ -VOLT -q 0
| nominal value:     -5
| sensor string:  -5V
@ open
@ call 0x55 0000000010000000000000000000000000000000 -> 0x0000 0000000010000000fbffffff2d35560000000000
@ close
= 0

# an unknown nominal value and a name of eight characters
board: sensors.board
$ -VOLT -q 1
| nominal value: unknown
| sensor string:  VCORE123
@ open
@ call 0x55 0100000010000000000000000000000000000000 -> 0x0000 01000000100000000000008056434f5245313233
@ close
= 0

board: sensors.board
$ -VOLT -g 0
| -4980
@ open
@ call 0x56 0000000000000000 -> 0x0000 000000008cecffff
@ close
= 0

board: bare.board
$ -TEMP -a
@ open
@ call 0x51 00000000 -> 0x0000 00000000
@ close
= 0

board: bare.board
$ -VOLT -c
| 0x00
@ open
@ call 0x54 00000000 -> 0x0000 00000000
@ close
= 0

# the index is not compared with the count
$ -TEMP -g 0x10
| ORNSYS ERROR: BIOS: hardware not present !
|
! OrnGetThermSensorValue() failed!
@ open
@ call 0x53 1000000000000000 -> 0x8041 1000000000000000
@ close
= 255

$ -VOLT -q 3
| ORNSYS ERROR: BIOS: hardware not present !
|
! OrnQueryVoltSensor() failed!
@ open
@ call 0x55 0300000010000000000000000000000000000000 -> 0x8041 0300000010000000000000000000000000000000
@ close
= 255

# a failing sensor in the middle is skipped; a failing last one sets -1
+ [fault]
+ function = 0x56
+ index = 1
+ status = 0x8041
$ -VOLT -a
| V-Sensor 0x00:  3312 mV
| ORNSYS ERROR: BIOS: hardware not present !
|
| V-Sensor 0x02:  3021 mV
! OrnGetVoltSensorValue() failed!
@ open
@ call 0x54 00000000 -> 0x0000 03000000
@ call 0x56 0000000000000000 -> 0x0000 00000000f00c0000
@ call 0x56 0100000000000000 -> 0x8041 0100000000000000
@ call 0x56 0200000000000000 -> 0x0000 02000000cd0b0000
@ close
= 0

+ [fault]
+ function = 0x56
+ index = 2
+ status = 0x8041
$ -VOLT -a
| V-Sensor 0x00:  3312 mV
| V-Sensor 0x01:  4987 mV
| ORNSYS ERROR: BIOS: hardware not present !
|
! OrnGetVoltSensorValue() failed!
@ open
@ call 0x54 00000000 -> 0x0000 03000000
@ call 0x56 0000000000000000 -> 0x0000 00000000f00c0000
@ call 0x56 0100000000000000 -> 0x0000 010000007b130000
@ call 0x56 0200000000000000 -> 0x8041 0200000000000000
@ close
= 255

+ [fault]
+ function = 0x51
+ status = 0x8000
$ -TEMP -a
| ORNSYS ERROR: BIOS: function not supported !
|
! OrnGetThermSensorCount() failed!
@ open
@ call 0x51 00000000 -> 0x8000 00000000
@ close
= 255

+ [fault]
+ function = 0x51
+ status = 0x8000
$ -TEMP -c
| ORNSYS ERROR: BIOS: function not supported !
|
! OrnGetThermSensorCount() failed!
@ open
@ call 0x51 00000000 -> 0x8000 00000000
@ close
= 255

+ [fault]
+ function = 0x52
+ status = 0x8000
$ -TEMP -q 0
| ORNSYS ERROR: BIOS: function not supported !
|
! OrnQueryThermSensor() failed!
@ open
@ call 0x52 0000000010000000000000000000000000000000 -> 0x8000 0000000010000000000000000000000000000000
@ close
= 255

+ [fault]
+ function = 0x53
+ status = 0x8000
$ -TEMP -g 0
| ORNSYS ERROR: BIOS: function not supported !
|
! OrnGetThermSensorValue() failed!
@ open
@ call 0x53 0000000000000000 -> 0x8000 0000000000000000
@ close
= 255

+ [fault]
+ function = 0x54
+ status = 0x8000
$ -VOLT -c
| ORNSYS ERROR: BIOS: function not supported !
|
! OrnGetVoltSensorCount() failed!
@ open
@ call 0x54 00000000 -> 0x8000 00000000
@ close
= 255

+ [fault]
+ function = 0x55
+ status = 0x8000
$ -VOLT -q 0
| ORNSYS ERROR: BIOS: function not supported !
|
! OrnQueryVoltSensor() failed!
@ open
@ call 0x55 0000000010000000000000000000000000000000 -> 0x8000 0000000010000000000000000000000000000000
@ close
= 255

$ -TEMP -g
| <usage and TEMP help>
= 247

$ -TEMP -c 1
| <usage and TEMP help>
= 247

$ -VOLT -x
| <usage and VOLT help>
= 247

board: absent.board
$ -VOLT -a
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! utOrnOpen: OrnOpen() failed!
@ open
@ close
= 255

# A sensor index at the count is one too many.
$ -TEMP -q 2
| ORNSYS ERROR: BIOS: hardware not present !
|
! OrnQueryThermSensor() failed!
@ open
@ call 0x52 0200000010000000000000000000000000000000 -> 0x8041 0200000010000000000000000000000000000000
@ close
= 255
