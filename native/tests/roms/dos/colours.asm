; A DOS program for DOSBox: VGA mode 13h (320x200, 70 Hz), the whole screen
; one colour, blue until a key is typed, then red; the PC speaker sounds a
; tone while the screen is red. Escape quits to the prompt.
        org 0x100
        mov ax, 0x0013          ; 320x200, 256 colours
        int 0x10
        call set_palette
        mov bl, 1
        call fill
wait_key:
        mov ah, 0x00            ; wait for a key
        int 0x16
        cmp al, 27
        je quit
        mov bl, 2               ; colour 2: pure red
        call fill
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

; DAC entries 1 (blue) and 2 (red), 6-bit channels.
set_palette:
        mov dx, 0x3C8
        mov al, 1
        out dx, al
        inc dx
        xor al, al
        out dx, al
        out dx, al
        mov al, 63
        out dx, al
        out dx, al
        xor al, al
        out dx, al
        out dx, al
        ret

; Fills the screen with colour BL.
fill:
        push es
        mov ax, 0xA000
        mov es, ax
        xor di, di
        mov al, bl
        mov cx, 320 * 200
        rep stosb
        pop es
        ret
