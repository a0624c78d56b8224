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

# Every function the virtual board serves in words: its name and each field
# of its block (bytes counting up from 1), before and after.
program: ornsim-trace
text: lines call 0x01 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f202122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f404142434445464748494a4b4c4d4e4f505152535455565758595a5b5c5d5e5f6061626364 -> 0x0000 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f202122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f404142434445464748494a4b4c4d4e4f505152535455565758595a5b5c5d5e5f6061626364
text: lines call 0x03 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f202122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f404142434445464748494a4b4c -> 0x0000 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f202122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f404142434445464748494a4b4c
text: lines call 0x04 01020304 -> 0x0000 01020304
text: lines call 0x05 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f202122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f404142434445464748494a4b4c4d4e4f505152535455565758595a5b5c5d5e5f606162636465666768696a6b6c6d6e6f707172737475767778797a7b7c7d7e7f80 -> 0x0000 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f202122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f404142434445464748494a4b4c4d4e4f505152535455565758595a5b5c5d5e5f606162636465666768696a6b6c6d6e6f707172737475767778797a7b7c7d7e7f80
text: lines call 0x06 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f202122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f404142434445464748494a4b4c4d4e4f505152535455565758595a5b5c5d5e5f606162636465666768696a6b6c6d6e6f707172737475767778797a7b7c7d7e7f80 -> 0x0000 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f202122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f404142434445464748494a4b4c4d4e4f505152535455565758595a5b5c5d5e5f606162636465666768696a6b6c6d6e6f707172737475767778797a7b7c7d7e7f80
text: lines call 0x11 01020304 -> 0x0000 01020304
text: lines call 0x12 0102030405060708090a0b0c0d0e0f10 -> 0x0000 0102030405060708090a0b0c0d0e0f10
text: lines call 0x13 010203040506070809 -> 0x0000 010203040506070809
text: lines call 0x14 010203040506070809 -> 0x0000 010203040506070809
text: lines call 0x15 0102030405060708090a0b0c0d0e0f10 -> 0x0000 0102030405060708090a0b0c0d0e0f10
text: lines call 0x16 0102030405060708090a0b0c0d0e0f1011121314 -> 0x0000 0102030405060708090a0b0c0d0e0f1011121314
text: lines call 0x17 0102030405060708090a0b0c -> 0x0000 0102030405060708090a0b0c
text: lines call 0x21 010203040506 -> 0x0000 010203040506
text: lines call 0x22 010203040506 -> 0x0000 010203040506
text: lines call 0x23 01020304050607 -> 0x0000 01020304050607
text: lines call 0x24 01020304050607 -> 0x0000 01020304050607
text: lines call 0x25 01020304 -> 0x0000 01020304
text: lines call 0x26 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c -> 0x0000 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c
text: lines call 0x27 0102030405060708090a0b0c0d0e0f -> 0x0000 0102030405060708090a0b0c0d0e0f
text: lines call 0x28 0102030405060708090a0b0c0d0e0f -> 0x0000 0102030405060708090a0b0c0d0e0f
text: lines call 0x31 010203040506 -> 0x0000 010203040506
text: lines call 0x32 01 -> 0x0000 01
text: lines call 0x33 null -> 0x0000 null
text: lines call 0x41 0102 -> 0x0000 0102
text: lines call 0x42 0102 -> 0x0000 0102
text: lines call 0x43 0102 -> 0x0000 0102
text: lines call 0x44 0102 -> 0x0000 0102
text: lines call 0x45 0102 -> 0x0000 0102
text: lines call 0x51 01020304 -> 0x0000 01020304
text: lines call 0x52 0102030405060708090a0b0c0d0e0f1011121314 -> 0x0000 0102030405060708090a0b0c0d0e0f1011121314
text: lines call 0x53 0102030405060708 -> 0x0000 0102030405060708
text: lines call 0x54 01020304 -> 0x0000 01020304
text: lines call 0x55 0102030405060708090a0b0c0d0e0f1011121314 -> 0x0000 0102030405060708090a0b0c0d0e0f1011121314
text: lines call 0x56 0102030405060708 -> 0x0000 0102030405060708
text: lines call 0x61 0102030405060708090a0b0c -> 0x0000 0102030405060708090a0b0c
text: lines call 0x62 01020304 -> 0x0000 01020304
text: lines call 0x63 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f202122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f404142434445464748494a4b4c4d4e4f505152535455565758 -> 0x0000 0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f202122232425262728292a2b2c2d2e2f303132333435363738393a3b3c3d3e3f404142434445464748494a4b4c4d4e4f505152535455565758
text: lines call 0x64 0102030405060708090a0b0c0d0e0f101112131415161718 -> 0x0000 0102030405060708090a0b0c0d0e0f101112131415161718
text: lines call 0x71 0102030405060708090a -> 0x0000 0102030405060708090a
$ lines
| call 0x01 GetBoardInfo {HWPlatform="\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10", SysBIOSVersion="\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f ", BBVersion="!\x22#$%&'()*+,-./0", HWRevision="123456789:;<=>?@", SerialNumber="ABCDEFGHIJKLMNOP", BootCounter=1414746705, OperatingTime=1482118741, ManufacturingDate=59.5a.5c5b 5d:5e, MaintenanceTime=5f.60.6261 63:64} -> 0x0000 BIOS: SUCCESS {HWPlatform="\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\x10", SysBIOSVersion="\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f ", BBVersion="!\x22#$%&'()*+,-./0", HWRevision="123456789:;<=>?@", SerialNumber="ABCDEFGHIJKLMNOP", BootCounter=1414746705, OperatingTime=1482118741, ManufacturingDate=59.5a.5c5b 5d:5e, MaintenanceTime=5f.60.6261 63:64}
| call 0x03 GetCPUInfo {CPUInfoSize=67305985, CPUClass=0x05, CPUCount=6, CPUSpeed=2055, CPUModel=9, CPUStepping=10, CPUString="\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f !\x22#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJ"} -> 0x0000 BIOS: SUCCESS {CPUInfoSize=67305985, CPUClass=0x05, CPUCount=6, CPUSpeed=2055, CPUModel=9, CPUStepping=10, CPUString="\x0b\x0c\x0d\x0e\x0f\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19\x1a\x1b\x1c\x1d\x1e\x1f !\x22#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJ"}
| call 0x04 GetBoardCfgSize {size=67305985} -> 0x0000 BIOS: SUCCESS {size=67305985}
| call 0x05 GetBoardCfg {config=128 bytes} -> 0x0000 BIOS: SUCCESS {config=128 bytes}
| call 0x06 SetBoardCfg {config=128 bytes} -> 0x0000 BIOS: SUCCESS {config=128 bytes}
| call 0x11 GetNVRamCount {count=67305985} -> 0x0000 BIOS: SUCCESS {count=67305985}
| call 0x12 GetNVRamInfo {index=67305985, NVRamType=134678021, NVRamSize=202050057, NVRamFlags=0x100f0e0d} -> 0x0000 BIOS: SUCCESS {index=67305985, NVRamType=134678021, NVRamSize=202050057, NVRamFlags=0x100f0e0d}
| call 0x13 ReadNVRam {index=67305985, offset=0x08070605, data=0x09} -> 0x0000 BIOS: SUCCESS {index=67305985, offset=0x08070605, data=0x09}
| call 0x14 WriteNVRam {index=67305985, offset=0x08070605, data=0x09} -> 0x0000 BIOS: SUCCESS {index=67305985, offset=0x08070605, data=0x09}
| call 0x15 GetNVDeviceInfo {index=67305985, NVDeviceInfoSize=134678021, NVManufacturerID=0x0a09, NVDeviceID=0x0c0b, NVBlockCount=269422093} -> 0x0000 BIOS: SUCCESS {index=67305985, NVDeviceInfoSize=134678021, NVManufacturerID=0x0a09, NVDeviceID=0x0c0b, NVBlockCount=269422093}
| call 0x16 QueryNVBlock {index=67305985, block=134678021, NVBlockInfoSize=202050057, NVBlockSize=269422093, NVBlockFlags=0x14131211} -> 0x0000 BIOS: SUCCESS {index=67305985, block=134678021, NVBlockInfoSize=202050057, NVBlockSize=269422093, NVBlockFlags=0x14131211}
| call 0x17 NVDeviceRaw {index=67305985, block=134678021, command=202050057} -> 0x0000 BIOS: SUCCESS {index=67305985, block=134678021, command=202050057}
| call 0x21 I2CRead8 {busid=1, devaddr=0x02, offset=0x0403, data=0x05, protocol=0x06} -> 0x0000 BIOS: SUCCESS {busid=1, devaddr=0x02, offset=0x0403, data=0x05, protocol=0x06}
| call 0x22 I2CWrite8 {busid=1, devaddr=0x02, offset=0x0403, data=0x05, protocol=0x06} -> 0x0000 BIOS: SUCCESS {busid=1, devaddr=0x02, offset=0x0403, data=0x05, protocol=0x06}
| call 0x23 I2CRead16 {busid=1, devaddr=0x02, offset=0x0403, data=0x0605, protocol=0x07} -> 0x0000 BIOS: SUCCESS {busid=1, devaddr=0x02, offset=0x0403, data=0x0605, protocol=0x07}
| call 0x24 I2CWrite16 {busid=1, devaddr=0x02, offset=0x0403, data=0x0605, protocol=0x07} -> 0x0000 BIOS: SUCCESS {busid=1, devaddr=0x02, offset=0x0403, data=0x0605, protocol=0x07}
| call 0x25 GetI2CBusCount {count=67305985} -> 0x0000 BIOS: SUCCESS {count=67305985}
| call 0x26 QueryI2CBus {index=67305985, I2CBusInfoSize=134678021, I2CBusID=9, I2CBusFlags=0x100f0e0d, I2CMaxBlockSize=336794129, I2CBusString="\x15\x16\x17\x18\x19\x1a\x1b\x1c"} -> 0x0000 BIOS: SUCCESS {index=67305985, I2CBusInfoSize=134678021, I2CBusID=9, I2CBusFlags=0x100f0e0d, I2CMaxBlockSize=336794129, I2CBusString="\x15\x16\x17\x18\x19\x1a\x1b\x1c"}
| call 0x27 I2CReadBlock {busid=1, devaddr=0x02, offset=0x0403, buffer=0605:0a090807, count=235736075, protocol=0x0f} -> 0x0000 BIOS: SUCCESS {busid=1, devaddr=0x02, offset=0x0403, buffer=0605:0a090807, count=235736075, protocol=0x0f}
| call 0x28 I2CWriteBlock {busid=1, devaddr=0x02, offset=0x0403, buffer=0605:0a090807, count=235736075, protocol=0x0f} -> 0x0000 BIOS: SUCCESS {busid=1, devaddr=0x02, offset=0x0403, buffer=0605:0a090807, count=235736075, protocol=0x0f}
| call 0x31 WDConfig {delay=513, timeout=1027, cmd=1541} -> 0x0000 BIOS: SUCCESS {delay=513, timeout=1027, cmd=1541}
| call 0x32 WDGetStatus {status=1} -> 0x0000 BIOS: SUCCESS {status=1}
| call 0x33 WDTrigger null -> 0x0000 BIOS: SUCCESS null
| call 0x41 BacklightCtrl {zero=1, on=0x02} -> 0x0000 BIOS: SUCCESS {zero=1, on=0x02}
| call 0x42 GetBacklightValue {zero=1, value=0x02} -> 0x0000 BIOS: SUCCESS {zero=1, value=0x02}
| call 0x43 SetBacklightValue {zero=1, value=0x02} -> 0x0000 BIOS: SUCCESS {zero=1, value=0x02}
| call 0x44 GetContrastValue {zero=1, value=0x02} -> 0x0000 BIOS: SUCCESS {zero=1, value=0x02}
| call 0x45 SetContrastValue {zero=1, value=0x02} -> 0x0000 BIOS: SUCCESS {zero=1, value=0x02}
| call 0x51 GetThermSensorCount {count=67305985} -> 0x0000 BIOS: SUCCESS {count=67305985}
| call 0x52 QueryThermSensor {index=67305985, TSensorInfoSize=134678021, SensorType=0x0c0b0a09, SensorString="\x0d\x0e\x0f\x10\x11\x12\x13\x14"} -> 0x0000 BIOS: SUCCESS {index=67305985, TSensorInfoSize=134678021, SensorType=0x0c0b0a09, SensorString="\x0d\x0e\x0f\x10\x11\x12\x13\x14"}
| call 0x53 GetThermSensorValue {index=67305985, celsius=134678021} -> 0x0000 BIOS: SUCCESS {index=67305985, celsius=134678021}
| call 0x54 GetVoltSensorCount {count=67305985} -> 0x0000 BIOS: SUCCESS {count=67305985}
| call 0x55 QueryVoltSensor {index=67305985, VSensorInfoSize=134678021, NominalValue=202050057, SensorString="\x0d\x0e\x0f\x10\x11\x12\x13\x14"} -> 0x0000 BIOS: SUCCESS {index=67305985, VSensorInfoSize=134678021, NominalValue=202050057, SensorString="\x0d\x0e\x0f\x10\x11\x12\x13\x14"}
| call 0x56 GetVoltSensorValue {index=67305985, millivolts=134678021} -> 0x0000 BIOS: SUCCESS {index=67305985, millivolts=134678021}
| call 0x61 GetSystemState {SystemStateSize=67305985, MiscState=0x08070605, PowerState=0x0c0b0a09} -> 0x0000 BIOS: SUCCESS {SystemStateSize=67305985, MiscState=0x08070605, PowerState=0x0c0b0a09}
| call 0x62 GetBatteryCount {count=67305985} -> 0x0000 BIOS: SUCCESS {count=67305985}
| call 0x63 GetBatteryInfo {index=67305985, BatteryInfoSize=134678021, PowerUnit=202050057, DesignCapacity=269422093, FullChargeCapacity=336794129, DesignVoltage=404166165, DeviceName="\x19\x1a\x1b\x1c\x1d\x1e\x1f !\x22#$%&'(", SerialNumber=")*+,-./012345678", BatteryType="9:;<=>?@ABCDEFGH", Manufacturer="IJKLMNOPQRSTUVWX"} -> 0x0000 BIOS: SUCCESS {index=67305985, BatteryInfoSize=134678021, PowerUnit=202050057, DesignCapacity=269422093, FullChargeCapacity=336794129, DesignVoltage=404166165, DeviceName="\x19\x1a\x1b\x1c\x1d\x1e\x1f !\x22#$%&'(", SerialNumber=")*+,-./012345678", BatteryType="9:;<=>?@ABCDEFGH", Manufacturer="IJKLMNOPQRSTUVWX"}
| call 0x64 GetBatteryState {index=67305985, BatteryStateSize=134678021, Status=0x0c0b0a09, CurrentRate=269422093, RemainingCapacity=336794129, Voltage=404166165} -> 0x0000 BIOS: SUCCESS {index=67305985, BatteryStateSize=134678021, Status=0x0c0b0a09, CurrentRate=269422093, RemainingCapacity=336794129, Voltage=404166165}
| call 0x71 OEMPassThru {value=0x04030201, buffer=0605:0a090807} -> 0x0000 BIOS: SUCCESS {value=0x04030201, buffer=0605:0a090807}
= 0

