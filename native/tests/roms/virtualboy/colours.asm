; A Virtual Boy cartridge, V810 code hand-encoded through the macros below (nasm
; only lays out bytes): the whole screen the backdrop, bright red, black while A
; is held. 64 KiB; the console starts at the ROM's last 16 bytes (FFFFFFF0).

; Format V: reg2 = reg1 op imm16
%macro movea 3 ; imm, reg1, reg2: reg2 = reg1 + imm (sign-extended)
        dw (0x28 << 10) | (%3 << 5) | %2, (%1) & 0xFFFF
%endmacro
%macro movhi 3 ; imm, reg1, reg2: reg2 = reg1 + (imm << 16)
        dw (0x2F << 10) | (%3 << 5) | %2, (%1) & 0xFFFF
%endmacro
%macro andi 3  ; imm, reg1, reg2: reg2 = reg1 & imm
        dw (0x2D << 10) | (%3 << 5) | %2, (%1) & 0xFFFF
%endmacro
; Format VI: loads and stores at disp16[reg1]
%macro ld_b 3  ; disp, reg1, reg2
        dw (0x30 << 10) | (%3 << 5) | %2, (%1) & 0xFFFF
%endmacro
%macro st_b 3  ; reg2, disp, reg1
        dw (0x34 << 10) | (%1 << 5) | %3, (%2) & 0xFFFF
%endmacro
%macro st_h 3  ; reg2, disp, reg1
        dw (0x35 << 10) | (%1 << 5) | %3, (%2) & 0xFFFF
%endmacro
; Format III: conditional branches, 9-bit displacement from the branch itself
%macro bcond 2 ; condition, target
        dw 0x8000 | (%1 << 9) | ((%2 - $) & 0x1FF)
%endmacro
%define Z 2
%define NZ 10
%define ALWAYS 5

        org 0
start:
        movhi 0x0006, 0, 10     ; r10: the display unit's registers, 0005F800
        movea -0x800, 10, 10
        movea 127, 0, 11        ; every brightness at its brightest
        st_h 11, 0x24, 10
        st_h 11, 0x26, 10
        st_h 11, 0x28, 10
        movea 0x0302, 0, 11     ; display on, synchronised
        st_h 11, 0x22, 10
        movea 2, 0, 11          ; drawing on
        st_h 11, 0x42, 10
        movhi 0x0200, 0, 12     ; r12: the pad's registers, 02000000
loop:
        movea 4, 0, 11          ; read the pad
        st_b 11, 0x28, 12
busy:
        ld_b 0x28, 12, 13
        andi 2, 13, 13
        bcond NZ, busy
        ld_b 0x10, 12, 13       ; low byte: bit 2 is A
        andi 4, 13, 13
        movea 1, 0, 11          ; backdrop: brightness A
        bcond Z, show
        movea 0, 0, 11          ; black
show:
        st_h 11, 0x70, 10
        bcond ALWAYS, loop

        times 0xFDE0 - ($ - $$) db 0
        db "TOVARUNE COLOURS    "   ; the header: title, maker, game, version
        times 5 db 0
        db "TV", "TVCE", 0
        times 0xFFF0 - ($ - $$) db 0
        ; JR (format IV, 26-bit displacement) back to the start of the ROM
        dw (0x2A << 10) | ((-0xFFF0 >> 16) & 0x3FF), -0xFFF0 & 0xFFFF
        times 0x10000 - ($ - $$) db 0
