# The virtual board's own programs. ornsim-trace puts each trace line in words:
# names of functions and statuses, the fields of each block (far pointers as
# selector:offset, text with its escapes); lines it cannot read stay as they
# are.
program: ornsim-trace
text: lines call 0x13 020000000000000000 -> 0x0000 02000000000000004a
text: lines call 0x53 0100000000000000 -> 0x8041 0100000000000000
text: lines call 0x33 null -> 0x1234 null
text: lines call 0x99 ? -> 0x8000 ?
text: lines call 0x11 0400 -> 0x0000 04
text: lines call 0x11 00000000 -> 0x0
text: lines call 0x71 785634122b00000000fa -> 0x0000 785634122b00000000fa
text: lines call 0x26 01000000180000000100000000000000200000005c227f4100000000 -> 0x8000 ?
text: lines inb 0x002e -> 0x87
text: lines reset watchdog
text: lines call 0x01 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000 -> 0x0000 4f524e2d4550432d333531300000000056322e31342052303331310000000000424220332e30370000000000000000005265762e204331000000000000000000455043333531302d30303432313700002c010000003e0000070322201405211125200930
$ lines
| call 0x13 ReadNVRam {index=2, offset=0x00000000, data=0x00} -> 0x0000 BIOS: SUCCESS {index=2, offset=0x00000000, data=0x4a}
| call 0x53 GetThermSensorValue {index=1, celsius=0} -> 0x8041 BIOS: hardware not present {index=1, celsius=0}
| call 0x33 WDTrigger null -> 0x1234 invalid error code!! null
| call 0x99 (unknown function) ? -> 0x8000 BIOS: function not supported ?
| call 0x11 GetNVRamCount 0400 -> 0x0000 BIOS: SUCCESS 04
| call 0x11 00000000 -> 0x0
| call 0x71 OEMPassThru {value=0x12345678, buffer=002b:fa000000} -> 0x0000 BIOS: SUCCESS {value=0x12345678, buffer=002b:fa000000}
| call 0x26 QueryI2CBus {index=1, I2CBusInfoSize=24, I2CBusID=1, I2CBusFlags=0x00000000, I2CMaxBlockSize=32, I2CBusString="\x5c\x22\x7fA"} -> 0x8000 BIOS: function not supported ?
| inb 0x002e -> 0x87
| reset watchdog
| call 0x01 GetBoardInfo {HWPlatform="", SysBIOSVersion="", BBVersion="", HWRevision="", SerialNumber="", BootCounter=0, OperatingTime=0, ManufacturingDate=00.00.0000 00:00, MaintenanceTime=00.00.0000 00:00} -> 0x0000 BIOS: SUCCESS {HWPlatform="ORN-EPC-3510", SysBIOSVersion="V2.14 R0311", BBVersion="BB 3.07", HWRevision="Rev. C1", SerialNumber="EPC3510-004217", BootCounter=300, OperatingTime=15872, ManufacturingDate=07.03.2022 14:05, MaintenanceTime=21.11.2025 09:30}
= 0

# ornsim-ctl steers a board through its state file and refuses bad input
# with one line.
state: on
program: ornsim-ctl
$ advance 90
! ornsim-ctl: bad duration '90' (e.g. 90s; at most 876600h)
= 2
program: ornsim-ctl
$ advance 999999999h
! ornsim-ctl: bad duration '999999999h' (e.g. 90s; at most 876600h)
= 2
program: ornsim-ctl
$ advance 876600h
= 0
program: ornsim-ctl
$ advance 1ms
! ornsim-ctl: advance: the board's clock would pass 100 years (876600h)
= 2
program: ornsim-ctl
$ advance
! ornsim-ctl: advance needs one duration, e.g. advance 90s
= 2
program: ornsim-ctl
$ set temp 7 1
! ornsim-ctl: no temp sensor '7' on this board
= 2
program: ornsim-ctl
$ set temp 0 hot
! ornsim-ctl: bad value 'hot' (-2147483648 to 2147483647)
= 2
program: ornsim-ctl
$ set temp 0 3000000000
! ornsim-ctl: bad value '3000000000' (-2147483648 to 2147483647)
= 2
program: ornsim-ctl
$ set battery 0 charge -1
! ornsim-ctl: bad value '-1' (0 to 4294967295)
= 2
program: ornsim-ctl
$ set battery 0 colour 1
! ornsim-ctl: a battery's charge, state, rate or voltage is set
= 2
program: ornsim-ctl
$ set fan 0 1
! ornsim-ctl: cannot set 'fan': temp, volt, battery or system
= 2
program: ornsim-ctl
$ reboot
! ornsim-ctl: unknown command 'reboot' (advance, power-on, show, set)
= 2
state: off
program: ornsim-ctl
$ show
! ornsim-ctl: ORNSIM_STATE is not set: a board is steered through its state file
= 1
