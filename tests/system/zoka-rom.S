/* SPDX-License-Identifier: MIT
 * Copyright (c) 2026 The ornsys authors */
/* zoka-rom.S - an option ROM that gives a PC (qemu with SeaBIOS) a BIOS32
 * Service Directory that knows ZOKA, and a small ZOKA service over the
 * machine's real hardware: board and CPU identity, one NVRAM that is the
 * CMOS behind ports 0x70/0x71 (read and written), a watchdog that drives
 * qemu's iBASE 700 (-device ib700: port 0x443 starts it or feeds it with
 * a timeout index, 0x441 stops it), one I2C bus that is the PIIX4's SMBus
 * (qemu's PC has SPD EEPROMs at 0x50 to 0x57 on it), one temperature sensor, the OEM pass-through (whose value
 * "SPIN" never returns: a process killed inside the firmware), and a
 * battery-information call that returns with the direction flag set (a
 * misbehaving firmware). Every other function answers 0x8000.
 *
 * The BIOS32 header, the directory and the service lie 64 KiB into the ROM,
 * so that they land in 0xD0000-0xFFFFF wherever the BIOS places the ROM.
 * The directory and the service run at whatever address the caller maps
 * them to, so their code is position-independent; the ROM's real-mode
 * initialisation writes its physical address where the header and the
 * directory need it. tests/system/make-rom pads the image and sets its size
 * and checksum. */

        .intel_syntax noprefix
        .set HIGH, 0x10000          /* where the 32-bit part starts */

        .section .text
        .code16
        .globl _start
_start:
        .byte 0x55, 0xAA, 0         /* signature; size set by make-rom */
        jmp init16

/* The watchdog keeps its state in the last two CMOS bytes, the one memory
 * that is writable and lasts across a reset: 0x7F is 0x80 plus the running
 * watchdog's timeout index, 0 while it is stopped; 0x7E says whether the
 * last reset found it running (1: a watchdog reset). */
        .set WD_RUNNING, 0x7F
        .set WD_LAST_RESET, 0x7E

/* Real mode, called by the BIOS at every boot: records the ROM's physical
 * address and why the machine was reset. */
init16:
        pushad
        push es
        mov al, WD_RUNNING
        out 0x70, al
        in al, 0x71
        shr al, 7                   /* 1 when the watchdog ran at the reset */
        mov ah, al
        mov al, WD_LAST_RESET
        out 0x70, al
        mov al, ah
        out 0x71, al
        mov al, WD_RUNNING
        out 0x70, al
        xor al, al
        out 0x71, al
        mov ax, cs
        add ax, HIGH >> 4           /* ES:0 = the 32-bit part */
        mov es, ax
        xor eax, eax
        mov ax, cs
        shl eax, 4                  /* physical address of the ROM */
        mov es:[rom_base - HIGH], eax
        add eax, OFFSET directory
        mov es:[header + 4 - HIGH], eax
        mov byte ptr es:[header + 10 - HIGH], 0
        xor di, di
        xor al, al
1:      add al, es:[header - HIGH + di]
        inc di
        cmp di, 16
        jb 1b
        neg al
        mov es:[header + 10 - HIGH], al
        pop es
        popad
        retf

        .org HIGH
        .code32
header: .ascii "_32_"               /* BIOS32 Service Directory header */
        .long 0                     /* entry point: set by init16 */
        .byte 0, 1, 0, 0, 0, 0, 0, 0
rom_base:
        .long 0                     /* the ROM's physical address: set by init16 */

/* The directory: EAX = service identifier; answers AL = 0 with EBX = the
 * service's physical base and EDX = its entry's offset, or AL = 0x80. */
        .balign 16
directory:
        cmp eax, 0x414B4F5A         /* "ZOKA" */
        jne 2f
        call dir_here
dir_here:
        pop ebx
        mov ebx, [ebx + rom_base - dir_here]
        mov edx, OFFSET service
        xor al, al
        lret
2:      mov al, 0x80
        lret

/* The service. Frame: [esp] return, [esp+4] CS, [esp+8] function,
 * [esp+12] block; the status goes back in AX. EBP and ESI are kept. */
        .balign 16
service:
        push ebp
        push esi
        mov ebp, esp                /* [ebp+16] function, [ebp+20] block */
        call svc_here
