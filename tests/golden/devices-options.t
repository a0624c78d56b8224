# ornsys-devices' command line: what it refuses before it opens the board
# or makes a device, and its help and version.
program: ornsys-devices
$ --help
| usage: ornsys-devices [--watchdog NAME] [--group GROUP] [--timeout SECONDS] [--max-timeout SECONDS]
|                       [--i2c-first N] [--i2c-group GROUP] [--no-i2c]
|        ornsys-devices --help | --version
= 0

program: ornsys-devices
$ --version
| ornsys-devices 2.0.6
= 0

program: ornsys-devices
$ --timeout 0
! ornsys-devices: --timeout takes whole seconds from 1 to 65535
= 2

program: ornsys-devices
$ --max-timeout 65536
! ornsys-devices: --max-timeout takes whole seconds from 1 to 65535
= 2

program: ornsys-devices
$ --timeout 1x
! ornsys-devices: --timeout takes whole seconds from 1 to 65535
= 2

program: ornsys-devices
$ --i2c-first 1001
! ornsys-devices: --i2c-first takes a number from 0 to 1000
= 2

program: ornsys-devices
$ --watchdog a/b
! ornsys-devices: --watchdog takes a device name without '/'
= 2

program: ornsys-devices
$ --watchdog
! usage: ornsys-devices [--watchdog NAME] [--group GROUP] [--timeout SECONDS] [--max-timeout SECONDS]
!                       [--i2c-first N] [--i2c-group GROUP] [--no-i2c]
!        ornsys-devices --help | --version
= 2

program: ornsys-devices
$ --no-i2c --unknown
! usage: ornsys-devices [--watchdog NAME] [--group GROUP] [--timeout SECONDS] [--max-timeout SECONDS]
!                       [--i2c-first N] [--i2c-group GROUP] [--no-i2c]
!        ornsys-devices --help | --version
= 2

# Every option with a value it takes: past the command line, the board's
# open is what fails here (a board file that is not there).
program: ornsys-devices
env: ORNSIM_BOARD=/nonexistent.board
$ --watchdog wd --group adm --timeout 5 --max-timeout 65535 --i2c-first 0 --i2c-group adm --no-i2c
! ornsim: /nonexistent.board:0: cannot read board file: No such file or directory
! ornsys-devices: the board cannot be opened: 0x8100 DLL: starting Win32 driver failed (register device)
= 1