# ornsim-ctl steers a board through its state file and refuses bad input
# with one line; its usage goes to standard output when asked with --help,
# to standard error when no command is given.
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
$ set temp 0 2147483648
! ornsim-ctl: bad value '2147483648' (-2147483648 to 2147483647)
= 2
program: ornsim-ctl
$ set temp 0 2147483647
= 0
program: ornsim-ctl
$ set temp 0 -2147483648
= 0
program: ornsim-ctl
$ set temp 0 -2147483649
! ornsim-ctl: bad value '-2147483649' (-2147483648 to 2147483647)
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
program: ornsim-ctl
$ --help
| usage: ornsim-ctl advance DURATION | power-on | show |
|        set temp N VALUE | set volt N VALUE | set battery N charge|state|rate|voltage VALUE |
|        set system misc|power VALUE
| DURATION: a whole number with ms, s, m or h (90s); the board and its state file are
| named by ORNSIM_BOARD and ORNSIM_STATE
= 0
program: ornsim-ctl
$
! usage: ornsim-ctl advance DURATION | power-on | show |
!        set temp N VALUE | set volt N VALUE | set battery N charge|state|rate|voltage VALUE |
!        set system misc|power VALUE
! DURATION: a whole number with ms, s, m or h (90s); the board and its state file are
! named by ORNSIM_BOARD and ORNSIM_STATE
= 2
state: off
program: ornsim-ctl
$ show
! ornsim-ctl: ORNSIM_STATE is not set: a board is steered through its state file
= 1