svc_here:
        pop esi                     /* where the ROM's start stands at run time */
        sub esi, OFFSET svc_here
        mov edi, [ebp + 20]
        mov eax, [ebp + 16]
        cmp eax, 0x01
        je board_info
        cmp eax, 0x03
        je cpu_info
        cmp eax, 0x11
        je count_one
        cmp eax, 0x12
        je nvram_info
        cmp eax, 0x13
        je nvram_read
        cmp eax, 0x14
        je nvram_write
        cmp eax, 0x21
        je i2c_read8
        cmp eax, 0x22
        je i2c_write8
        cmp eax, 0x23
        je i2c_read16
        cmp eax, 0x24
        je i2c_write16
        cmp eax, 0x25
        je count_one
        cmp eax, 0x26
        je i2c_query
        cmp eax, 0x27
        je i2c_read_block
        cmp eax, 0x28
        je i2c_write_block
        cmp eax, 0x31
        je wd_config
        cmp eax, 0x32
        je wd_status
        cmp eax, 0x33
        je wd_trigger
        cmp eax, 0x51
        je count_one
        cmp eax, 0x52
        je temp_query
        cmp eax, 0x53
        je temp_value
        cmp eax, 0x63
        je direction_set
        cmp eax, 0x71
        je pass_through
        mov eax, 0x8000
        jmp done
ok:     xor eax, eax
done:   pop esi
        pop ebp
        lret

/* Copies ECX bytes from the ROM's data at EDX (an offset) to EDI. */
copy_out:
        push esi
        add esi, edx
        cld
        rep movsb
        pop esi
        ret

board_info:
        mov edx, OFFSET board_data
        mov ecx, 100
        call copy_out
        jmp ok

cpu_info:
        cmp dword ptr [edi], 76
        jb out_of_range
        add edi, 4
        mov edx, OFFSET cpu_data
        mov ecx, 70
        call copy_out
        jmp ok

count_one:
        mov dword ptr [edi], 1
        jmp ok

nvram_info:                         /* {index, type, size, flags} */
        cmp dword ptr [edi], 0
        jne nvram_index
        mov dword ptr [edi + 4], 0      /* user CMOS */
        mov dword ptr [edi + 8], 128
        mov dword ptr [edi + 12], 3     /* readable and writable */
        jmp ok

nvram_read:                         /* {index, offset, data}: the real CMOS */
        cmp dword ptr [edi], 0
        jne nvram_index
        mov eax, [edi + 4]
        cmp eax, 128
        jae out_of_range
        out 0x70, al
        in al, 0x71
        mov [edi + 8], al
        jmp ok

nvram_write:                        /* {index, offset, data}: the real CMOS */
        cmp dword ptr [edi], 0
        jne nvram_index
        mov eax, [edi + 4]
        cmp eax, 128
        jae out_of_range
        out 0x70, al
        mov al, [edi + 8]
        out 0x71, al
        jmp ok

nvram_index:
        mov eax, 0x8033
        jmp done
out_of_range:
        mov eax, 0x8051
        jmp done

/* The I2C bus, id 0: the PIIX4's SMBus (PCI 0:1.3, its I/O base in
 * configuration register 0x90). Addresses are 7-bit; protocol 0 moves bytes
 * at the device's own pointer (SMBus receive and send byte), 1 names an
 * 8-bit offset (byte and word data), and 2 (16-bit offsets) is not there.
 * Blocks move a byte at a time, 32 at most. */
i2c_query:                          /* {index, I2CBUSINFO} */
        cmp dword ptr [edi], 0
        jne i2c_bus_index
        cmp dword ptr [edi + 4], 24
        jb out_of_range
        mov dword ptr [edi + 8], 0      /* id 0, reserved */
        mov dword ptr [edi + 12], 0     /* flags */
        mov dword ptr [edi + 16], 32    /* the largest block */
        mov dword ptr [edi + 20], 0x58494950    /* "PIIX4SMB" */
        mov dword ptr [edi + 24], 0x424D5334
        jmp ok

/* Checks bus and protocol of the block at EDI; AH the SMBus protocol for
 * a byte (0x04 at the pointer, 0x08 at the offset), BL the address byte for
 * a read, BH the offset. Returns to the caller's caller with the status on
 * a wrong bus or protocol. */
