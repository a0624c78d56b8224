# WD and VGA categories.

$ -WD -s
| 0 - normal power on reset
@ open
@ call 0x32 00 -> 0x0000 00
@ close
= 0

board: bare.board
+ [watchdog]
+ status = 1
$ -WD -S
| 1 - watchdog timeout reset
@ open
@ call 0x32 00 -> 0x0000 01
@ close
= 0

board: bare.board
+ [watchdog]
+ status = 0x7f
$ -WD -s
| 1 - watchdog timeout reset
@ open
@ call 0x32 00 -> 0x0000 7f
@ close
= 0

$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0

# the words are cut to 16 bits: 65536 is 0, -1 is 0xffff
$ -WD -c 65536 1 -1
| watchdog configured
@ open
@ call 0x31 00000100ffff -> 0x0000 00000100ffff
@ close
= 0

$ -WD -c 0x10 020 30
| watchdog configured
@ open
@ call 0x31 100010001e00 -> 0x0000 100010001e00
@ close
= 0

# a known option with a wrong word count opens and closes first
$ -WD -c 1 2
| <usage and WD help>
@ open
@ close
= 247

$ -WD -s x
| <usage and WD help>
@ open
@ close
= 247

$ -WD -x
| <usage and WD help>
= 247

board: absent.board
$ -WD -c 1 2
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! utOrnOpen: OrnOpen() failed!
@ open
@ close
= 255

+ [fault]
+ function = 0x31
+ status = 0x8000
$ -WD -c 1 2 3
| ORNSYS ERROR: BIOS: function not supported !
|
! utWDConfig: OrnWDConfig() failed!
@ open
@ call 0x31 010002000300 -> 0x8000 010002000300
@ close
= 255

+ [fault]
+ function = 0x32
+ status = 0x8041
$ -WD -s
| ORNSYS ERROR: BIOS: hardware not present !
|
! utWDStatus: OrnWDGetStatus() failed!
@ open
@ call 0x32 00 -> 0x8041 00
@ close
= 255

+ [fault]
+ function = 0x33
+ status = 0x8000
$ -WD -t
| ORNSYS ERROR: BIOS: function not supported !
|
! utWDTrigger: triggering watchdog failed!
@ open
@ call 0x33 null -> 0x8000 null
@ close
= 255

$ -VGA -gb
| 0x80
@ open
@ call 0x42 0000 -> 0x0000 0080
@ close
= 0

$ -VGA -GC
| 0x40
@ open
@ call 0x44 0000 -> 0x0000 0040
@ close
= 0

state: on
$ -VGA -sb 0x1ff
| backlight brightness set to: 0xff
@ open
@ call 0x43 00ff -> 0x0000 00ff
@ close
= 0

$ -VGA -sc 16
| display contrast set to: 0x10
@ open
@ call 0x45 0010 -> 0x0000 0010
@ close
= 0

$ -VGA -gb
| 0xff
@ open
@ call 0x42 0000 -> 0x0000 00ff
@ close
= 0

$ -VGA -gc
| 0x10
@ open
@ call 0x44 0000 -> 0x0000 0010
@ close
= 0

$ -VGA -b OFF
@ open
@ call 0x41 0000 -> 0x0000 0000
@ close
= 0

$ -VGA -b 1
@ open
@ call 0x41 0001 -> 0x0000 0001
@ close
= 0

$ -VGA -b On
@ open
@ call 0x41 0001 -> 0x0000 0001
@ close
= 0

$ -VGA -b 0
@ open
@ call 0x41 0000 -> 0x0000 0000
@ close
= 0
state: off

# a word outside the on/off table: -9 without a message
$ -VGA -b 2
@ open
@ close
= 247

$ -VGA -gb extra
| <usage and VGA help>
= 247

$ -VGA -b
| <usage and VGA help>
= 247

$ -VGA -x
| <usage and VGA help>
= 247

board: absent.board
$ -VGA -gb
| ORNSYS ERROR: DLL: starting Win32 driver failed (register device) !
|
! utOrnOpen: OrnOpen() failed!
@ open
@ close
= 255

+ [fault]
+ function = 0x41
+ status = 0x8000
$ -VGA -b on
| ORNSYS ERROR: BIOS: function not supported !
|
! utVgaBacklightCtrl: OrnBacklightCtrl() failed!
@ open
@ call 0x41 0001 -> 0x8000 0001
@ close
= 255

+ [fault]
+ function = 0x42
+ status = 0x8000
$ -VGA -gb
| ORNSYS ERROR: BIOS: function not supported !
|
! utVgaBacklightValueGet: OrnGetBacklightValue() failed!
@ open
@ call 0x42 0000 -> 0x8000 0000
@ close
= 255

+ [fault]
+ function = 0x43
+ status = 0x8051
$ -VGA -sb 5
| ORNSYS ERROR: BIOS: parameter out of range !
|
! utVgaBacklightValueSet: OrnSetBacklightValue() failed!
@ open
@ call 0x43 0005 -> 0x8051 0005
@ close
= 255

+ [fault]
+ function = 0x44
+ status = 0x8041
$ -VGA -gc
| ORNSYS ERROR: BIOS: hardware not present !
|
! utVgaContrastValueGet: OrnGetContrastValue() failed!
@ open
@ call 0x44 0000 -> 0x8041 0000
@ close
= 255

+ [fault]
+ function = 0x45
+ status = 0x8000
$ -VGA -sc 5
| ORNSYS ERROR: BIOS: function not supported !
|
! utVgaContrastValueSet: OrnSetContrastValue() failed!
@ open
@ call 0x45 0005 -> 0x8000 0005
@ close
= 255

# a value of 0 is printed like any other
board: bare.board
+ [display]
+ brightness = 0
$ -VGA -gb
| 0x00
@ open
@ call 0x42 0000 -> 0x0000 0000
@ close
= 0
