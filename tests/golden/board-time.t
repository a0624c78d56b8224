# The virtual board in time, on a state file: its clock only moves as
# ornsim-ctl advances it (and by the real time the commands take).
#
# Counters that run: the operating time follows the clock in minutes. Lists
# step once per read and keep their last value, a ramp follows the clock, a
# value key after a list holds.
state: on
board: timed.board
$ -TEMP -a
| T-Sensor 0x00:    45 °C
| T-Sensor 0x01:    40 °C
| T-Sensor 0x02:    60 °C
@ open
@ call 0x51 00000000 -> 0x0000 03000000
@ call 0x53 0000000000000000 -> 0x0000 000000002d000000
@ call 0x53 0100000000000000 -> 0x0000 0100000028000000
@ call 0x53 0200000000000000 -> 0x0000 020000003c000000
@ close
= 0
board: timed.board
$ -INFO -b
| HW platform:       TIMED
| Sys. BIOS ver.:    
| BB BIOS ver.:      
| HW revision:       
| Serial no.:        
| Boot counter:    0x0005
| Operating time:       0
| Manuf. Date:       00.00.0000   00:00
| Maint. Date:       00.00.0000   00:00
@ open
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 54494d45440000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000500000000000000000000000000000000000000
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -INFO -b
| HW platform:       TIMED
| Sys. BIOS ver.:    
| BB BIOS ver.:      
| HW revision:       
| Serial no.:        
| Boot counter:    0x0005
| Operating time:       0
| Manuf. Date:       00.00.0000   00:00
| Maint. Date:       00.00.0000   00:00
@ open
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 54494d45440000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000500000000000000000000000000000000000000
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 2s
= 0
board: timed.board
$ -INFO -b
| HW platform:       TIMED
| Sys. BIOS ver.:    
| BB BIOS ver.:      
| HW revision:       
| Serial no.:        
| Boot counter:    0x0005
| Operating time:       1
| Manuf. Date:       00.00.0000   00:00
| Maint. Date:       00.00.0000   00:00
@ open
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 54494d45440000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000500000001000000000000000000000000000000
@ close
= 0
board: timed.board
$ -TEMP -g 0
| 50
@ open
@ call 0x53 0000000000000000 -> 0x0000 0000000032000000
@ close
= 0
board: timed.board
$ -TEMP -g 0
| 55
@ open
@ call 0x53 0000000000000000 -> 0x0000 0000000037000000
@ close
= 0
board: timed.board
$ -TEMP -g 0
| 55
@ open
@ call 0x53 0000000000000000 -> 0x0000 0000000037000000
@ close
= 0
board: timed.board
$ -TEMP -g 0
| 55
@ open
@ call 0x53 0000000000000000 -> 0x0000 0000000037000000
@ close
= 0
board: timed.board
$ -TEMP -g 2
| 60
@ open
@ call 0x53 0200000000000000 -> 0x0000 020000003c000000
@ close
= 0
board: timed.board
$ -BATT -g 0
| bat status:             0x0000
| current rate:                0 mW
| remaining capacity:        100 mWh
| voltage:                     0 mV
@ open
@ call 0x63 00000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 00000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ call 0x64 000000001400000000000000000000000000000000000000 -> 0x0000 000000001400000000000000000000006400000000000000
@ close
= 0
board: timed.board
$ -BATT -g 0
| bat status:             0x0000
| current rate:                0 mW
| remaining capacity:         90 mWh
| voltage:                     0 mV
@ open
@ call 0x63 00000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 00000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000
@ call 0x64 000000001400000000000000000000000000000000000000 -> 0x0000 000000001400000000000000000000005a00000000000000
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 29m
= 0
board: timed.board
$ -TEMP -g 1
| 65
@ open
@ call 0x53 0100000000000000 -> 0x0000 0100000041000000
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 2h
= 0
board: timed.board
$ -INFO -b
| HW platform:       TIMED
| Sys. BIOS ver.:    
| BB BIOS ver.:      
| HW revision:       
| Serial no.:        
| Boot counter:    0x0005
| Operating time:     150
| Manuf. Date:       00.00.0000   00:00
| Maint. Date:       00.00.0000   00:00
@ open
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 54494d45440000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000500000096000000000000000000000000000000
@ close
= 0
board: timed.board
$ -TEMP -g 1
| 90
@ open
@ call 0x53 0100000000000000 -> 0x0000 010000005a000000
@ close
= 0
# A watchdog nobody triggers resets the board once its first deadline has
# passed, at the next call (another process sees it too), and only once;
# a power-on clears the status and stops an armed watchdog.
board: timed.board
$ -WD -c 10 60 1
| watchdog configured
@ open
@ call 0x31 0a003c000100 -> 0x0000 0a003c000100
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 9s
= 0
board: timed.board
$ -INFO -b
| HW platform:       TIMED
| Sys. BIOS ver.:    
| BB BIOS ver.:      
| HW revision:       
| Serial no.:        
| Boot counter:    0x0005
| Operating time:     150
| Manuf. Date:       00.00.0000   00:00
| Maint. Date:       00.00.0000   00:00
@ open
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 54494d45440000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000500000096000000000000000000000000000000
@ close
= 0
board: timed.board
$ -WD -s
| 0 - normal power on reset
@ open
@ call 0x32 00 -> 0x0000 00
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 2s
= 0
board: timed.board
$ -INFO -b
| HW platform:       TIMED
| Sys. BIOS ver.:    
| BB BIOS ver.:      
| HW revision:       
| Serial no.:        
| Boot counter:    0x0006
| Operating time:     150
| Manuf. Date:       00.00.0000   00:00
| Maint. Date:       00.00.0000   00:00
@ open
@ reset watchdog
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 54494d45440000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000600000096000000000000000000000000000000
@ close
= 0
board: timed.board
$ -WD -s
| 1 - watchdog timeout reset
@ open
@ call 0x32 00 -> 0x0000 01
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 10m
= 0
board: timed.board
$ -INFO -b
| HW platform:       TIMED
| Sys. BIOS ver.:    
| BB BIOS ver.:      
| HW revision:       
| Serial no.:        
| Boot counter:    0x0006
| Operating time:     160
| Manuf. Date:       00.00.0000   00:00
| Maint. Date:       00.00.0000   00:00
@ open
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 54494d454400000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000006000000a0000000000000000000000000000000
@ close
= 0
board: timed.board
program: ornsim-ctl
$ power-on
= 0
board: timed.board
$ -WD -s
| 0 - normal power on reset
@ open
@ call 0x32 00 -> 0x0000 00
@ close
= 0
board: timed.board
$ -INFO -b
| HW platform:       TIMED
| Sys. BIOS ver.:    
| BB BIOS ver.:      
| HW revision:       
| Serial no.:        
| Boot counter:    0x0007
| Operating time:     160
| Manuf. Date:       00.00.0000   00:00
| Maint. Date:       00.00.0000   00:00
@ open
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 54494d454400000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000007000000a0000000000000000000000000000000
@ close
= 0
board: timed.board
$ -WD -c 10 60 1
| watchdog configured
@ open
@ call 0x31 0a003c000100 -> 0x0000 0a003c000100
@ close
= 0
board: timed.board
program: ornsim-ctl
$ power-on
= 0
board: timed.board
program: ornsim-ctl
$ advance 1h
= 0
board: timed.board
$ -INFO -b
| HW platform:       TIMED
| Sys. BIOS ver.:    
| BB BIOS ver.:      
| HW revision:       
| Serial no.:        
| Boot counter:    0x0008
| Operating time:     220
| Manuf. Date:       00.00.0000   00:00
| Maint. Date:       00.00.0000   00:00
@ open
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 54494d454400000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000008000000dc000000000000000000000000000000
@ close
= 0
# A watchdog triggered within each timeout never resets the board; a
# stopped one has no deadline at all.
board: timed.board
$ -WD -c 10 60 1
| watchdog configured
@ open
@ call 0x31 0a003c000100 -> 0x0000 0a003c000100
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 9s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -WD -t
| watchdog triggered
@ open
@ call 0x33 null -> 0x0000 null
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 59s
= 0
board: timed.board
$ -INFO -b
| HW platform:       TIMED
| Sys. BIOS ver.:    
| BB BIOS ver.:      
| HW revision:       
| Serial no.:        
| Boot counter:    0x0008
| Operating time:     240
| Manuf. Date:       00.00.0000   00:00
| Maint. Date:       00.00.0000   00:00
@ open
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 54494d454400000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000008000000f0000000000000000000000000000000
@ close
= 0
board: timed.board
$ -WD -s
| 0 - normal power on reset
@ open
@ call 0x32 00 -> 0x0000 00
@ close
= 0
board: timed.board
$ -WD -c 0 0 0
| watchdog configured
@ open
@ call 0x31 000000000000 -> 0x0000 000000000000
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 1h
= 0
board: timed.board
$ -INFO -b
| HW platform:       TIMED
| Sys. BIOS ver.:    
| BB BIOS ver.:      
| HW revision:       
| Serial no.:        
| Boot counter:    0x0008
| Operating time:     300
| Manuf. Date:       00.00.0000   00:00
| Maint. Date:       00.00.0000   00:00
@ open
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 54494d4544000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000080000002c010000000000000000000000000000
@ close
= 0
# A watchdog counting in milliseconds; its command is 0 (stop) or 1 (start).
board: timed.board
+ unit = ms
$ -WD -c 1 1 2
| ORNSYS ERROR: BIOS: parameter out of range !
|
! utWDConfig: OrnWDConfig() failed!
@ open
@ call 0x31 010001000200 -> 0x8051 010001000200
@ close
= 255
board: timed.board
+ unit = ms
$ -WD -c 5000 10000 1
| watchdog configured
@ open
@ call 0x31 881310270100 -> 0x0000 881310270100
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 4s
= 0
board: timed.board
+ unit = ms
$ -INFO -b
| HW platform:       TIMED
| Sys. BIOS ver.:    
| BB BIOS ver.:      
| HW revision:       
| Serial no.:        
| Boot counter:    0x0008
| Operating time:     300
| Manuf. Date:       00.00.0000   00:00
| Maint. Date:       00.00.0000   00:00
@ open
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 54494d4544000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000080000002c010000000000000000000000000000
@ close
= 0
board: timed.board
program: ornsim-ctl
$ advance 2s
= 0
board: timed.board
+ unit = ms
$ -INFO -b
| HW platform:       TIMED
| Sys. BIOS ver.:    
| BB BIOS ver.:      
| HW revision:       
| Serial no.:        
| Boot counter:    0x0009
| Operating time:     300
| Manuf. Date:       00.00.0000   00:00
| Maint. Date:       00.00.0000   00:00
@ open
@ reset watchdog
@ call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 54494d4544000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000090000002c010000000000000000000000000000
@ close
= 0
# Values set from outside are what a program reads next, and what
# ornsim-ctl shows; the default board on a state file of its own.
state: off
state: on
$ -TEMP -g 0
| 45
@ open
@ call 0x53 0000000000000000 -> 0x0000 000000002d000000
@ close
= 0
program: ornsim-ctl
$ set temp 0 95
= 0
program: ornsim-ctl
$ set volt 2 2900
= 0
program: ornsim-ctl
$ set battery 0 charge 150
= 0
program: ornsim-ctl
$ set battery 0 voltage unknown
= 0
program: ornsim-ctl
$ set battery 0 state 1
= 0
program: ornsim-ctl
$ set system power 0
= 0
$ -TEMP -g 0
| 95
@ open
@ call 0x53 0000000000000000 -> 0x0000 000000005f000000
@ close
= 0
$ -VOLT -g 2
| 2900
@ open
@ call 0x56 0200000000000000 -> 0x0000 02000000540b0000
@ close
= 0
$ -BATT -g 0
| bat status:             0x0001
| current rate:              500 mA
| remaining capacity:        150 mAh
| voltage:                 unknown
@ open
@ call 0x63 00000000540000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 00000000540000000100000098080000020800005c2b00004f524e2d42503353315000000000000042502d303831350000000000000000004c494f4e0000000000000000000000004f726e73797320506f77657200000000
@ call 0x64 000000001400000000000000000000000000000000000000 -> 0x0000 000000001400000001000000f401000096000000ffffffff
@ close
= 0
$ -SYS
| misc state:  0x0002 (lid open)
| power state: 0x0000 
@ open
@ call 0x61 0c0000000000000000000000 -> 0x0000 0c0000000200000000000000
@ close
= 0
program: ornsim-ctl
$ show
| clock: <time> s since power-on (advanced 0.000 s)
| boot counter: 300
| watchdog: no timer
| watchdog status: 0
| temp 0 CPU: 95 (set)
| temp 1 Board: 38
| volt 0 3V3: 3312
| volt 1 5V: 4987
| volt 2 VBAT: 2900 (set)
| battery 0 state: 0x00000001 (set)
| battery 0 rate: 500
| battery 0 charge: 150 (set)
| battery 0 voltage: -1 (set)
| system misc: 0x00000002
| system power: 0x00000000 (set)
= 0
state: off