i2c_setup:
        cmp byte ptr [edi], 0
        jne 1f
        mov bl, [edi + 1]
        shl bl, 1
        or bl, 1
        mov bh, [edi + 2]
        mov al, [edi + 14]              /* a transfer block's protocol */
        cmp dword ptr [ebp + 16], 0x27
        jae 2f
        mov al, [edi + 5]               /* a byte block's */
        cmp dword ptr [ebp + 16], 0x23
        jb 2f
        mov al, [edi + 6]               /* a word block's */
2:      and al, 0x7F
        mov ah, 0x04
        cmp al, 0
        je 3f
        mov ah, 0x08
        cmp al, 1
        jne 4f
3:      ret
1:      add esp, 4
        jmp i2c_bus_index
4:      add esp, 4
        mov eax, 0x8023
        jmp done

i2c_read8:
        call i2c_setup
        call smb_xfer
        jc i2c_no_ack
        mov [edi + 4], cl
        jmp ok

i2c_write8:                         /* send byte: the data as the command */
        call i2c_setup
        and bl, 0xFE
        mov cl, [edi + 4]
        cmp ah, 0x04
        jne 1f
        mov bh, cl
1:      call smb_xfer
        jc i2c_no_ack
        jmp ok

i2c_read16:                         /* word data only */
        call i2c_setup
        cmp ah, 0x08
        jne i2c_protocol
        mov ah, 0x0C
        call smb_xfer
        jc i2c_no_ack
        mov [edi + 4], cx
        jmp ok

i2c_write16:
        call i2c_setup
        cmp ah, 0x08
        jne i2c_protocol
        mov ah, 0x0C
        and bl, 0xFE
        mov cx, [edi + 4]
        call smb_xfer
        jc i2c_no_ack
        jmp ok

/* {bus, address, offset, far buffer, count, protocol}: EBP the buffer, ESI
 * the bytes moved (both restored by `done`). */
i2c_read_block:
        call i2c_setup
        call i2c_block_start
1:      cmp esi, [edi + 10]
        jae ok
        call smb_xfer
        jc i2c_no_ack
        mov [ebp + esi], cl
        inc esi
        inc bh
        jmp 1b

i2c_write_block:
        call i2c_setup
        and bl, 0xFE
        call i2c_block_start
1:      cmp esi, [edi + 10]
        jae ok
        mov cl, [ebp + esi]
        cmp ah, 0x04
        jne 2f
        mov bh, cl                      /* send byte */
2:      call smb_xfer
        jc i2c_no_ack
        inc esi
        inc bh
        jmp 1b

i2c_block_start:                    /* the count cut to 32, EBP, ESI */
        cmp dword ptr [edi + 10], 32
        jbe 1f
        mov dword ptr [edi + 10], 32
1:      mov ebp, [edi + 6]
        xor esi, esi
        ret

i2c_bus_index:
        mov eax, 0x8021
        jmp done
i2c_no_ack:
        mov eax, 0x8022
        jmp done
i2c_protocol:
        mov eax, 0x8023
        jmp done

/* One SMBus transaction: AH the protocol (0x04 byte, 0x08 byte data, 0x0C
 * word data), BL the address byte (address << 1, 1 to read), BH the
 * command, CX the data (low byte first). Back: CX the data; CF set when the
 * device did not answer or there is no SMBus. EAX and EDX change. */
smb_xfer:
        push esi
        push eax
        mov eax, 0x80000B90
        mov dx, 0xCF8
        out dx, eax
        mov dx, 0xCFC
        in eax, dx
        and eax, 0xFFF0
        jz 8f
        mov edx, eax                    /* HSTSTS */
        mov al, 0x1E
        out dx, al                      /* clears what the last one left */
        add dx, 3
        mov al, bh
        out dx, al                      /* HSTCMD */
        inc dx
        mov al, bl
        out dx, al                      /* HSTADD */
        inc dx
        mov al, cl
        out dx, al                      /* HSTDAT0 */
        inc dx
        mov al, ch
        out dx, al                      /* HSTDAT1 */
        sub dx, 4                       /* HSTCNT */
        mov eax, [esp]
        mov al, ah
        or al, 0x40
        out dx, al                      /* start */
        sub dx, 2                       /* HSTSTS */
        mov esi, 100000
7:      in al, dx
        test al, 0x1C                   /* failed, collision, no answer */
        jnz 8f
        test al, 0x02                   /* done */
        jnz 6f
        dec esi
        jnz 7b
        jmp 8f
