; NROM test cart: per frame it records marker, buttons and a frame counter
; in PRG-RAM at $6000 and paints the backdrop by the A button, in the colour
; held at `shade` while A is released.

PPUCTRL   = $2000
PPUMASK   = $2001
PPUSTATUS = $2002
PPUSCROLL = $2005
PPUADDR   = $2006
PPUDATA   = $2007
JOY1      = $4016
JOY2      = $4017

RECORD    = $6000         ; marker, buttons, counter lo, counter hi, buttons of pad 2
MARKER    = $54
COLOUR_UP   = $12         ; blue while A is released
COLOUR_DOWN = $16         ; red while A is held

.segment "HEADER"
  .byte "NES", $1A
  .byte 1                 ; 16 KiB PRG
  .byte 1                 ; 8 KiB CHR (all zero: every pixel is backdrop)
  .byte 2                 ; mapper 0, battery flag
  .byte 0
  .res 8, 0

.segment "ZEROPAGE"
frames: .res 1            ; bumped by NMI
pad:    .res 1
count:  .res 2
shade:  .res 1            ; colour while A is released, set once at reset
pad2:   .res 1

.segment "CODE"
reset:
  sei
  cld
  ldx #$40
  stx $4017               ; no APU frame IRQ
  ldx #$FF
  txs
  inx
  stx PPUCTRL
  stx PPUMASK
  stx $4010
  stx frames
  bit PPUSTATUS
: bit PPUSTATUS           ; the PPU ignores writes for two frames
  bpl :-
: bit PPUSTATUS
  bpl :-

  ; carry progress over when the record is already there
  lda RECORD
  cmp #MARKER
  bne fresh
  lda RECORD+2
  sta count
  lda RECORD+3
  sta count+1
  jmp started
fresh:
  lda #0
  sta count
  sta count+1
  sta RECORD+1
  sta RECORD+2
  sta RECORD+3
  lda #MARKER
  sta RECORD
started:
  lda #COLOUR_UP
  sta shade
  lda #$80                ; NMI on vblank
  sta PPUCTRL
  lda #$0A                ; background on, left column too
  sta PPUMASK

frame:
  lda frames
: cmp frames
  beq :-

  jsr read_pad

  lda #$3F
  sta PPUADDR
  lda #$00
  sta PPUADDR
  ldx shade
  bit pad                 ; A is bit 7
  bpl :+
  ldx #COLOUR_DOWN
: stx PPUDATA
  lda #0                  ; move v off the palette and reset scroll
  sta PPUADDR
  sta PPUADDR
  sta PPUSCROLL
  sta PPUSCROLL
  lda #$80
  sta PPUCTRL

  inc count
  bne :+
  inc count+1
: lda #MARKER
  sta RECORD
  lda pad
  sta RECORD+1
  lda count
  sta RECORD+2
  lda count+1
  sta RECORD+3
  lda pad2
  sta RECORD+4
  jmp frame

; Shifts the 8 buttons of each pad in as A B Select Start Up Down Left Right,
; A ending in bit 7.
read_pad:
  lda #1
  sta JOY1
  sta pad                 ; the 1 falls out into carry after 8 shifts
  sta pad2
  lsr a
  sta JOY1
: lda JOY1
  lsr a
  rol pad
  bcc :-
: lda JOY2
  lsr a
  rol pad2
  bcc :-
  rts

nmi:
  inc frames
irq:
  rti

.segment "VECTORS"
  .addr nmi, reset, irq
