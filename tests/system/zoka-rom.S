/* SPDX-License-Identifier: MIT
 * Copyright (c) 2026 The ornsys authors */
/* zoka-rom.S - an option ROM that gives a PC (qemu with SeaBIOS) a BIOS32
 * Service Directory that knows ZOKA, and a small ZOKA service over the
 * machine's real hardware: board and CPU identity, one NVRAM that is the
 * CMOS behind ports 0x70/0x71 (read and written), a watchdog that takes
 * every command, one temperature sensor, the OEM pass-through (whose value
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

/* Real mode, called once by the BIOS: records the ROM's physical address. */
init16:
        pushad
        push es
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
        cmp eax, 0x31
        je ok
        cmp eax, 0x32
        je wd_status
        cmp eax, 0x33
        je ok
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

wd_status:
        mov byte ptr [edi], 0
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
