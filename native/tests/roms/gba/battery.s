; Battery-RAM (SRAM) test cartridge. Each frame it stores a record at the
; start of SRAM (byte access only):
;   +0 marker $54, +1 held buttons, +2/+3 frame counter (little endian),
;   +4 shoulder buttons.
; Buttons byte (+1): bit0 A, 1 B, 2 Select, 3 Start, 4 Right, 5 Left, 6 Up,
; 7 Down (KEYINPUT low byte, inverted). Byte +4: bit0 R, bit1 L.
; Mode 0 with no layers shows only the backdrop colour, changing while A is
; held.

        .include "arm.inc"

REG_BASE = $04000000            ; I/O offsets below are from here
DISPCNT  = $000
VCOUNT   = $006
KEYINPUT = $130
PALETTE  = $05000000
SRAM     = $0E000000
MARKER   = $54

COLOR_RELEASED = (0 << 10) | (16 << 5) | 31    ; orange (BGR555)
COLOR_HELD     = (31 << 10) | (8 << 5) | 0     ; blue

.define TITLE "TOVARUNEBATT"    ; 12 bytes
.define CODE  "ZTVB"
.define MAKER "00"

; Complement check over $A0-$BC, computed so the header stays valid when
; the fields change.
hsum .set $96
.repeat 12, i
hsum .set hsum + .strat(TITLE, i)
.endrep
.repeat 4, i
hsum .set hsum + .strat(CODE, i)
.endrep
hsum .set hsum + .strat(MAKER, 0) + .strat(MAKER, 1)
HEADER_CHECK = (0 - hsum - $19) & $FF

.segment "HEADER"
        b       start
        .res    $9C, 0          ; logo area, left zeroed
        .byte   TITLE, CODE, MAKER
        .byte   $96             ; fixed value
        .byte   0, 0            ; unit code, device type
        .res    7, 0
        .byte   0               ; version
        .byte   HEADER_CHECK
        .res    2, 0

.segment "CODE"
start:
        mov_i   r0, REG_BASE
        mov_i   r1, 0
        strh    r1, r0, DISPCNT ; mode 0, no layers, forced blank off
        mov_i   r8, PALETTE
        mov_i   r2, SRAM
        ldrb    r3, r2, 0
        cmp_i   r3, MARKER
        bne     fresh
        ldrb    r4, r2, 2       ; r4 = frame counter, kept from SRAM
        ldrb    r5, r2, 3
        orr_lsl r4, r4, r5, 8
        b       loop
fresh:  mov_i   r4, 0

loop:
        ; One pass per frame: leave the current vblank, then wait for the
        ; next one.
leave_vblank:
        ldrh    r1, r0, VCOUNT
        cmp_i   r1, 160
        bhs     leave_vblank
enter_vblank:
        ldrh    r1, r0, VCOUNT
        cmp_i   r1, 160
        blo     enter_vblank

        add_i   r6, r0, KEYINPUT
        ldrh    r1, r6, 0
        mvn_r   r1, r1          ; KEYINPUT is active low
        mov_i   r3, MARKER
        strb    r3, r2, 0
        strb    r1, r2, 1
        mov_lsr r7, r1, 8
        and_i   r7, r7, 3
        strb    r7, r2, 4

        tst_i   r1, 1
        bne     held
        mov_i   r3, COLOR_RELEASED & $00FF
        orr_i   r3, r3, COLOR_RELEASED & $FF00
        b       paint
held:   mov_i   r3, COLOR_HELD & $00FF
        orr_i   r3, r3, COLOR_HELD & $FF00
paint:  strh    r3, r8, 0       ; palette entry 0 = backdrop

        add_i   r4, r4, 1
        mov_lsl r4, r4, 16      ; wrap at 16 bits
        mov_lsr r4, r4, 16
        strb    r4, r2, 2
        mov_lsr r5, r4, 8
        strb    r5, r2, 3
        b       loop

.segment "RODATA"
        ; mGBA picks the save type from this tag.
        .byte   "SRAM_V113", 0
