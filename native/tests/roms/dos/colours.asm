; A DOS program for DOSBox: VGA mode 13h (320x200, 70 Hz), every pixel colour
; 0, whose DAC entry is blue; a key switches to mode 12h (640x480, 60 Hz: the
; game's frame rate changes) with colour 0 red, and sounds a tone on the PC
; speaker. Escape quits to the prompt.
        org 0x100
        mov ax, 0x0013          ; cleared to colour 0
        int 0x10
        mov bl, 0
        mov bh, 63
        call set_colour         ; blue
wait_key:
        mov ah, 0x00            ; wait for a key
        int 0x16
        cmp al, 27
        je quit
        mov ax, 0x0012          ; cleared to colour 0
        int 0x10
        mov bl, 63
        mov bh, 0
        call set_colour         ; red
        mov al, 0xB6            ; PIT channel 2, square wave: the speaker
        out 0x43, al
        mov ax, 2712            ; 1193182 / 440 Hz
        out 0x42, al
        mov al, ah
        out 0x42, al
        in al, 0x61
        or al, 3
        out 0x61, al
        jmp wait_key
quit:
        in al, 0x61
        and al, 0xFC
        out 0x61, al
        mov ax, 0x0003
        int 0x10
        ret

; DAC entry 0: red BL, green 0, blue BH (6-bit channels).
set_colour:
        mov dx, 0x3C8
        xor al, al
        out dx, al
        inc dx
        mov al, bl
        out dx, al
        xor al, al
        out dx, al
        mov al, bh
        out dx, al
        ret
