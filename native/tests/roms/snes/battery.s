; LoROM test cart: per frame it records marker, buttons and a frame counter
; in battery SRAM at $70:0000 and paints the backdrop by the A button, in the
; colour held at `shade` while A is released.

.p816
.a8
.i8

INIDISP = $2100
CGADD   = $2121
CGDATA  = $2122
TM      = $212C
TS      = $212D
CGWSEL  = $2130
CGADSUB = $2131
SETINI  = $2133
NMITIMEN = $4200
RDNMI   = $4210
HVBJOY  = $4212
JOY1L   = $4218           ; A X L R 0 0 0 0
JOY1H   = $4219           ; B Y Select Start Up Down Left Right
JOY2L   = $421A

SRAM    = $700000         ; record: marker, JOY1L, counter lo, counter hi, JOY1H, JOY2L
MARKER  = $54
COLOUR_UP   = $7C00       ; BGR555 pure blue while A is released
COLOUR_DOWN = $001F       ; pure red while A is held

.segment "ZEROPAGE"
frames: .res 1            ; bumped by NMI
count:  .res 2
shade:  .res 2            ; colour while A is released, set once at reset

.segment "CODE"
reset:
  sei
  clc
  xce                     ; native mode
  rep #$38                ; binary mode, 16-bit registers for the stack
  .a16
  .i16
  ldx #$1FFF
  txs
  lda #$0000
  tcd
  sep #$30
  .a8
  .i8
  pha
  plb                     ; data bank 0

  lda #$8F                ; forced blank while setting up
  sta INIDISP
  stz NMITIMEN
  stz TM                  ; no layers: the backdrop fills the screen
  stz TS
  stz CGWSEL
  stz CGADSUB
  stz SETINI
  stz frames

  ; carry progress over when the record is already there
  lda f:SRAM
  cmp #MARKER
  bne fresh
  lda f:SRAM+2
  sta count
  lda f:SRAM+3
  sta count+1
  bra started
fresh:
  stz count
  stz count+1
  lda #0
  sta f:SRAM+1
  sta f:SRAM+2
  sta f:SRAM+3
  sta f:SRAM+4
  lda #MARKER
  sta f:SRAM
started:
  lda #<COLOUR_UP
  sta shade
  lda #>COLOUR_UP
  sta shade+1
  lda #$81                ; NMI and auto joypad read
  sta NMITIMEN

frame:
  lda frames
: cmp frames
  beq :-

  lda #$0F                ; display on, full brightness
  sta INIDISP
: lda HVBJOY              ; the auto read runs early in vblank
  lsr a
  bcs :-

  stz CGADD
  lda JOY1L
  bmi a_held
  lda shade
  sta CGDATA
  lda shade+1
  sta CGDATA
  bra painted
a_held:
  lda #<COLOUR_DOWN
  sta CGDATA
  lda #>COLOUR_DOWN
  sta CGDATA
painted:

  inc count
  bne :+
  inc count+1
: lda #MARKER
  sta f:SRAM
  lda JOY1L
  sta f:SRAM+1
  lda count
  sta f:SRAM+2
  lda count+1
  sta f:SRAM+3
  lda JOY1H
  sta f:SRAM+4
  lda JOY2L
  sta f:SRAM+5
  bra frame

nmi:
  pha
  lda RDNMI               ; acknowledge
  inc frames
  pla
  rti

irq:
  rti

.segment "HEADER"
  .byte "TOVARUNE BATTERY TEST"   ; 21 bytes
  .byte $20               ; LoROM, slow ROM
  .byte $02               ; ROM + RAM + battery
  .byte $05               ; 32 KiB ROM
  .byte $01               ; 2 KiB SRAM
  .byte $01               ; North America (NTSC)
  .byte $00               ; maker
  .byte $00               ; version
  .word $FFFF, $0000      ; checksum complement, checksum (complement test passes)

.segment "VECTORS"
  ; native: -, -, COP, BRK, ABORT, NMI, -, IRQ
  .addr 0, 0, irq, irq, irq, nmi, 0, irq
  ; emulation: -, -, COP, -, ABORT, NMI, RESET, IRQ/BRK
  .addr 0, 0, irq, 0, irq, nmi, reset, irq
