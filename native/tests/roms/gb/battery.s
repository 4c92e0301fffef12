; Battery-RAM test cartridge (MBC1+RAM+BATTERY, 32 KiB ROM, 8 KiB RAM).
; Each frame it stores a record at $A000:
;   +0 marker $54, +1 held buttons, +2/+3 frame counter (little endian).
; Buttons byte: bit0 A, 1 B, 2 Select, 3 Start, 4 Right, 5 Left, 6 Up, 7 Down.
; The screen is one colour, changing while A is held.

        .include "sm83.inc"

rP1     = $FF00
rLCDC   = $FF40
rLY     = $FF44
rBGP    = $FF47
rVBK    = $FF4F
rBCPS   = $FF68
rBCPD   = $FF69

RAMG    = $0000                 ; MBC1: write $0A to enable cartridge RAM
RECORD  = $A000
MARKER  = $54

; CGB colours (BGR555); in DMG mode BGP picks white / black instead.
COLOR_RELEASED = (0 << 10) | (16 << 5) | 31    ; orange
COLOR_HELD     = (31 << 10) | (8 << 5) | 0     ; blue

.define TITLE "TOVARUNE BATT"
CGB_FLAG  = $80                 ; CGB colours, still runs on DMG
CART_TYPE = $03
ROM_SIZE  = $00
RAM_SIZE  = $02
DEST      = $01                 ; overseas

; Header checksum over $0134-$014C, computed so the header stays valid
; when the fields change.
hsum .set 0
.repeat .strlen(TITLE), i
hsum .set hsum + .strat(TITLE, i)
.endrep
hsum .set hsum + CGB_FLAG + '0' + '0' + CART_TYPE + ROM_SIZE + RAM_SIZE + DEST
HEADER_CHECKSUM = (0 - hsum - 25) & $FF

.segment "HEADER"
        nop
        jp      start
        .res    $30, 0          ; logo area, left zeroed
        .byte   TITLE
        .res    15 - .strlen(TITLE), 0
        .byte   CGB_FLAG
        .byte   "00"            ; new licensee
        .byte   $00             ; no SGB
        .byte   CART_TYPE, ROM_SIZE, RAM_SIZE
        .byte   DEST
        .byte   $00             ; old licensee
        .byte   $00             ; version
        .byte   HEADER_CHECKSUM
        .word   0               ; global checksum, not checked

.segment "CODE"
start:
        di
        ld_sp_imm $FFFE
        ; VRAM can only be cleared with the LCD off, and the LCD may only
        ; be switched off during vblank.
@wait:  ldh_a_mem rLY
        cp_imm  144
        jr_c    @wait
        xor_a
        ldh_mem_a rLCDC
        ; Only tile 0 and the tile map matter: every BG tile shows colour 0.
        ; Attribute map first (CGB) so every tile uses palette 0; on DMG
        ; VBK is ignored and the tile map is simply cleared twice.
        ld_a_imm 1
        ldh_mem_a rVBK
        call    clear_map
        xor_a
        ldh_mem_a rVBK
        call    clear_map
        ld_hl_imm $8000         ; tile 0
        ld_bc_imm 16
        call    clear_range
        ld_a_imm $91            ; LCD on, tiles $8000, map $9800, BG on
        ldh_mem_a rLCDC

        ld_a_imm $0A
        ld_mem_a RAMG
        ld_a_mem RECORD
        cp_imm  MARKER
        jr_z    main_loop       ; keep the saved counter
        ld_a_imm MARKER
        ld_mem_a RECORD
        xor_a
        ld_mem_a RECORD+2
        ld_mem_a RECORD+3

main_loop:
        call    wait_vblank
        call    read_pad
        ld_mem_a RECORD+1
        ld_b_a
        ld_a_imm $80            ; palette 0 colour 0, auto-increment
        ldh_mem_a rBCPS
        ld_a_b
        and_imm $01
        jr_nz   @held
        xor_a
        ldh_mem_a rBGP
        ld_a_imm <COLOR_RELEASED
        ldh_mem_a rBCPD
        ld_a_imm >COLOR_RELEASED
        ldh_mem_a rBCPD
        jr      @count
@held:  ld_a_imm $FF
        ldh_mem_a rBGP
        ld_a_imm <COLOR_HELD
        ldh_mem_a rBCPD
        ld_a_imm >COLOR_HELD
        ldh_mem_a rBCPD
@count: ld_a_imm MARKER
        ld_mem_a RECORD
        ld_hl_imm RECORD+2
        inc_hl_ind
        jr_nz   main_loop
        inc_hl
        inc_hl_ind
        jr      main_loop

; Returns once per frame, at the start of vblank.
wait_vblank:
@leave: ldh_a_mem rLY
        cp_imm  144
        jr_nc   @leave
@enter: ldh_a_mem rLY
        cp_imm  144
        jr_c    @enter
        ret

; Returns the held buttons in A (layout at the top of the file).
read_pad:
        ld_a_imm $20            ; select the direction keys
        ldh_mem_a rP1
        ldh_a_mem rP1
        ldh_a_mem rP1           ; second read lets the lines settle
        cpl
        and_imm $0F
        swap_a
        ld_b_a
        ld_a_imm $10            ; select the action buttons
        ldh_mem_a rP1
        ldh_a_mem rP1
        ldh_a_mem rP1
        ldh_a_mem rP1
        ldh_a_mem rP1
        cpl
        and_imm $0F
        or_b
        ld_b_a
        ld_a_imm $30            ; deselect both groups
        ldh_mem_a rP1
        ld_a_b
        ret

clear_map:
        ld_hl_imm $9800
        ld_bc_imm $0400
; Zeroes BC bytes from HL.
clear_range:
@loop:  xor_a
        ld_hli_a
        dec_bc
        ld_a_b
        or_c
        jr_nz   @loop
        ret
