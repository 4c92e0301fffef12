; A WonderSwan Color cartridge for the V30 (8086 code): colour mode, no layers
; shown, so the whole screen is the backdrop, blue, red while A is held.
; 64 KiB: the console maps its last 64 KiB at F000:0000, and starts at the far
; jump in the header, the ROM's last 16 bytes.
        cpu 8086
        org 0
start:
        cli
        xor ax, ax
        mov ds, ax
        mov ss, ax
        mov sp, 0x2000
        mov al, 0x80            ; colour mode, 2 bits per pixel
        out 0x60, al
        xor al, al
        out 0x00, al            ; no layers, no sprites
        out 0x01, al            ; backdrop: palette 0, colour 0
        mov al, 1
        out 0x14, al            ; LCD on
main:
        mov al, 0x40            ; the button row of the keypad
        out 0xB5, al
        in al, 0xB5
        in al, 0xB5
        mov bx, 0x000F          ; blue (0RGB, 4 bits each)
        test al, 0x04           ; A
        jz show
        mov bx, 0x0F00          ; red
show:
        mov [0xFE00], bx        ; palette 0, colour 0
        jmp main

        times 0xFFF0 - ($ - $$) db 0xFF
        jmp 0xF000:start        ; the console starts here
        db 0                    ; maintenance
        db 0                    ; publisher
        db 1                    ; a WonderSwan Color game
        db 0, 0                 ; game id, version
        db 0                    ; ROM size: 1 Mbit
        db 0                    ; no save
        db 4                    ; horizontal, 16-bit bus
        db 0                    ; no clock
        dw 0                    ; checksum
