/* SPDX-License-Identifier: MIT
 * Copyright (c) 2026 The ornsys authors */
/* compat-gate.S - the 64-bit process's way into 32-bit firmware code: a
 * far jump to the kernel's 32-bit user code segment, the directory call or
 * the ZOKA service frame built there exactly as a 32-bit process builds it,
 * and a far return to 64-bit code. The code is copied to memory below
 * 4 GiB at run time (it is position-independent) and entered with a frame,
 * also below 4 GiB:
 *
 *   +0  entry (32-bit address)   +4  mode: 0 directory, 1 service
 *   +8  EAX in/out               +12 EBX out
 *   +16 EDX out                  +20 function      +24 block
 *   +28 32-bit stack top         +32 saved RSP (8 bytes)
 *   +40 saved DS, +42 saved ES   +44 far pointer to the 32-bit part (offset, selector)
 *   +50 the 64-bit code selector
 */
        .intel_syntax noprefix
        .section .rodata
        .globl ornsys_compat_code, ornsys_compat_enter, ornsys_compat_code_end
        .hidden ornsys_compat_code, ornsys_compat_enter, ornsys_compat_code_end
        .balign 64
ornsys_compat_code:

/* void enter(frame* rdi) */
        .code64
ornsys_compat_enter:
        push rbx
        push rbp
        push r12
        push r13
        push r14
        push r15
        mov [rdi + 32], rsp
        mov ax, ds
        mov [rdi + 40], ax
        mov ax, es
        mov [rdi + 42], ax
        mov ax, cs
        mov [rdi + 50], ax
        lea rax, [rip + thunk32]
        mov [rdi + 44], eax
        mov ebp, edi
        mov esp, [rdi + 28]
        jmp fword ptr [rdi + 44]

        .code32
thunk32:
        mov ax, ss                  /* flat data for the firmware */
        mov ds, ax
        mov es, ax
        cmp dword ptr [ebp + 4], 0
        jne service
        push ebp                    /* directory: EAX = identifier, EBX = 0 */
        mov eax, [ebp + 8]
        xor ebx, ebx
        mov ecx, cs
        movzx ecx, cx
        push ecx
        call dword ptr [ebp]        /* it ends with a far return */
        cld
        pop ebp
        mov ss:[ebp + 8], eax
        mov ss:[ebp + 12], ebx
        mov ss:[ebp + 16], edx
        jmp back

service:
        push ebp
        mov ecx, ds
        movzx ecx, cx
        push ecx                    /* DS, DS, block, function, CS */
        push ecx
        push dword ptr [ebp + 24]
        push dword ptr [ebp + 20]
        mov ecx, cs
        movzx ecx, cx
        push ecx
        call dword ptr [ebp]        /* the service ends with a far return */
        cld
        add esp, 16                 /* function, block and the DS slots */
        pop ebp
        mov ss:[ebp + 8], eax

back:
        mov ax, ss
        mov ds, ax
        mov es, ax
        call here
here:
        pop ecx
        .att_syntax                 /* a difference of labels as an immediate, for every assembler */
        addl $(back64 - here), %ecx
        .intel_syntax noprefix
        movzx eax, word ptr [ebp + 50]
        push eax
        push ecx
        retf                        /* into 64-bit code */

        .code64
back64:
        mov edi, ebp
        mov rsp, [rdi + 32]
        mov ax, [rdi + 40]
        mov ds, ax
        mov ax, [rdi + 42]
        mov es, ax
        pop r15
        pop r14
        pop r13
        pop r12
        pop rbp
        pop rbx
        ret
ornsys_compat_code_end:

        .section .note.GNU-stack, "", @progbits