6:      add dx, 5
        in al, dx
        mov cl, al                      /* HSTDAT0 */
        inc dx
        in al, dx
        mov ch, al                      /* HSTDAT1 */
        pop eax
        pop esi
        clc
        ret
8:      pop eax
        pop esi
        stc
        ret

/* {delay, timeout, command} in seconds: command 1 starts the watchdog, its
 * first deadline the delay (or the timeout, when the delay is 0), each
 * trigger then the timeout; 0 stops it; other commands are taken and do
 * nothing. The iBASE 700 counts 0 to 30 s in steps of 2 (index 15 - s/2):
 * a time is rounded up to the next step, and 0 or above 30 is refused. */
wd_config:
        movzx eax, word ptr [edi + 4]
        cmp eax, 1
        je wd_start
        test eax, eax
        jnz ok
        mov dx, 0x441
        out dx, al                  /* any write stops it */
        mov ah, 0
        jmp wd_keep
wd_start:
        movzx eax, word ptr [edi + 2]   /* the timeout */
        call wd_index
        jc out_of_range
        mov cl, al                      /* its index, kept for the triggers */
        movzx eax, word ptr [edi]       /* the delay */
        test eax, eax
        jz 3f
        call wd_index
        jc out_of_range
        jmp 4f
3:      mov al, cl
4:      mov dx, 0x443
        out dx, al                      /* started: the first deadline */
        mov ah, cl
        or ah, 0x80
wd_keep:                            /* AH into CMOS WD_RUNNING */
        mov al, WD_RUNNING
        out 0x70, al
        mov al, ah
        out 0x71, al
        jmp ok

/* EAX seconds -> AL the iBASE 700's index; CF set for 0 or above 30. */
wd_index:
        test eax, eax
        jz 5f
        cmp eax, 30
        ja 5f
        inc eax
        shr eax, 1                  /* whole steps of 2 s, rounded up */
        neg eax
        add eax, 15
        clc
        ret
5:      stc
        ret

wd_trigger:                         /* feeds a running watchdog */
        mov al, WD_RUNNING
        out 0x70, al
        in al, 0x71
        test al, 0x80
        jz ok
        and al, 0x0F
        mov dx, 0x443
        out dx, al
        jmp ok

wd_status:                          /* 1 when the last reset was the watchdog's */
        mov al, WD_LAST_RESET
        out 0x70, al
        in al, 0x71
        mov [edi], al
        jmp ok

temp_query:                         /* {index, size, type, name[8]} */
        cmp dword ptr [edi], 0
        jne not_present
        cmp dword ptr [edi + 4], 16
        jb out_of_range
        mov dword ptr [edi + 8], 0
        mov dword ptr [edi + 12], 0x204D4F52    /* "ROM " */
        mov dword ptr [edi + 16], 0x00555043    /* "CPU" */
        jmp ok
temp_value:                         /* {index, value} */
        cmp dword ptr [edi], 0
        jne not_present
        mov dword ptr [edi + 4], 42
        jmp ok
not_present:
        mov eax, 0x8041
        jmp done

direction_set:                      /* answers success, and leaves DF set */
        std
        jmp ok

pass_through:                       /* {value, far pointer}: value into the buffer */
        cmp dword ptr [edi], 0x4E495053 /* "SPIN": a call that never returns */
        je spin
        mov ecx, [edi]
        mov edx, [edi + 6]
        mov [edx], ecx
        jmp ok

spin:   pause
        jmp spin

        .balign 4
board_data:                         /* BOARDINFO */
        .ascii "ORN-QEMU-ROM"
        .fill 4, 1, 0
        .ascii "SeaBIOS+ZOKA"
        .fill 4, 1, 0
        .ascii "BB 1.0"
        .fill 10, 1, 0
        .ascii "Rev. Q"
        .fill 10, 1, 0
        .ascii "QEMU-0001"
        .fill 7, 1, 0
        .long 7                     /* boot counter */
        .long 1234                  /* operating time */
        .byte 0x05, 0x12, 0x26, 0x20, 0x12, 0x00   /* 05.12.2026 12:00, BCD */
        .byte 0x05, 0x12, 0x26, 0x20, 0x12, 0x30
cpu_data:                           /* CPUINFO after its size field */
        .byte 0x0F, 1               /* class x86, one CPU */
        .short 0                    /* speed unknown */
        .byte 0, 0
        .ascii "QEMU virtual CPU"
        .fill 48, 1, 0
        .byte 0, 0
